#include "GuardedBlock.h"

#include "GuardPages.h"

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

TGuardedBlock::TGuardedBlock(std::size_t size, bool atEnd, std::uint8_t fill) : FSize(size)
{
  FPage = GuardPageBytes();
  const std::size_t inner = (size + FPage - 1) / FPage * FPage + FPage; // at least one slack byte
  FMapped = inner + 2 * FPage;
  FBase = MapGuardedPages(FMapped);
  if (FBase == nullptr)
    throw std::bad_alloc();
  std::uint8_t* first = FBase + FPage;
  FData = atEnd ? first + inner - size : first;
  FSlack = atEnd ? first : first + size;
  FSlackSize = inner - size;
  std::memset(first, kGuardByte, inner);
  std::memset(FData, fill, size);
  Poison(FSlack, FSlackSize);
}

TGuardedBlock::~TGuardedBlock()
{
  // The sanitizer's marks outlive the mapping; a later mapping at this address must start clean.
  Unpoison(FBase, FMapped);
  UnmapGuardedPages(FBase, FMapped);
}

bool TGuardedBlock::GuardsIntact() const
{
  Unpoison(FSlack, FSlackSize);
  const bool intact =
      std::all_of(FSlack, FSlack + FSlackSize, [](std::uint8_t b) { return b == kGuardByte; });
  Poison(FSlack, FSlackSize);
  return intact;
}

bool TGuardedBlock::InGuardPage(const void* p) const
{
  // As integers: the address may belong to no object of ours.
  const std::uintptr_t q = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t leading = reinterpret_cast<std::uintptr_t>(FBase);
  const std::uintptr_t trailing = leading + FMapped - FPage;
  return (q >= leading && q - leading < FPage) || (q >= trailing && q - trailing < FPage);
}

void TGuardedBlock::Poison(const void* p, std::size_t bytes)
{
#if defined(__SANITIZE_ADDRESS__)
  ASAN_POISON_MEMORY_REGION(p, bytes);
#else
  (void)p;
  (void)bytes;
#endif
}

void TGuardedBlock::Unpoison(const void* p, std::size_t bytes)
{
#if defined(__SANITIZE_ADDRESS__)
  ASAN_UNPOISON_MEMORY_REGION(p, bytes);
#else
  (void)p;
  (void)bytes;
#endif
}
