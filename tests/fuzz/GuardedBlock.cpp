#include "GuardedBlock.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

TGuardedBlock::TGuardedBlock(std::size_t size, bool atEnd, std::uint8_t fill) : FSize(size) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t inner = (size + page - 1) / page * page + page;  // at least one slack byte
  FMapped = inner + 2 * page;
  void* base = mmap(nullptr, FMapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) throw std::bad_alloc();
  FBase = static_cast<std::uint8_t*>(base);
  mprotect(FBase, page, PROT_NONE);
  mprotect(FBase + page + inner, page, PROT_NONE);
  std::uint8_t* first = FBase + page;
  FData = atEnd ? first + inner - size : first;
  FSlack = atEnd ? first : first + size;
  FSlackSize = inner - size;
  std::memset(first, kGuardByte, inner);
  std::memset(FData, fill, size);
  Poison(FSlack, FSlackSize);
}

TGuardedBlock::~TGuardedBlock() {
  // The sanitizer's marks outlive the mapping; a later mapping at this address must start clean.
  Unpoison(FBase, FMapped);
  munmap(FBase, FMapped);
}

bool TGuardedBlock::GuardsIntact() const {
  Unpoison(FSlack, FSlackSize);
  bool intact = true;
  for (std::size_t i = 0; i < FSlackSize; ++i)
    if (FSlack[i] != kGuardByte) intact = false;
  Poison(FSlack, FSlackSize);
  return intact;
}

void TGuardedBlock::Poison(const void* p, std::size_t bytes) {
#if defined(__SANITIZE_ADDRESS__)
  ASAN_POISON_MEMORY_REGION(p, bytes);
#else
  (void)p;
  (void)bytes;
#endif
}

void TGuardedBlock::Unpoison(const void* p, std::size_t bytes) {
#if defined(__SANITIZE_ADDRESS__)
  ASAN_UNPOISON_MEMORY_REGION(p, bytes);
#else
  (void)p;
  (void)bytes;
#endif
}
