#include "ImageFile.h"

#include "DisplayStretch.h"
#include "FileBytes.h"
#include "PngFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

// Images are kept well below what 32-bit host rectangles (int16 coordinates) and a 32-bit
// process could hold, so size arithmetic never overflows and a corrupt header cannot make
// us allocate gigabytes.
constexpr int kMaxSide = 65535;
constexpr uint64_t kMaxDataBytes = 1ull << 30;

bool Fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return false;
}

uint32_t FloatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

float BitsFloat(uint32_t u) {
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t GetLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void PutLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint16_t GetBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t GetBE32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
void PutBE16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Offset of sample c of pixel (x, y) in Data.
size_t SampleOffset(const THostImageFile& image, int x, int y, int c) {
  return (static_cast<size_t>(y) * image.Width + x) * image.Channels * image.SampleBytes() +
         static_cast<size_t>(c) * image.SampleBytes();
}

// Header tokens of PGM/PPM/PFM: whitespace-separated, '#' starts a comment to the end of the
// line (PNM only; PFM writers never emit one, and accepting it there costs nothing).
class THeaderReader {
 public:
  explicit THeaderReader(const std::vector<uint8_t>& bytes) : FBytes(bytes) {}

  bool Token(std::string& token) {
    token.clear();
    while (FAt < FBytes.size()) {
      const uint8_t ch = FBytes[FAt];
      if (ch == '#') {
        while (FAt < FBytes.size() && FBytes[FAt] != '\n' && FBytes[FAt] != '\r') ++FAt;
      } else if (std::isspace(ch)) {
        ++FAt;
      } else {
        break;
      }
    }
    while (FAt < FBytes.size() && !std::isspace(FBytes[FAt]) && FBytes[FAt] != '#' &&
           token.size() < 64)
      token.push_back(static_cast<char>(FBytes[FAt++]));
    return !token.empty();
  }

  bool Integer(long& value, long lo, long hi) {
    std::string token;
    if (!Token(token)) return false;
    for (char ch : token)
      if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
    if (token.size() > 9) return false;
    value = std::strtol(token.c_str(), nullptr, 10);
    return value >= lo && value <= hi;
  }

  // The single whitespace byte that ends a header.
  bool EndOfHeader() {
    if (FAt >= FBytes.size() || !std::isspace(FBytes[FAt])) return false;
    // A Windows-written header may end in CR LF; the binary data begins after both.
    if (FBytes[FAt] == '\r' && FAt + 1 < FBytes.size() && FBytes[FAt + 1] == '\n') ++FAt;
    ++FAt;
    return true;
  }

  size_t Position() const { return FAt; }

 private:
  const std::vector<uint8_t>& FBytes;
  size_t FAt = 0;
};

bool DecodePnm(const std::vector<uint8_t>& bytes, THostImageFile& image, std::string* error) {
  THeaderReader header(bytes);
  std::string magic;
  if (!header.Token(magic) || (magic != "P5" && magic != "P6"))
    return Fail(error, "not a binary PGM/PPM file (P5 or P6 expected)");
  long width, height, maxval;
  if (!header.Integer(width, 1, kMaxSide) || !header.Integer(height, 1, kMaxSide))
    return Fail(error, "PGM/PPM: bad width or height");
  if (!header.Integer(maxval, 1, 65535)) return Fail(error, "PGM/PPM: bad maximum value");
  if (!header.EndOfHeader()) return Fail(error, "PGM/PPM: header not terminated");
  // Samples are kept as stored, not stretched to the full range, so that a file with a
  // maximum below 255 (or 65535) round-trips exactly; the writer always states the full range.
  const int depth = maxval < 256 ? 8 : 16;
  if (!image.Allocate(static_cast<int>(width), static_cast<int>(height), magic == "P6" ? 3 : 1,
                      depth))
    return Fail(error, "PGM/PPM: image too large");
  const size_t at = header.Position();
  if (bytes.size() - at < image.Data.size()) {
    image = THostImageFile();
    return Fail(error, "PGM/PPM: file shorter than its header says");
  }
  if (depth == 8) {
    std::copy(bytes.begin() + at, bytes.begin() + at + image.Data.size(), image.Data.begin());
  } else {
    for (size_t i = 0; i < image.Data.size(); i += 2) PutLE16(&image.Data[i], GetBE16(&bytes[at + i]));
  }
  return true;
}

bool EncodePnm(const THostImageFile& image, std::vector<uint8_t>& bytes, std::string* error) {
  if (image.Depth == 32) return Fail(error, "PGM/PPM holds only 8- and 16-bit samples; use PFM");
  const std::string head = std::string(image.Channels == 3 ? "P6" : "P5") + "\n" +
                           std::to_string(image.Width) + " " + std::to_string(image.Height) +
                           "\n" + (image.Depth == 8 ? "255" : "65535") + "\n";
  // Room for the whole file at once: growing by doubling would need up to three times the
  // samples' size at one moment, more than a 32-bit host may have for a large frame.
  bytes.reserve(head.size() + image.Data.size());
  bytes.assign(head.begin(), head.end());
  if (image.Depth == 8) {
    bytes.insert(bytes.end(), image.Data.begin(), image.Data.end());
  } else {
    for (size_t i = 0; i < image.Data.size(); i += 2) PutBE16(bytes, GetLE16(&image.Data[i]));
  }
  return true;
}

bool DecodePfm(const std::vector<uint8_t>& bytes, THostImageFile& image, std::string* error) {
  THeaderReader header(bytes);
  std::string magic, scaleText;
  if (!header.Token(magic) || (magic != "Pf" && magic != "PF"))
    return Fail(error, "not a PFM file (Pf or PF expected)");
  long width, height;
  if (!header.Integer(width, 1, kMaxSide) || !header.Integer(height, 1, kMaxSide))
    return Fail(error, "PFM: bad width or height");
  if (!header.Token(scaleText)) return Fail(error, "PFM: missing scale");
  char* end = nullptr;
  const double scale = std::strtod(scaleText.c_str(), &end);
  if (end != scaleText.c_str() + scaleText.size() || !(scale != 0) || !std::isfinite(scale))
    return Fail(error, "PFM: bad scale");
  if (!header.EndOfHeader()) return Fail(error, "PFM: header not terminated");
  // The magnitude of the scale is informational; only its sign (negative: little-endian)
  // affects the samples.
  const bool littleEndian = scale < 0;
  const int channels = magic == "PF" ? 3 : 1;
  if (!image.Allocate(static_cast<int>(width), static_cast<int>(height), channels, 32))
    return Fail(error, "PFM: image too large");
  const size_t at = header.Position();
  if (bytes.size() - at < image.Data.size()) {
    image = THostImageFile();
    return Fail(error, "PFM: file shorter than its header says");
  }
  // PFM stores the bottom row first.
  const size_t rowBytes = image.RowBytes();
  for (int y = 0; y < image.Height; ++y) {
    const uint8_t* src = &bytes[at + rowBytes * (image.Height - 1 - y)];
    uint8_t* dst = &image.Data[rowBytes * y];
    for (size_t i = 0; i < rowBytes; i += 4)
      PutLE32(dst + i, littleEndian ? GetLE32(src + i) : GetBE32(src + i));
  }
  return true;
}

bool EncodePfm(const THostImageFile& image, std::vector<uint8_t>& bytes, std::string* error) {
  if (image.Depth != 32) return Fail(error, "PFM holds only 32-bit float samples");
  const std::string head = std::string(image.Channels == 3 ? "PF" : "Pf") + "\n" +
                           std::to_string(image.Width) + " " + std::to_string(image.Height) +
                           "\n-1.0\n";
  bytes.reserve(head.size() + image.Data.size());  // at once, as for PGM/PPM
  bytes.assign(head.begin(), head.end());
  const size_t rowBytes = image.RowBytes();
  for (int y = image.Height - 1; y >= 0; --y) {
    const uint8_t* row = &image.Data[rowBytes * y];
    bytes.insert(bytes.end(), row, row + rowBytes);
  }
  return true;
}

// FITS: 2880-byte blocks of 80-character header cards ("KEYWORD = value / comment") up to
// END, then the big-endian data array, NAXIS1 varying fastest, planes one after another.
constexpr size_t kFitsBlock = 2880;
constexpr size_t kFitsCard = 80;

struct TFitsHeader {
  bool Simple = false;
  long Bitpix = 0;
  long Naxis = -1;
  long Axis[3] = {0, 0, 0};
  double Bzero = 0;
  double Bscale = 1;
  size_t DataAt = 0;
};

bool ParseFitsValue(const std::string& card, double& value) {
  // The value field runs from column 11 up to a comment slash.
  std::string field = card.substr(10);
  const size_t slash = field.find('/');
  if (slash != std::string::npos) field.resize(slash);
  const char* begin = field.c_str();
  char* end = nullptr;
  value = std::strtod(begin, &end);
  if (end == begin) return false;
  while (*end == ' ') ++end;
  return *end == '\0' && std::isfinite(value);
}

bool ParseFitsHeader(const std::vector<uint8_t>& bytes, TFitsHeader& header, std::string* error) {
  bool ended = false;
  size_t at = 0;
  for (; at + kFitsCard <= bytes.size(); at += kFitsCard) {
    const std::string card(reinterpret_cast<const char*>(&bytes[at]), kFitsCard);
    std::string keyword = card.substr(0, 8);
    keyword.erase(keyword.find_last_not_of(' ') + 1);
    if (at == 0 && keyword != "SIMPLE") return Fail(error, "not a FITS file (SIMPLE expected)");
    if (keyword == "END") {
      ended = true;
      break;
    }
    if (card.compare(8, 2, "= ") != 0) continue;  // COMMENT, HISTORY, blank cards
    if (keyword == "SIMPLE") {
      const size_t t = card.find_first_not_of(' ', 10);
      header.Simple = t != std::string::npos && card[t] == 'T';
      continue;
    }
    const bool known = keyword == "BITPIX" || keyword == "NAXIS" || keyword == "NAXIS1" ||
                       keyword == "NAXIS2" || keyword == "NAXIS3" || keyword == "BZERO" ||
                       keyword == "BSCALE";
    if (!known) continue;
    double value;
    if (!ParseFitsValue(card, value)) return Fail(error, "FITS: bad value of " + keyword);
    if (keyword == "BZERO") {
      header.Bzero = value;
    } else if (keyword == "BSCALE") {
      header.Bscale = value;
    } else {
      if (value != std::floor(value) || std::fabs(value) > kMaxSide)
        return Fail(error, "FITS: bad value of " + keyword);
      const long n = static_cast<long>(value);
      if (keyword == "BITPIX") header.Bitpix = n;
      else if (keyword == "NAXIS") header.Naxis = n;
      else header.Axis[keyword[5] - '1'] = n;
    }
  }
  if (!ended) return Fail(error, "FITS: header has no END card");
  if (!header.Simple) return Fail(error, "FITS: not a standard file (SIMPLE is not T)");
  header.DataAt = (at / kFitsBlock + 1) * kFitsBlock;
  return true;
}

bool DecodeFits(const std::vector<uint8_t>& bytes, THostImageFile& image, std::string* error) {
  TFitsHeader h;
  if (!ParseFitsHeader(bytes, h, error)) return false;
  int channels = 1;
  // A cube of a single plane is a gray image too.
  if (h.Naxis == 3 && (h.Axis[2] == 3 || h.Axis[2] == 1)) {
    channels = static_cast<int>(h.Axis[2]);
  } else if (h.Naxis != 2) {
    return Fail(error, "FITS: only 2-D gray or 3-plane RGB images are supported");
  }
  const long width = h.Axis[0], height = h.Axis[1];
  if (width < 1 || height < 1) return Fail(error, "FITS: bad image size");

  int depth;
  if (h.Bitpix == 8 && h.Bzero == 0 && h.Bscale == 1) {
    depth = 8;
  } else if (h.Bitpix == 16 && (h.Bzero == 0 || h.Bzero == 32768) && h.Bscale == 1) {
    depth = 16;
  } else if (h.Bitpix == -32 && h.Bzero == 0 && h.Bscale == 1) {
    depth = 32;
  } else {
    return Fail(error, "FITS: only BITPIX 8, 16 (optionally with BZERO 32768) and -32 "
                       "without further scaling are supported");
  }
  if (!image.Allocate(static_cast<int>(width), static_cast<int>(height), channels, depth))
    return Fail(error, "FITS: image too large");
  const size_t sampleBytes = image.SampleBytes();
  const size_t planeSamples = static_cast<size_t>(width) * height;
  // The last block's padding is often missing in files cut by careless writers; only the
  // samples themselves must be present.
  if (h.DataAt > bytes.size() || bytes.size() - h.DataAt < image.Data.size()) {
    image = THostImageFile();
    return Fail(error, "FITS: file shorter than its header says");
  }
  const bool unsignedShorts = h.Bzero == 32768;
  for (int c = 0; c < channels; ++c) {
    for (long fy = 0; fy < height; ++fy) {
      // FITS row 0 is the bottom of the picture; ours is the top.
      const int y = static_cast<int>(height - 1 - fy);
      const uint8_t* src =
          &bytes[h.DataAt + (planeSamples * c + static_cast<size_t>(fy) * width) * sampleBytes];
      for (int x = 0; x < width; ++x, src += sampleBytes) {
        uint8_t* dst = &image.Data[SampleOffset(image, x, y, c)];
        if (depth == 8) {
          *dst = *src;
        } else if (depth == 16) {
          const int16_t raw = static_cast<int16_t>(GetBE16(src));
          // Without BZERO the samples are signed; an unsigned 16-bit block cannot hold a
          // negative value, so negatives (typically bias noise) read as 0.
          const int value = unsignedShorts ? raw + 32768 : std::max<int>(raw, 0);
          PutLE16(dst, static_cast<uint16_t>(value));
        } else {
          PutLE32(dst, GetBE32(src));
        }
      }
    }
  }
  return true;
}

void PutFitsCard(std::vector<uint8_t>& out, const std::string& keyword, const std::string& value) {
  // Fixed format: keyword in columns 1-8, "= " in 9-10, value right-justified to column 30.
  std::string card = keyword;
  card.resize(8, ' ');
  if (!value.empty()) {
    card += "= ";
    card += std::string(value.size() < 20 ? 20 - value.size() : 0, ' ') + value;
  }
  card.resize(kFitsCard, ' ');
  out.insert(out.end(), card.begin(), card.end());
}

bool EncodeFits(const THostImageFile& image, std::vector<uint8_t>& bytes, std::string* error) {
  (void)error;
  bytes.clear();
  const int bitpix = image.Depth == 8 ? 8 : image.Depth == 16 ? 16 : -32;
  PutFitsCard(bytes, "SIMPLE", "T");
  PutFitsCard(bytes, "BITPIX", std::to_string(bitpix));
  PutFitsCard(bytes, "NAXIS", image.Channels == 3 ? "3" : "2");
  PutFitsCard(bytes, "NAXIS1", std::to_string(image.Width));
  PutFitsCard(bytes, "NAXIS2", std::to_string(image.Height));
  if (image.Channels == 3) PutFitsCard(bytes, "NAXIS3", "3");
  if (image.Depth == 16) {
    // Unsigned 16-bit samples are stored as signed values offset by 32768.
    PutFitsCard(bytes, "BZERO", "32768");
    PutFitsCard(bytes, "BSCALE", "1");
  }
  PutFitsCard(bytes, "END", "");
  bytes.resize((bytes.size() + kFitsBlock - 1) / kFitsBlock * kFitsBlock, ' ');
  // The header and the samples in whole blocks, room made at once as for PGM/PPM.
  bytes.reserve(bytes.size() + (image.Data.size() + kFitsBlock - 1) / kFitsBlock * kFitsBlock);

  for (int c = 0; c < image.Channels; ++c) {
    for (int fy = 0; fy < image.Height; ++fy) {
      const int y = image.Height - 1 - fy;
      for (int x = 0; x < image.Width; ++x) {
        const uint8_t* src = &image.Data[SampleOffset(image, x, y, c)];
        if (image.Depth == 8) {
          bytes.push_back(*src);
        } else if (image.Depth == 16) {
          PutBE16(bytes, static_cast<uint16_t>(GetLE16(src) ^ 0x8000));  // - 32768 as int16
        } else {
          PutBE32(bytes, GetLE32(src));
        }
      }
    }
  }
  bytes.resize((bytes.size() + kFitsBlock - 1) / kFitsBlock * kFitsBlock, 0);
  return true;
}

bool ValidShape(const THostImageFile& image) {
  return image.Width >= 1 && image.Height >= 1 && image.Width <= kMaxSide &&
         image.Height <= kMaxSide && (image.Channels == 1 || image.Channels == 3) &&
         (image.Depth == 8 || image.Depth == 16 || image.Depth == 32) &&
         image.Data.size() == image.RowBytes() * image.Height;
}

uint8_t To8(double value, double scale) {
  if (!(value > 0)) return 0;  // also NaN
  const double v = value * scale;
  return v >= 255 ? 255 : static_cast<uint8_t>(std::nearbyint(v));
}

}  // namespace

