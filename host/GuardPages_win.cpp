#include "GuardPages.h"

#include <windows.h>

std::size_t GuardPageBytes()
{
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
}

std::uint8_t* MapGuardedPages(std::size_t bytes)
{
  std::uint8_t* pages =
      static_cast<std::uint8_t*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (pages == nullptr)
    return nullptr;
  const std::size_t page = GuardPageBytes();
  DWORD old;
  VirtualProtect(pages, page, PAGE_NOACCESS, &old);
  VirtualProtect(pages + bytes - page, page, PAGE_NOACCESS, &old);
  return pages;
}

void UnmapGuardedPages(std::uint8_t* base, std::size_t /*bytes*/) { VirtualFree(base, 0, MEM_RELEASE); }
