#include "ImageFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A deterministic image whose samples include each depth's extremes.
THostImageFile ExtremesImage(int width, int height, int channels, int depth) {
  THostImageFile image;
  EXPECT_TRUE(image.Allocate(width, height, channels, depth));
  const std::vector<double> specials8 = {0, 255, 1, 254, 128};
  const std::vector<double> specials16 = {0, 65535, 32768, 32767, 1, 256};
  const std::vector<double> specialsF = {0.0, 1.0, -0.25, 1.5, std::numeric_limits<double>::infinity(),
                                         1e-40 /* denormal as float */, -0.0, 3.14159};
  int i = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c, ++i) {
        const double ramp = (x * 31 + y * 17 + c * 7) % (depth == 8 ? 256 : 65536);
        double v = ramp;
        if (depth == 8 && i % 3 == 0) v = specials8[i / 3 % specials8.size()];
        if (depth == 16 && i % 3 == 0) v = specials16[i / 3 % specials16.size()];
        if (depth == 32) v = i % 2 ? specialsF[i / 2 % specialsF.size()] : ramp / 1000.0;
        image.SetSample(x, y, c, v);
      }
  if (depth == 32) {
    // A quiet NaN with a payload: files must carry float bits unchanged.
    const uint32_t nan = 0x7FC01234u;
    std::memcpy(&image.Data[0], &nan, 4);
  }
  return image;
}

struct TRoundTrip {
  const char* Extension;
  int Channels;
  int Depth;
};

class ImageFileRoundTrip : public testing::TestWithParam<TRoundTrip> {};

TEST_P(ImageFileRoundTrip, FileReadsBackBitIdentical) {
  const TRoundTrip& p = GetParam();
  const THostImageFile image = ExtremesImage(7, 5, p.Channels, p.Depth);
  const std::string path = TestTempPath(std::to_string(p.Channels) + "x" + std::to_string(p.Depth) + p.Extension);
  std::string error;
  ASSERT_TRUE(WriteImageFile(path, image, &error)) << error;
  THostImageFile back;
  ASSERT_TRUE(ReadImageFile(path, back, &error)) << error;
  std::filesystem::remove(path);
  EXPECT_EQ(back.Width, 7);
  EXPECT_EQ(back.Height, 5);
  EXPECT_EQ(back.Channels, p.Channels);
  EXPECT_EQ(back.Depth, p.Depth);
  EXPECT_TRUE(back.Data == image.Data);
}

INSTANTIATE_TEST_SUITE_P(
    AllFormatsAndDepths, ImageFileRoundTrip,
    testing::Values(TRoundTrip{".pgm", 1, 8}, TRoundTrip{".pgm", 1, 16}, TRoundTrip{".ppm", 3, 8},
                    TRoundTrip{".ppm", 3, 16}, TRoundTrip{".pfm", 1, 32}, TRoundTrip{".pfm", 3, 32},
                    TRoundTrip{".fits", 1, 8}, TRoundTrip{".fits", 1, 16}, TRoundTrip{".fit", 1, 32},
                    TRoundTrip{".fits", 3, 8}, TRoundTrip{".fits", 3, 16}, TRoundTrip{".FITS", 3, 32}),
    [](const testing::TestParamInfo<TRoundTrip>& info) {
      std::string name = info.param.Extension + 1;
      return name + "_" + std::to_string(info.param.Channels) + "ch_" + std::to_string(info.param.Depth);
    });

TEST(ImageFile, FormatsRejectDepthsTheyCannotHold) {
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(EncodeImage(ExtremesImage(2, 2, 1, 32), TImageFormat::Pnm, bytes));
  EXPECT_FALSE(EncodeImage(ExtremesImage(2, 2, 1, 16), TImageFormat::Pfm, bytes));
  EXPECT_TRUE(bytes.empty());
  THostImageFile broken = ExtremesImage(2, 2, 1, 8);
  broken.Data.pop_back();
  EXPECT_FALSE(EncodeImage(broken, TImageFormat::Fits, bytes));
}