bool THostImageFile::Allocate(int width, int height, int channels, int depth) {
  *this = THostImageFile();
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  if ((channels != 1 && channels != 3) || (depth != 8 && depth != 16 && depth != 32)) return false;
  const uint64_t size = static_cast<uint64_t>(width) * height * channels * (depth / 8);
  if (size > kMaxDataBytes) return false;
  Width = width;
  Height = height;
  Channels = channels;
  Depth = depth;
  Data.assign(static_cast<size_t>(size), 0);
  return true;
}

double THostImageFile::Sample(int x, int y, int c) const {
  const uint8_t* p = &Data[SampleOffset(*this, x, y, c)];
  if (Depth == 8) return *p;
  if (Depth == 16) return GetLE16(p);
  return BitsFloat(GetLE32(p));
}

void THostImageFile::SetSample(int x, int y, int c, double value) {
  uint8_t* p = &Data[SampleOffset(*this, x, y, c)];
  if (Depth == 32) {
    PutLE32(p, FloatBits(static_cast<float>(value)));
    return;
  }
  const double hi = Depth == 8 ? 255 : 65535;
  const double v = !(value > 0) ? 0 : value > hi ? hi : std::nearbyint(value);
  if (Depth == 8) *p = static_cast<uint8_t>(v);
  else PutLE16(p, static_cast<uint16_t>(v));
}

