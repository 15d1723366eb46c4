#include "DataContainerRGB.h"

#include "PageAlloc.h"

#include <cstdint>
#include <limits>

static_assert(sizeof(TPixelRGB) == 3 * sizeof(float), "TPixelRGB must be three packed floats");

TDataContainerRGB::TDataContainerRGB(int Width, int Height) noexcept
    : Data(nullptr), Width(Width), Height(Height) {
  if (Width <= 0 || Height <= 0) return;
  const std::uint64_t pixels = static_cast<std::uint64_t>(Width) * static_cast<std::uint64_t>(Height);
  if (pixels > std::numeric_limits<std::size_t>::max() / sizeof(TPixelRGB)) return;
  Data = static_cast<TPixelRGB*>(PageAlloc(static_cast<std::size_t>(pixels) * sizeof(TPixelRGB)));
}

TDataContainerRGB::~TDataContainerRGB() {
  if (Width <= 0 || Height <= 0) return;
  PageFree(Data, static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height) * sizeof(TPixelRGB));
}