TEST(ImageFile, Pgm16StoresBigEndianSamples) {
  THostImageFile image;
  ASSERT_TRUE(image.Allocate(2, 1, 1, 16));
  image.SetSample(0, 0, 0, 0x0102);
  image.SetSample(1, 0, 0, 0xFFFE);
  EXPECT_EQ(image.Data, (std::vector<uint8_t>{0x02, 0x01, 0xFE, 0xFF}));  // little-endian in memory
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeImage(image, TImageFormat::Pnm, bytes));
  EXPECT_EQ(bytes, Bytes("P5\n2 1\n65535\n\x01\x02\xFF\xFE"));
}

TEST(ImageFile, PnmHeaderWithCommentsAndSmallMaximumKeepsSamples) {
  THostImageFile image;
  std::string error;
  ASSERT_TRUE(DecodeImage(Bytes("P6 # colour\n# size next\n2 1 # w h\n100\n\x01\x02\x03\x04\x05\x06"),
                          TImageFormat::Pnm, image, &error)) << error;
  EXPECT_EQ(image.Channels, 3);
  EXPECT_EQ(image.Depth, 8);
  EXPECT_EQ(image.Data, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

TEST(ImageFile, PfmStoresBottomRowFirstAndHonoursScaleSign) {
  THostImageFile image;
  ASSERT_TRUE(image.Allocate(1, 2, 1, 32));
  image.SetSample(0, 0, 0, 1.0);  // top
  image.SetSample(0, 1, 0, 2.0);  // bottom
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeImage(image, TImageFormat::Pfm, bytes));
  EXPECT_EQ(bytes, Bytes(std::string("Pf\n1 2\n-1.0\n") + std::string("\x00\x00\x00\x40\x00\x00\x80\x3F", 8)));

  // The same picture written big-endian (positive scale) reads the same.
  THostImageFile back;
  ASSERT_TRUE(DecodeImage(Bytes(std::string("Pf\n1 2\n1.0\n") + std::string("\x40\x00\x00\x00\x3F\x80\x00\x00", 8)),
                          TImageFormat::Pfm, back));
  EXPECT_EQ(back.Data, image.Data);
}

// A FITS file from cards and big-endian data, padded to whole blocks.
std::vector<uint8_t> FitsFile(const std::vector<std::string>& cards, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes;
  for (std::string card : cards) {
    card.resize(80, ' ');
    bytes.insert(bytes.end(), card.begin(), card.end());
  }
  std::string end = "END";
  end.resize(80, ' ');
  bytes.insert(bytes.end(), end.begin(), end.end());
  bytes.resize((bytes.size() + 2879) / 2880 * 2880, ' ');
  bytes.insert(bytes.end(), data.begin(), data.end());
  bytes.resize((bytes.size() + 2879) / 2880 * 2880, 0);
  return bytes;
}

TEST(ImageFile, FitsUnsigned16FlipsRowsAndRemovesOffset) {
  // File row 0 (the bottom) holds -32768 and 32767, row 1 (the top) 0 and 1.
  const auto bytes = FitsFile({"SIMPLE  =                    T", "BITPIX  =                   16",
                               "NAXIS   =                    2", "NAXIS1  =                    2",
                               "NAXIS2  =                    2", "BZERO   =              32768.0 / offset",
                               "BSCALE  =                  1.0"},
                              {0x80, 0x00, 0x7F, 0xFF, 0x00, 0x00, 0x00, 0x01});
  THostImageFile image;
  std::string error;
  ASSERT_TRUE(DecodeImage(bytes, TImageFormat::Fits, image, &error)) << error;
  EXPECT_EQ(image.Sample(0, 0, 0), 32768);
  EXPECT_EQ(image.Sample(1, 0, 0), 32769);
  EXPECT_EQ(image.Sample(0, 1, 0), 0);
  EXPECT_EQ(image.Sample(1, 1, 0), 65535);
}

TEST(ImageFile, FitsSigned16WithoutOffsetReadsNegativesAsZero) {
  const auto bytes = FitsFile({"SIMPLE  =                    T", "BITPIX  =                   16",
                               "NAXIS   =                    2", "NAXIS1  =                    3",
                               "NAXIS2  =                    1"},
                              {0xFF, 0xFF, 0x7F, 0xFF, 0x00, 0x05});
  THostImageFile image;
  ASSERT_TRUE(DecodeImage(bytes, TImageFormat::Fits, image));
  EXPECT_EQ(image.Sample(0, 0, 0), 0);
  EXPECT_EQ(image.Sample(1, 0, 0), 32767);
  EXPECT_EQ(image.Sample(2, 0, 0), 5);
}

TEST(ImageFile, FitsThreePlanesInterleaveAsRGB) {
  // 2 x 1 pixels, planes R = (1, 2), G = (3, 4), B = (5, 6).
  const auto bytes = FitsFile({"SIMPLE  =                    T", "BITPIX  =                    8",
                               "NAXIS   =                    3", "NAXIS1  =                    2",
                               "NAXIS2  =                    1", "NAXIS3  =                    3"},
                              {1, 2, 3, 4, 5, 6});
  THostImageFile image;
  ASSERT_TRUE(DecodeImage(bytes, TImageFormat::Fits, image));
  EXPECT_EQ(image.Channels, 3);
  EXPECT_EQ(image.Data, (std::vector<uint8_t>{1, 3, 5, 2, 4, 6}));
}

struct TSampleFrame {
  const char* File;
  int Width, Height;
  double Min, Max;
  double TopLeft, BottomLeft;  // first sample of the last and of the first row in the file
};

class ImageFileSamples : public testing::TestWithParam<TSampleFrame> {};

TEST_P(ImageFileSamples, RealFrameReadsAsUnsigned16Gray) {
  const TSampleFrame& p = GetParam();
  THostImageFile image;
  std::string error;
  ASSERT_TRUE(ReadImageFile(std::string(SKELVANE_SAMPLES_DIR) + "/" + p.File, image, &error)) << error;
  EXPECT_EQ(image.Width, p.Width);
  EXPECT_EQ(image.Height, p.Height);
  EXPECT_EQ(image.Channels, 1);
  EXPECT_EQ(image.Depth, 16);
  double lo = 1e9, hi = -1e9;
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x) {
      lo = std::min(lo, image.Sample(x, y, 0));
      hi = std::max(hi, image.Sample(x, y, 0));
    }
  EXPECT_EQ(lo, p.Min);
  EXPECT_EQ(hi, p.Max);
  EXPECT_EQ(image.Sample(0, 0, 0), p.TopLeft);
  EXPECT_EQ(image.Sample(0, image.Height - 1, 0), p.BottomLeft);
}

