// Basic types, result codes and image modes of the host's filter interface (Windows layout).
#pragma once

#include <cstdint>

typedef std::int8_t int8;
typedef std::int16_t int16;
typedef std::int32_t int32;
typedef std::uint8_t uint8;
typedef std::uint16_t uint16;
typedef std::uint32_t uint32;

typedef unsigned char Boolean;
typedef int16 OSErr;
typedef int32 Fixed;    // 16.16 fixed point
typedef uint32 OSType;  // four-character code
typedef char* Ptr;
typedef char** Handle;

#pragma pack(push, 4)

// Note the order: v (vertical) comes first.
struct Point
{
  int16 v;
  int16 h;
};

// bottom and right are exclusive: width = right - left.
struct Rect
{
  int16 top;
  int16 left;
  int16 bottom;
  int16 right;
};

struct RGBColor
{
  uint16 red;
  uint16 green;
  uint16 blue;
};

typedef uint8 FilterColor[4];

struct PlatformData
{
  intptr_t hwnd;
};

#pragma pack(pop)

static_assert(sizeof(Boolean) == 1, "Boolean is one byte");
static_assert(sizeof(OSErr) == 2, "OSErr is 16 bits");
static_assert(sizeof(Fixed) == 4, "Fixed is 32 bits");
static_assert(sizeof(OSType) == 4, "OSType is 32 bits");
static_assert(sizeof(Point) == 4, "Point is two int16");
static_assert(sizeof(Rect) == 8, "Rect is four int16");
static_assert(sizeof(RGBColor) == 6, "RGBColor is three uint16");
static_assert(sizeof(FilterColor) == 4, "FilterColor is four bytes");
static_assert(sizeof(PlatformData) == sizeof(void*), "PlatformData holds one window handle");

// Result codes the host understands.
constexpr OSErr noErr = 0;
constexpr OSErr memFullErr = -108;
constexpr OSErr userCanceledErr = -128;
constexpr OSErr filterBadParameters = -30100;
constexpr OSErr filterBadMode = -30101;

// Image modes (FilterRecord::imageMode).
constexpr int16 plugInModeBitmap = 0;
constexpr int16 plugInModeGrayScale = 1;
constexpr int16 plugInModeIndexedColor = 2;
constexpr int16 plugInModeRGBColor = 3;
constexpr int16 plugInModeCMYKColor = 4;
constexpr int16 plugInModeHSLColor = 5;
constexpr int16 plugInModeHSBColor = 6;
constexpr int16 plugInModeMultichannel = 7;
constexpr int16 plugInModeDuotone = 8;
constexpr int16 plugInModeLabColor = 9;
constexpr int16 plugInModeGray16 = 10;
constexpr int16 plugInModeRGB48 = 11;
constexpr int16 plugInModeLab48 = 12;
constexpr int16 plugInModeCMYK64 = 13;
constexpr int16 plugInModeDeepMultichannel = 14;
constexpr int16 plugInModeDuotone16 = 15;
constexpr int16 plugInModeRGB96 = 16;
constexpr int16 plugInModeGray32 = 17;
