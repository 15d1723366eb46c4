// Minimal PNG writer (8-bit gray or RGB, stored deflate blocks, no compression library).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Writes a PNG with bit depth 8. `topDownRows` points at the first (top) row; consecutive
// rows are `rowBytes` apart (at least width * channels). With `rowsAreBGR` the three
// samples of each pixel are in blue, green, red order (as in a Win32 DIB) and are swapped
// on output; it is ignored for gray. Returns false on bad arguments or a write failure.
bool WritePng(const std::string& path, int width, int height, int channels /*1 or 3*/,
              const uint8_t* topDownRows, int rowBytes, bool rowsAreBGR = false);

// The same PNG as bytes in memory; false (out emptied) on bad arguments.
bool EncodePng(int width, int height, int channels, const uint8_t* topDownRows, int rowBytes,
               bool rowsAreBGR, std::vector<uint8_t>& out);

// The checksums PNG uses: CRC-32 (polynomial 0xEDB88320, as in chunk trailers) and
// Adler-32 (the zlib stream trailer). Pass a previous result to continue a running sum.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t previous = 0);
uint32_t Adler32(const uint8_t* data, size_t size, uint32_t previous = 1);
