#include "PageAlloc.h"

#include <sys/mman.h>

namespace {
constexpr std::size_t kHugePageBytes = 2u << 20;
}

// Anonymous private mappings come zero-filled from the kernel. Large planes ask for huge
// pages: the column passes of the FFT touch one page per row, which otherwise exhausts the TLB.
void* PageAlloc(std::size_t bytes) noexcept {
  if (bytes == 0) return nullptr;
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
  if (bytes >= kHugePageBytes) madvise(p, bytes, MADV_HUGEPAGE);
#endif
  return p;
}

void PageFree(void* p, std::size_t bytes) noexcept {
  if (p != nullptr) munmap(p, bytes);
}
