#include "GuardPages.h"

#include <sys/mman.h>
#include <unistd.h>

std::size_t GuardPageBytes() { return static_cast<std::size_t>(sysconf(_SC_PAGESIZE)); }

std::uint8_t* MapGuardedPages(std::size_t bytes)
{
  void* base = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED)
    return nullptr;
  std::uint8_t* pages = static_cast<std::uint8_t*>(base);
  const std::size_t page = GuardPageBytes();
  mprotect(pages, page, PROT_NONE);
  mprotect(pages + bytes - page, page, PROT_NONE);
  return pages;
}

void UnmapGuardedPages(std::uint8_t* base, std::size_t bytes) { munmap(base, bytes); }
