// Whole files read into memory, for the host's readers of images and of plug-in libraries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads the file at path into bytes. False, with a message starting with the path in *error
// (when error is given), when the file cannot be opened or read or is larger than maxBytes.
bool ReadFileBytes(const std::string& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes,
                   std::string* error);
