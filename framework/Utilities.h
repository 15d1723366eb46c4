// Conversions between host pixel blocks, float planes and display bitmaps: colour split,
// padding, preview tiles, normalisation and write-back.
#pragma once

#include "platform/Bitmap24.h"
#include "DataContainer.h"
#include "DataContainerRGB.h"

#include <array>
#include <memory>

// Colour split of the deconvolution: the luminance is processed, the chrominance kept.
// The two are not exact inverses; a gray comes back unchanged.
void RGBToYUV(float R, float G, float B, float& Y, float& U, float& V);
void YUVToRGB(double Y, double U, double V, float& R, float& G, float& B);

// Power-of-two side at least 64 on which an image side of N samples is deconvolved;
// sides above 16384 come back unchanged (they cannot be transformed).
int PaddedSize(int N);

// 256 x 256 tile on a 0.5 background, the image centred when a side is below 256 and cut to
// its first 256 columns or rows otherwise. Channel 1 red, 2 green, 3 blue.
std::unique_ptr<TDataContainer> RGBChannelToTile(const TDataContainerRGB& Source, int Channel, int& OffsetX,
                                                 int& OffsetY, int& TileWidth, int& TileHeight);
std::unique_ptr<TDataContainer> GrayToTile(const TDataContainer& Source, int& OffsetX, int& OffsetY,
                                           int& TileWidth, int& TileHeight);

// PaddedSize(width) x PaddedSize(height) plane on a 0.5 background with the image centred.
std::unique_ptr<TDataContainer> RGBChannelToPadded(const TDataContainerRGB& Source, int Channel, int& OffsetX,
                                                   int& OffsetY, int& PaddedWidth, int& PaddedHeight);
std::unique_ptr<TDataContainer> GrayToPadded(const TDataContainer& Source, int& OffsetX, int& OffsetY,
                                             int& PaddedWidth, int& PaddedHeight);

// Display level -> output level: linear for 8 and 16 bits, a square-root curve for 32 bits.
std::array<float, 256> DisplayCurve(int BitDepth);

// Display bitmaps of whole planes or of a window (X0, Y0, Width, Height) of planes. Values are
// limited to 0..1 after any colour conversion; samples outside a plane show as 0. No bitmap
// when it cannot be created.
std::unique_ptr<TBitmap24> RGBContainerToBitmap(const TDataContainerRGB& Source, int BitDepth);
std::unique_ptr<TBitmap24> GrayContainerToBitmap(const TDataContainer& Source, int BitDepth);
std::unique_ptr<TBitmap24> YUVToPreviewBitmap(const TDataContainer& Y, const TDataContainer& U,
                                              const TDataContainer& V, int X0, int Y0, int Width, int Height,
                                              int BitDepth);
std::unique_ptr<TBitmap24> GrayToPreviewBitmap(const TDataContainer& Source, int X0, int Y0, int Width,
                                               int Height, int BitDepth);

// Host pixel block -> plane of the raw sample values (8 and 16 bits exactly, 32 bits bit for
// bit). Rows lie RowBytes apart. No plane for a null block, a non-positive side or a RowBytes
// too small for one row; an unknown BitDepth gives the plane as created.
std::unique_ptr<TDataContainer> HostToGrayContainer(const void* InData, int BitDepth, int ImageWidth,
                                                    int ImageHeight, int RowBytes);
std::unique_ptr<TDataContainerRGB> HostToRGBContainer(const void* InData, int BitDepth, int ImageWidth,
                                                      int ImageHeight, int RowBytes);

// Divide the plane by its maximum (an exact 0 counts as 1) and return that factor. Samples that
// are not finite take no part in the maximum and become 0.
float NormalizeGray(TDataContainer& Image);
// One factor for all three channels: the largest of their maxima.
float NormalizeRGB(TDataContainerRGB& Image);

// Write the ImageWidth x ImageHeight region at plane position (OffsetX, OffsetY) into the
// output block, multiplied by Scale, limited to the depth's range and rounded (ties to even).
// True when the whole region was written; false, with nothing written, when the region lies
// outside a plane, the block is null or RowBytes is too small for one row.
bool YUVToHost(const TDataContainer& Y, const TDataContainer& U, const TDataContainer& V, void* OutData,
               int BitDepth, int RowBytes, float Scale, int OffsetX, int OffsetY, int ImageWidth,
               int ImageHeight);
bool GrayContainerToHost(const TDataContainer& Source, void* OutData, int BitDepth, int RowBytes, float Scale,
                         int OffsetX, int OffsetY, int ImageWidth, int ImageHeight);
bool RGBContainerToHost(const TDataContainerRGB& Source, void* OutData, int BitDepth, int RowBytes, float Scale,
                        int OffsetX, int OffsetY, int ImageWidth, int ImageHeight);

// After a write-back of a 32-bit image: every input sample that is not finite is copied to its
// place in the output block, so that a blank (NaN) stays blank and an infinity stays as the
// host gave it; the filter computed those positions as 0. 8- and 16-bit blocks, a null block
// and a RowBytes too small for one row are left alone.
void RestoreNonFiniteSamples(const void* InData, void* OutData, int BitDepth, int ImageWidth,
                             int ImageHeight, bool IsGray, int RowBytes);