INSTANTIATE_TEST_SUITE_P(TelescopeFrames, ImageFileSamples,
                         testing::Values(TSampleFrame{"m51-simple.fits", 256, 256, 34, 6630, 53, 38},
                                         TSampleFrame{"saao-a8280271.fits", 536, 520, 187, 1715, 212, 187}));

struct TMalformed {
  const char* What;
  TImageFormat Format;
  std::vector<uint8_t> Bytes;
};

std::vector<TMalformed> MalformedFiles() {
  const std::string simple = "SIMPLE  =                    T";
  const std::string naxis2 = "NAXIS   =                    2";
  const std::string w2 = "NAXIS1  =                    2", h2 = "NAXIS2  =                    2";
  const std::string b16 = "BITPIX  =                   16";
  return {
      {"Empty", TImageFormat::Pnm, {}},
      {"PnmMagicOnly", TImageFormat::Pnm, Bytes("P5\n")},
      {"PnmAsciiVariant", TImageFormat::Pnm, Bytes("P2\n1 1\n255\n0\n")},
      {"PnmShortData", TImageFormat::Pnm, Bytes("P5\n2 2\n255\n\x01\x02\x03")},
      {"PnmZeroWidth", TImageFormat::Pnm, Bytes("P5\n0 2\n255\n\x01\x02")},
      {"PnmNegativeHeight", TImageFormat::Pnm, Bytes("P5\n2 -2\n255\n\x01\x02\x03\x04")},
      {"PnmHugeWidth", TImageFormat::Pnm, Bytes("P5\n99999999999 1\n255\n\x01")},
      {"PnmMaxvalTooLarge", TImageFormat::Pnm, Bytes("P5\n1 1\n65536\n\x01\x02")},
      {"PnmNoHeaderEnd", TImageFormat::Pnm, Bytes("P5\n1 1\n255")},
      {"PfmZeroScale", TImageFormat::Pfm, Bytes("Pf\n1 1\n0\n\x00\x00\x00\x00")},
      {"PfmTextScale", TImageFormat::Pfm, Bytes("Pf\n1 1\nnan\n\x00\x00\x00\x00")},
      {"PfmShortData", TImageFormat::Pfm, Bytes("PF\n1 1\n-1\n\x00\x00\x00\x00")},
      {"FitsNoEnd", TImageFormat::Fits, Bytes(std::string(2880, ' '))},
      {"FitsNotSimple", TImageFormat::Fits, FitsFile({"SIMPLE  =                    F", b16, naxis2, w2, h2}, std::vector<uint8_t>(8))},
      {"FitsOneAxis", TImageFormat::Fits, FitsFile({simple, b16, "NAXIS   =                    1", w2}, std::vector<uint8_t>(4))},
      {"FitsFourPlanes", TImageFormat::Fits, FitsFile({simple, b16, "NAXIS   =                    3", w2, h2, "NAXIS3  =                    4"}, std::vector<uint8_t>(32))},
      {"FitsBitpix32", TImageFormat::Fits, FitsFile({simple, "BITPIX  =                   32", naxis2, w2, h2}, std::vector<uint8_t>(16))},
      {"FitsOtherOffset", TImageFormat::Fits, FitsFile({simple, b16, naxis2, w2, h2, "BZERO   =                  100"}, std::vector<uint8_t>(8))},
      {"FitsScaled", TImageFormat::Fits, FitsFile({simple, b16, naxis2, w2, h2, "BSCALE  =                  2.0"}, std::vector<uint8_t>(8))},
      {"FitsHugeAxis", TImageFormat::Fits, FitsFile({simple, b16, naxis2, "NAXIS1  =               100000", h2}, std::vector<uint8_t>(8))},
      {"FitsMissingData", TImageFormat::Fits, std::vector<uint8_t>(FitsFile({simple, b16, naxis2, w2, h2}, {}))},
      {"FitsBadValue", TImageFormat::Fits, FitsFile({simple, b16, naxis2, "NAXIS1  =                  two", h2}, std::vector<uint8_t>(8))},
      {"PngIsWriteOnly", TImageFormat::Png, Bytes("\x89PNG\r\n\x1a\n")},
  };
}

