// A temporary folder of its own for each test program, so that programs run side by side (two
// trees, two runs of one tree) never write to the same file.
#pragma once

#include <string>

// The folder, made on first use under the system's temporary folder with a name no other folder
// there has, and removed with what it holds when the program ends. Throws when none can be made.
std::string TestTempFolder();

// The path of the file named name in the folder.
std::string TestTempPath(const std::string& name);

// Makes the folder the current directory, so that files named without a folder (and those of
// programs started from here) land in it.
void EnterTestTempFolder();
