// The text of a dialog script read into commands: words split, quotes and comments handled, and
// every command checked against its syntax before anything runs (the language: Script.h).
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

// A failure of a script: in its text, or of the command that runs. Caught by the runner, never
// outside the script thread.
class TScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TCommand {
  int Line = 0;
  std::vector<std::string> Words;  // Words[0] is the command
};

// The commands of text, blank and comment lines left out. Throws TScriptError naming the line
// of the first problem (an unknown command, a missing quote, a wrong argument).
std::vector<TCommand> ReadScript(const std::string& text);

// A whole word as a number (decimal, or 0x hexadecimal); false when it is not one.
bool ParseInteger(const std::string& word, long& value);
// The number of a word ReadScript has checked.
long ToInteger(const std::string& word);
// A key name (UP, RETURN, ...), a letter or digit, or a number from 1 to 255 as a virtual key.
bool ParseKey(const std::string& word, UINT& code);