TImageFormat FormatFromPath(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return TImageFormat::Unknown;
  std::string ext = path.substr(dot + 1);
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (ext == "pgm" || ext == "ppm") return TImageFormat::Pnm;
  if (ext == "pfm") return TImageFormat::Pfm;
  if (ext == "fits" || ext == "fit") return TImageFormat::Fits;
  if (ext == "png") return TImageFormat::Png;
  return TImageFormat::Unknown;
}

bool DecodeImage(const std::vector<uint8_t>& bytes, TImageFormat format, THostImageFile& image,
                 std::string* error) {
  image = THostImageFile();
  bool ok;
  switch (format) {
    case TImageFormat::Pnm: ok = DecodePnm(bytes, image, error); break;
    case TImageFormat::Pfm: ok = DecodePfm(bytes, image, error); break;
    case TImageFormat::Fits: ok = DecodeFits(bytes, image, error); break;
    case TImageFormat::Png: ok = Fail(error, "PNG files can be written but not read"); break;
    default: ok = Fail(error, "unknown image format"); break;
  }
  if (!ok) image = THostImageFile();
  return ok;
}

bool EncodeImage(const THostImageFile& image, TImageFormat format, std::vector<uint8_t>& bytes,
                 std::string* error) {
  bytes.clear();
  if (!ValidShape(image)) return Fail(error, "image has an invalid shape");
  bool ok;
  switch (format) {
    case TImageFormat::Pnm: ok = EncodePnm(image, bytes, error); break;
    case TImageFormat::Pfm: ok = EncodePfm(image, bytes, error); break;
    case TImageFormat::Fits: ok = EncodeFits(image, bytes, error); break;
    case TImageFormat::Png: {
      const std::vector<uint8_t> pixels = ToDisplay8(image);
      ok = EncodePng(image.Width, image.Height, image.Channels, pixels.data(),
                     image.Width * image.Channels, false, bytes) ||
           Fail(error, "PNG: image cannot be encoded");
      break;
    }
    default: ok = Fail(error, "unknown image format"); break;
  }
  if (!ok) bytes.clear();
  return ok;
}

