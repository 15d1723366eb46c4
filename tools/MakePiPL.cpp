// Build-time tool: writes a filter module's property list as the binary file the .rc embeds.
#include "PiPL.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
  if (argc < 4 || argc > 5)
  {
    std::fprintf(stderr, "usage: MakePiPL OUTPUT NAME MODEHEX [CATEGORY]\n"
                         "  MODEHEX: supported-mode flags, e.g. ffc00000\n");
    return 2;
  }
  TPiPLDescription description;
  description.Name = argv[2];
  char* end = nullptr;
  const unsigned long flags = std::strtoul(argv[3], &end, 16);
  if (end == argv[3] || *end != '\0' || flags > 0xffffffffUL)
  {
    std::fprintf(stderr, "MakePiPL: bad mode flags '%s'\n", argv[3]);
    return 2;
  }
  description.ModeFlags = uint32_t(flags);
  if (argc == 5)
    description.Category = argv[4];

  const std::vector<uint8_t> bytes = BuildPiPL(description);
  if (bytes.empty())
  {
    std::fprintf(stderr, "MakePiPL: name or category too long\n");
    return 1;
  }
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!file)
  {
    std::fprintf(stderr, "MakePiPL: cannot write '%s'\n", argv[1]);
    return 1;
  }
  return 0;
}