class ImageFileMalformed : public testing::TestWithParam<TMalformed> {};

TEST_P(ImageFileMalformed, IsRejectedWithReasonAndEmptyImage) {
  THostImageFile image;
  std::string error;
  EXPECT_FALSE(DecodeImage(GetParam().Bytes, GetParam().Format, image, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(image.Width, 0);
  EXPECT_TRUE(image.Data.empty());
}

INSTANTIATE_TEST_SUITE_P(Headers, ImageFileMalformed, testing::ValuesIn(MalformedFiles()),
                         [](const testing::TestParamInfo<TMalformed>& info) { return std::string(info.param.What); });

TEST(ImageFile, EveryTruncationOfAValidFileIsRejected) {
  const struct {
    TImageFormat Format;
    int Channels, Depth;
  } cases[] = {{TImageFormat::Pnm, 3, 16}, {TImageFormat::Pfm, 3, 32}, {TImageFormat::Fits, 3, 16}};
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeImage(ExtremesImage(3, 2, c.Channels, c.Depth), c.Format, bytes));
    // A FITS file may lack the padding of its last block; everything shorter than the samples fails.
    const size_t needed = c.Format == TImageFormat::Fits ? 2880 + 3 * 2 * 3 * 2 : bytes.size();
    for (size_t n = 0; n < needed; ++n) {
      THostImageFile image;
      const std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + n);
      EXPECT_FALSE(DecodeImage(prefix, c.Format, image)) << "length " << n;
    }
    THostImageFile image;
    EXPECT_TRUE(DecodeImage(std::vector<uint8_t>(bytes.begin(), bytes.begin() + needed), c.Format, image));
  }
}