bool ReadImageFile(const std::string& path, THostImageFile& image, std::string* error) {
  image = THostImageFile();
  const TImageFormat format = FormatFromPath(path);
  if (format == TImageFormat::Unknown) return Fail(error, path + ": unknown file extension");
  // The samples' limit and room for any header.
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, kMaxDataBytes + (1u << 20), bytes, error)) return false;
  std::string reason;
  if (!DecodeImage(bytes, format, image, &reason)) return Fail(error, path + ": " + reason);
  return true;
}

bool WriteImageFile(const std::string& path, const THostImageFile& image, std::string* error) {
  const TImageFormat format = FormatFromPath(path);
  if (format == TImageFormat::Unknown) return Fail(error, path + ": unknown file extension");
  std::vector<uint8_t> bytes;
  std::string reason;
  if (!EncodeImage(image, format, bytes, &reason)) return Fail(error, path + ": " + reason);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return Fail(error, path + ": cannot create");
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (file.fail()) return Fail(error, path + ": write failed");
  return true;
}

std::vector<uint8_t> ToDisplay8(const THostImageFile& image) {
  if (!ValidShape(image)) return {};
  const size_t count = image.Data.size() / image.SampleBytes();
  std::vector<uint8_t> out(count);
  const uint8_t* p = image.Data.data();
  for (size_t i = 0; i < count; ++i) {
    if (image.Depth == 8) out[i] = p[i];
    else if (image.Depth == 16) out[i] = To8(GetLE16(p + 2 * i), 255.0 / 65535.0);
    else out[i] = To8(BitsFloat(GetLE32(p + 4 * i)), 255.0);
  }
  return out;
}

THostImageFile StretchForView(const THostImageFile& image, double lowPercent, double highPercent) {
  return ApplyStretch(image,
                      StretchFromPercentiles(image, lowPercent, highPercent, TStretchCurve::Linear));
}
