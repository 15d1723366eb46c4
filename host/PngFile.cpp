#include "PngFile.h"

#include <array>
#include <fstream>
#include <limits>

namespace {

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
  PutBE32(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBE32(out, Crc32(out.data() + typeAt, out.size() - typeAt));
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t previous) {
  const auto& table = CrcTable();
  uint32_t c = previous ^ 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const uint8_t* data, size_t size, uint32_t previous) {
  constexpr uint32_t kMod = 65521;
  uint32_t a = previous & 0xFFFF;
  uint32_t b = previous >> 16;
  // 5552 is the longest run whose sums cannot overflow 32 bits before the reduction.
  while (size > 0) {
    const size_t run = size < 5552 ? size : 5552;
    for (size_t i = 0; i < run; ++i) {
      a += data[i];
      b += a;
    }
    a %= kMod;
    b %= kMod;
    data += run;
    size -= run;
  }
  return (b << 16) | a;
}

bool EncodePng(int width, int height, int channels, const uint8_t* topDownRows, int rowBytes,
               bool rowsAreBGR, std::vector<uint8_t>& out) {
  out.clear();
  if (width <= 0 || height <= 0 || (channels != 1 && channels != 3) || !topDownRows) return false;
  const size_t lineBytes = static_cast<size_t>(width) * channels;
  if (rowBytes < 0 || static_cast<size_t>(rowBytes) < lineBytes) return false;
  // Each scan line carries a filter-type byte; the whole stream must fit a chunk length.
  const size_t scanBytes = lineBytes + 1;
  if (static_cast<uint64_t>(scanBytes) * static_cast<uint64_t>(height) >
      static_cast<uint64_t>(std::numeric_limits<int32_t>::max() / 2))
    return false;

  std::vector<uint8_t> raw;
  raw.reserve(scanBytes * height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = topDownRows + static_cast<size_t>(rowBytes) * y;
    raw.push_back(0);  // filter type None
    if (channels == 3 && rowsAreBGR) {
      for (int x = 0; x < width; ++x) {
        raw.push_back(row[3 * x + 2]);
        raw.push_back(row[3 * x + 1]);
        raw.push_back(row[3 * x]);
      }
    } else {
      raw.insert(raw.end(), row, row + lineBytes);
    }
  }

  // zlib stream of stored deflate blocks (at most 65535 bytes each): no compression, so no
  // compression library is needed and the output is exact and fast to produce.
  std::vector<uint8_t> z;
  z.reserve(raw.size() + raw.size() / 65535 * 5 + 16);
  z.push_back(0x78);  // deflate, 32 KiB window
  z.push_back(0x01);  // no dictionary, fastest level; 0x7801 is a multiple of 31
  size_t at = 0;
  do {
    const size_t len = raw.size() - at < 65535 ? raw.size() - at : 65535;
    const bool last = at + len == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<uint8_t>(len));
    z.push_back(static_cast<uint8_t>(len >> 8));
    z.push_back(static_cast<uint8_t>(~len));
    z.push_back(static_cast<uint8_t>(~len >> 8));
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + len);
    at += len;
  } while (at < raw.size());
  PutBE32(z, Adler32(raw.data(), raw.size()));

  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  out.assign(kSignature, kSignature + 8);
  std::vector<uint8_t> header;
  PutBE32(header, static_cast<uint32_t>(width));
  PutBE32(header, static_cast<uint32_t>(height));
  header.push_back(8);                      // bit depth
  header.push_back(channels == 3 ? 2 : 0);  // colour type: truecolour or grayscale
  header.push_back(0);                      // compression: deflate
  header.push_back(0);                      // filter method 0
  header.push_back(0);                      // no interlace
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", z);
  PutChunk(out, "IEND", {});
  return true;
}

bool WritePng(const std::string& path, int width, int height, int channels,
              const uint8_t* topDownRows, int rowBytes, bool rowsAreBGR) {
  std::vector<uint8_t> bytes;
  if (!EncodePng(width, height, channels, topDownRows, rowBytes, rowsAreBGR, bytes)) return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}