TEST(ImageFile, FormatFollowsExtension) {
  EXPECT_EQ(FormatFromPath("a/b.PGM"), TImageFormat::Pnm);
  EXPECT_EQ(FormatFromPath("x.ppm"), TImageFormat::Pnm);
  EXPECT_EQ(FormatFromPath("x.pfm"), TImageFormat::Pfm);
  EXPECT_EQ(FormatFromPath("x.Fit"), TImageFormat::Fits);
  EXPECT_EQ(FormatFromPath("x.png"), TImageFormat::Png);
  EXPECT_EQ(FormatFromPath("dir.fits/file"), TImageFormat::Unknown);
  EXPECT_EQ(FormatFromPath("x.tif"), TImageFormat::Unknown);
  THostImageFile image;
  std::string error;
  EXPECT_FALSE(WriteImageFile(TestTempPath("x.tif"), ExtremesImage(1, 1, 1, 8), &error));
  EXPECT_FALSE(ReadImageFile(TestTempPath("does-not-exist.pgm"), image, &error));
}

TEST(ImageFile, ToDisplay8ScalesEachDepth) {
  THostImageFile deep;
  ASSERT_TRUE(deep.Allocate(4, 1, 1, 16));
  const double in16[] = {0, 32768, 65535, 257};
  for (int x = 0; x < 4; ++x) deep.SetSample(x, 0, 0, in16[x]);
  EXPECT_EQ(ToDisplay8(deep), (std::vector<uint8_t>{0, 128, 255, 1}));

  THostImageFile real;
  ASSERT_TRUE(real.Allocate(6, 1, 1, 32));
  const double inF[] = {-1, 0.5, 2, std::nan(""), 1.0 / 255, 0.25};
  for (int x = 0; x < 6; ++x) real.SetSample(x, 0, 0, inF[x]);
  // 0.5 * 255 = 127.5 rounds to even.
  EXPECT_EQ(ToDisplay8(real), (std::vector<uint8_t>{0, 128, 255, 0, 1, 64}));
}

TEST(ImageFile, StretchMapsPercentilesToFullRange) {
  THostImageFile image;
  ASSERT_TRUE(image.Allocate(101, 1, 1, 16));
  for (int x = 0; x <= 100; ++x) image.SetSample(x, 0, 0, 1000 + 10 * x);
  const THostImageFile view = StretchForView(image, 10, 90);
  ASSERT_EQ(view.Depth, 8);
  EXPECT_EQ(view.Sample(0, 0, 0), 0);
  EXPECT_EQ(view.Sample(10, 0, 0), 0);
  EXPECT_EQ(view.Sample(50, 0, 0), 128);  // 127.5, ties to even
  EXPECT_EQ(view.Sample(90, 0, 0), 255);
  EXPECT_EQ(view.Sample(100, 0, 0), 255);
}

}  // namespace
