// Plane memory straight from the operating system's page allocator, not the general heap.
#pragma once

#include <cstddef>

// Zero-filled, readable and writable memory of at least `bytes` bytes; nullptr when the
// allocator refuses or `bytes` is 0. Safe to call from any thread.
void* PageAlloc(std::size_t bytes) noexcept;

// Returns memory from PageAlloc; `bytes` must be the size it was asked for. nullptr is ignored.
void PageFree(void* p, std::size_t bytes) noexcept;
