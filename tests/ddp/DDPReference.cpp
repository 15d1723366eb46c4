#include "DDPReference.h"

#include "ddp/DDPTransform.h"
#include "ddp/ScaleToFit.h"
#include "framework/Utilities.h"

std::vector<uint8_t> ReferenceApply(const TTestBlock& input, const TDDPSettings& settings) {
  std::vector<uint8_t> output = input.Bytes;
  if (input.IsGray) {
    auto image = HostToGrayContainer(input.Bytes.data(), input.BitDepth, input.Width,
                                     input.Height, input.RowBytes);
    const float scale = NormalizeGray(*image);
    auto result = DDPTransform(*image, settings.EdgeKernelSize, settings.MidLevel,
                               settings.Background);
    GrayContainerToHost(*result, output.data(), input.BitDepth, input.RowBytes, scale, 0, 0,
                        input.Width, input.Height);
  } else {
    auto image = HostToRGBContainer(input.Bytes.data(), input.BitDepth, input.Width,
                                    input.Height, input.RowBytes);
    const float scale = NormalizeRGB(*image);
    auto result = DDPTransform(*image, settings.EdgeKernelSize, settings.MidLevel,
                               settings.Background);
    RGBContainerToHost(*result, output.data(), input.BitDepth, input.RowBytes, scale, 0, 0,
                       input.Width, input.Height);
  }
  return output;
}

std::unique_ptr<TBitmap24> ReferenceDDPPreview(const TTestBlock& input,
                                               const TDDPSettings& settings) {
  if (input.IsGray) {
    auto image = HostToGrayContainer(input.Bytes.data(), input.BitDepth, input.Width,
                                     input.Height, input.RowBytes);
    NormalizeGray(*image);
    auto copy = ScaleToFit(*image, 401, 401);
    auto result =
        DDPTransform(*copy, settings.EdgeKernelSize, settings.MidLevel, settings.Background);
    return GrayContainerToBitmap(*result, input.BitDepth);
  }
  auto image = HostToRGBContainer(input.Bytes.data(), input.BitDepth, input.Width, input.Height,
                                  input.RowBytes);
  NormalizeRGB(*image);
  auto copy = ScaleToFitRGB(*image, 401, 401);
  auto result =
      DDPTransform(*copy, settings.EdgeKernelSize, settings.MidLevel, settings.Background);
  return RGBContainerToBitmap(*result, input.BitDepth);
}
