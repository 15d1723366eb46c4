// Memory with an inaccessible page at each end, for guarded blocks: the operating systems' two
// ways of protecting pages behind one interface.
#pragma once

#include <cstddef>
#include <cstdint>

std::size_t GuardPageBytes();

// `bytes` bytes (a multiple of GuardPageBytes(), at least three pages) of zero-filled memory
// whose first and last page cannot be read or written; nullptr when the system refuses.
std::uint8_t* MapGuardedPages(std::size_t bytes);

// Returns memory from MapGuardedPages; `bytes` must be the size it was asked for.
void UnmapGuardedPages(std::uint8_t* base, std::size_t bytes);
