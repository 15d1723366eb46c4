#include "PngFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace {

uint32_t BE32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

uint32_t BitwiseCrc32(const uint8_t* data, size_t size) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    c ^= data[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

struct TChunk {
  std::string Type;
  std::vector<uint8_t> Data;
};

// Splits a PNG into chunks, checking the signature, every length and every CRC with an
// independent bitwise CRC.
std::vector<TChunk> ParseChunks(const std::vector<uint8_t>& png) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<TChunk> chunks;
  EXPECT_GE(png.size(), 8u);
  EXPECT_EQ(std::memcmp(png.data(), kSignature, 8), 0);
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = BE32(&png[at]);
    EXPECT_LE(at + 12 + length, png.size());
    if (at + 12 + length > png.size()) break;
    TChunk chunk{std::string(png.begin() + at + 4, png.begin() + at + 8),
                 std::vector<uint8_t>(png.begin() + at + 8, png.begin() + at + 8 + length)};
    EXPECT_EQ(BE32(&png[at + 8 + length]), BitwiseCrc32(&png[at + 4], 4 + length)) << chunk.Type;
    chunks.push_back(chunk);
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  return chunks;
}

// Inflates a zlib stream made only of stored blocks; fails the test on anything else.
std::vector<uint8_t> InflateStored(const std::vector<uint8_t>& z) {
  std::vector<uint8_t> out;
  EXPECT_GE(z.size(), 6u);
  EXPECT_EQ((z[0] * 256 + z[1]) % 31, 0);
  EXPECT_EQ(z[0] & 0x0F, 8);  // deflate
  size_t at = 2;
  bool last = false;
  while (!last && at + 5 <= z.size()) {
    EXPECT_EQ(z[at] & 0x06, 0) << "not a stored block";
    last = (z[at] & 1) != 0;
    const unsigned len = z[at + 1] | (z[at + 2] << 8);
    const unsigned nlen = z[at + 3] | (z[at + 4] << 8);
    EXPECT_EQ(len ^ 0xFFFFu, nlen);
    at += 5;
    if (at + len > z.size()) {
      ADD_FAILURE() << "block runs past the stream";
      return out;
    }
    out.insert(out.end(), z.begin() + at, z.begin() + at + len);
    at += len;
  }
  EXPECT_TRUE(last);
  EXPECT_EQ(at + 4, z.size());
  if (at + 4 == z.size()) {
    EXPECT_EQ(BE32(&z[at]), Adler32(out.data(), out.size()));
  }
  return out;
}

TEST(PngFile, ChecksumsMatchKnownValues) {
  const std::string digits = "123456789";
  const auto* d = reinterpret_cast<const uint8_t*>(digits.data());
  EXPECT_EQ(Crc32(d, digits.size()), 0xCBF43926u);
  EXPECT_EQ(Crc32(d + 4, 5, Crc32(d, 4)), 0xCBF43926u);
  const std::string wiki = "Wikipedia";
  EXPECT_EQ(Adler32(reinterpret_cast<const uint8_t*>(wiki.data()), wiki.size()), 0x11E60398u);
  // Long runs of 0xFF exercise the deferred modulo reduction.
  const std::vector<uint8_t> ones(100000, 0xFF);
  uint32_t a = 1, b = 0;
  for (uint8_t v : ones) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  EXPECT_EQ(Adler32(ones.data(), ones.size()), (b << 16) | a);
}

struct TPngCase {
  const char* What;
  int Width, Height, Channels, Padding;
  bool Bgr;
};

class PngFileEncode : public testing::TestWithParam<TPngCase> {};

TEST_P(PngFileEncode, DecodesBackToTheRowsGiven) {
  const TPngCase& p = GetParam();
  const int rowBytes = p.Width * p.Channels + p.Padding;
  std::vector<uint8_t> pixels(static_cast<size_t>(rowBytes) * p.Height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7 + i / 251);

  std::vector<uint8_t> png;
  ASSERT_TRUE(EncodePng(p.Width, p.Height, p.Channels, pixels.data(), rowBytes, p.Bgr, png));
  const std::vector<TChunk> chunks = ParseChunks(png);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].Type, "IHDR");
  ASSERT_EQ(chunks[0].Data.size(), 13u);
  EXPECT_EQ(BE32(&chunks[0].Data[0]), static_cast<uint32_t>(p.Width));
  EXPECT_EQ(BE32(&chunks[0].Data[4]), static_cast<uint32_t>(p.Height));
  EXPECT_EQ(chunks[0].Data[8], 8);
  EXPECT_EQ(chunks[0].Data[9], p.Channels == 3 ? 2 : 0);
  EXPECT_EQ(chunks[1].Type, "IDAT");
  EXPECT_EQ(chunks[2].Type, "IEND");
  EXPECT_TRUE(chunks[2].Data.empty());

  const std::vector<uint8_t> raw = InflateStored(chunks[1].Data);
  const size_t line = static_cast<size_t>(p.Width) * p.Channels;
  ASSERT_EQ(raw.size(), (line + 1) * p.Height);
  for (int y = 0; y < p.Height; ++y) {
    const uint8_t* scan = &raw[(line + 1) * y];
    EXPECT_EQ(scan[0], 0) << "filter of row " << y;
    for (size_t i = 0; i < line; ++i) {
      size_t src = i;
      if (p.Bgr && p.Channels == 3) src = i / 3 * 3 + (2 - i % 3);
      ASSERT_EQ(scan[1 + i], pixels[static_cast<size_t>(rowBytes) * y + src]) << "row " << y << " byte " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, PngFileEncode,
    testing::Values(TPngCase{"Gray1x1", 1, 1, 1, 0, false}, TPngCase{"GrayPadded", 13, 7, 1, 3, false},
                    TPngCase{"GrayBgrIgnored", 5, 2, 1, 0, true}, TPngCase{"Rgb", 9, 4, 3, 0, false},
                    TPngCase{"BgrPadded", 9, 4, 3, 1, true},
                    // More than one stored block (65535 bytes each), the split inside a row.
                    TPngCase{"RgbSeveralBlocks", 301, 157, 3, 2, false}),
    [](const testing::TestParamInfo<TPngCase>& info) { return std::string(info.param.What); });

TEST(PngFile, BadArgumentsWriteNothing) {
  const uint8_t pixels[12] = {};
  std::vector<uint8_t> png;
  EXPECT_FALSE(EncodePng(0, 1, 1, pixels, 1, false, png));
  EXPECT_FALSE(EncodePng(1, -1, 1, pixels, 1, false, png));
  EXPECT_FALSE(EncodePng(2, 2, 2, pixels, 4, false, png));
  EXPECT_FALSE(EncodePng(2, 2, 3, pixels, 5, false, png));  // rows shorter than the pixels
  EXPECT_FALSE(EncodePng(2, 2, 1, nullptr, 2, false, png));
  EXPECT_TRUE(png.empty());
  const std::string path = TestTempPath("bad.png");
  EXPECT_FALSE(WritePng(path, 0, 0, 1, pixels, 0));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(PngFile, WritePngStoresTheEncodedBytes) {
  const uint8_t pixels[6] = {10, 20, 30, 40, 50, 60};
  const std::string path = TestTempPath("2x1.png");
  ASSERT_TRUE(WritePng(path, 2, 1, 3, pixels, 6));
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  file.close();
  std::filesystem::remove(path);
  std::vector<uint8_t> expected;
  ASSERT_TRUE(EncodePng(2, 1, 3, pixels, 6, false, expected));
  EXPECT_EQ(written, expected);
}

}  // namespace
