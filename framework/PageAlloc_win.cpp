#include "PageAlloc.h"

#include <windows.h>

// Committed pages from VirtualAlloc are zero-filled by the system.
void* PageAlloc(std::size_t bytes) noexcept {
  if (bytes == 0) return nullptr;
  return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void PageFree(void* p, std::size_t /*bytes*/) noexcept {
  if (p != nullptr) VirtualFree(p, 0, MEM_RELEASE);
}
