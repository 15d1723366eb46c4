// Memory for the blocks a host hands to a plug-in under test: the block sits against an
// inaccessible page on one side and guard bytes on the other, so that a stray read or write
// past either end faults or shows.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::uint8_t kGuardByte = 0xa5;

class TGuardedBlock
{
public:
  // size bytes of block; atEnd puts the block's end against the trailing inaccessible page,
  // otherwise its start is against the leading one. The block is filled with fill, the bytes
  // beside it with kGuardByte. Throws std::bad_alloc when the pages cannot be had.
  TGuardedBlock(std::size_t size, bool atEnd, std::uint8_t fill);
  ~TGuardedBlock();
  TGuardedBlock(const TGuardedBlock&) = delete;
  TGuardedBlock& operator=(const TGuardedBlock&) = delete;

  std::uint8_t* Data() { return FData; }
  const std::uint8_t* Data() const { return FData; }
  std::size_t Size() const { return FSize; }
  // False once anything wrote into the guard bytes beside the block.
  bool GuardsIntact() const;
  // True for an address in one of the two inaccessible pages: a stray access, not a crash of
  // the code that made it.
  bool InGuardPage(const void* p) const;

  // Under AddressSanitizer: makes bytes unreadable (the row padding a reader must skip) or
  // readable again; elsewhere nothing. The sanitizer marks whole 8-byte granules, so a few
  // padding bytes next to a row may stay readable.
  static void Poison(const void* p, std::size_t bytes);
  static void Unpoison(const void* p, std::size_t bytes);

private:
  std::uint8_t* FBase = nullptr;
  std::size_t FMapped = 0;
  std::size_t FPage = 0;
  std::uint8_t* FData = nullptr;
  std::size_t FSize = 0;
  std::uint8_t* FSlack = nullptr; // the guard bytes between the block and a guard page
  std::size_t FSlackSize = 0;
};
