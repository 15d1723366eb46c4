#include "PiPL.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using TBytes = std::vector<uint8_t>;

TBytes Bytes(const std::string& text) { return TBytes(text.begin(), text.end()); }

TBytes operator+(TBytes a, const TBytes& b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TBytes Zeros(size_t count) { return TBytes(count, 0); }

// A property as it must appear: "MIB8", the reversed key, id 0, then length and data as given.
TBytes Property(const std::string& reversedKey, TBytes lengthBytes, const TBytes& data)
{
  return Bytes("MIB8") + Bytes(reversedKey) + Zeros(4) + lengthBytes + data;
}

struct TLibraryList
{
  const char* Library;
  const char* Name;
  uint32_t ModeFlags;
  uint8_t NameLengthByte;
  uint8_t NameDataLength;
  TBytes ModeBytes;
};

class PiPLTest : public testing::TestWithParam<TLibraryList>
{
};

TEST_P(PiPLTest, BuildPiPL_GivesEveryByteOfTheLibrarysList)
{
  const TLibraryList& list = GetParam();
  const std::string name = list.Name;
  const TBytes nameData = TBytes{list.NameLengthByte} + Bytes(name) +
                          Zeros(list.NameDataLength - 1 - name.size());

  const TBytes expected =
      TBytes{0x01, 0x00} + Zeros(4) + TBytes{0x08, 0x00, 0x00, 0x00} +
      Property("dnik", {4, 0, 0, 0}, Bytes("MFB8")) +
      Property("eman", {list.NameDataLength, 0, 0, 0}, nameData) +
      Property("gtac", {12, 0, 0, 0}, TBytes{9} + Bytes("Skelvane") + Zeros(3)) +
      Property("srev", {4, 0, 0, 0}, {0x00, 0x00, 0x04, 0x00}) +
      Property("edom", {4, 0, 0, 0}, list.ModeBytes) +
      Property("icif", {28, 0, 0, 0},
               {1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0}) +
      Property("68xw", {12, 0, 0, 0}, Bytes("PluginMain") + Zeros(2)) +
      Property("lbne", {4, 0, 0, 0}, Bytes("1") + Zeros(3)) +
      Zeros(6);

  TPiPLDescription description;
  description.Name = name;
  description.ModeFlags = list.ModeFlags;
  EXPECT_EQ(BuildPiPL(description), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, PiPLTest,
    testing::Values(
        TLibraryList{"SVLucyRichardson", "Lucy Richardson Deconvolution...", 0xffc00000, 33, 36,
                     {0xff, 0xc0, 0x00, 0x00}},
        TLibraryList{"SVMaxEnt", "Maximum Entropy Deconvolution...", 0xffc00000, 33, 36,
                     {0xff, 0xc0, 0x00, 0x00}},
        TLibraryList{"SVDDP", "Digital Development Process...", 0x50000000, 31, 32,
                     {0x50, 0x00, 0x00, 0x00}},
        TLibraryList{"SVStatistics", "Statistics...", 0xd0000000, 14, 16,
                     {0xd0, 0x00, 0x00, 0x00}}),
    [](const testing::TestParamInfo<TLibraryList>& info) { return std::string(info.param.Library); });

// The padding rule at each remainder: characters + length byte + zero byte, rounded up to 4.
TEST(PiPLStringTest, NameDataLength_IsPaddedToAMultipleOfFour)
{
  const size_t nameOffset = 10 + 16 + 4 + 12; // header, kind property, name's own header
  for (size_t chars = 0; chars <= 8; ++chars)
  {
    TPiPLDescription description;
    description.Name = std::string(chars, 'x');
    const TBytes list = BuildPiPL(description);
    ASSERT_GT(list.size(), nameOffset + 4);
    const size_t stored = list[nameOffset];
    EXPECT_EQ(stored, (chars + 2 + 3) / 4 * 4) << chars << " characters";
    EXPECT_EQ(list[nameOffset + 4], chars + 1);
  }
}

TEST(PiPLStringTest, NameTooLongForItsLengthByte_GivesNoList)
{
  TPiPLDescription description;
  description.Name = std::string(254, 'x');
  EXPECT_FALSE(BuildPiPL(description).empty());
  description.Name = std::string(255, 'x');
  EXPECT_TRUE(BuildPiPL(description).empty());
}

} // namespace
