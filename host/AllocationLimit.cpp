#include "AllocationLimit.h"

#include <cstdlib>
#include <new>

// The replacements live in a unit of their own, so that the compiler never sees malloc and
// free through them at a call site.

namespace {

std::size_t allocationLimit = 0;

}  // namespace

void SetAllocationLimit(std::size_t bytes) { allocationLimit = bytes; }

// The runtime's other forms (arrays, nothrow) call these.
void* operator new(std::size_t size) {
  if (allocationLimit != 0 && size >= allocationLimit) throw std::bad_alloc();
  if (void* block = std::malloc(size != 0 ? size : 1)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
