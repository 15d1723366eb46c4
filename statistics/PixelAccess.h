// Readers of single samples of the host's interleaved input block, read in place.
#pragma once

#include <cstdint>

// Pixel (X, Y) of a block whose rows start RowBytes apart: sample k (0 red, 1 green, 2 blue)
// lies at byte Y * RowBytes + (3 * X + k) * BitDepth / 8. 8-bit samples are unsigned bytes,
// 16-bit samples unsigned little-endian words, 32-bit samples little-endian IEEE singles taken
// bit for bit; none needs to be aligned. The caller keeps X and Y inside the image. Nothing is
// read for a null block or a BitDepth other than 8, 16 or 32: the samples are then 0.
void GetPixelRGB(const void* Data, int32_t RowBytes, uint8_t BitDepth, int32_t X, int32_t Y, float& R, float& G,
                 float& B);

// The one sample of pixel (X, Y) of a gray block, at byte Y * RowBytes + X * BitDepth / 8.
float GetPixelGray(const void* Data, int32_t RowBytes, uint8_t BitDepth, int32_t X, int32_t Y);
