#include <gtest/gtest.h>

#include "E2ETestSupport.h"
#include "TempFolder.h"

#include <cstdio>
#include <fstream>

const std::vector<TVariant>& Variants()
{
  static const std::vector<TVariant> variants = {
      {"LucyRichardson", TEST_PLUGIN_LR, false, true, false, true},
      {"MaximumEntropy", TEST_PLUGIN_ME, false, true, false, true},
      {"DDP", TEST_PLUGIN_DDP, true, false, false, true},
      {"Statistics", TEST_PLUGIN_STATISTICS, true, false, true, false},
  };
  return variants;
}

std::string TestPluginName(const testing::TestParamInfo<TVariant>& info)
{
  return info.param.Name;
}

THostImageFile RampImage(int width, int height, int channels, int depth)
{
  THostImageFile image;
  image.Allocate(width, height, channels, depth);
  const double maximum = depth == 8 ? 255 : depth == 16 ? 65535 : 1;
  int index = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c, ++index)
        image.SetSample(x, y, c, depth == 32 ? (index % 97) / 96.0 : double((index * 7) % int(maximum + 1)));
  return image;
}

THostImageFile Inverted(const THostImageFile& image)
{
  THostImageFile result = image;
  const double maximum = image.Depth == 8 ? 255 : image.Depth == 16 ? 65535 : 1;
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x)
      for (int c = 0; c < image.Channels; ++c)
        result.SetSample(x, y, c, image.Depth == 32 ? double(1.0f - float(image.Sample(x, y, c)))
                                                    : maximum - image.Sample(x, y, c));
  return result;
}

void SetTestDialog(const std::string& autoClose, const std::string& fail)
{
  SetEnvironmentVariableA("SKELVANE_TEST_AUTOCLOSE", autoClose.empty() ? nullptr : autoClose.c_str());
  SetEnvironmentVariableA("SKELVANE_TEST_THROW", fail.empty() ? nullptr : fail.c_str());
}

TEventLog::TEventLog() : FPath(TestTempPath("e2e-events.txt"))
{
  std::remove(FPath.c_str());
  SetEnvironmentVariableA("SKELVANE_TEST_EVENTS", FPath.c_str());
}

std::vector<std::string> TEventLog::Lines() const
{
  std::vector<std::string> lines;
  std::ifstream file(FPath);
  for (std::string line; std::getline(file, line);)
    lines.push_back(line);
  return lines;
}

std::vector<std::string> TEventLog::Between(const std::string& from, const std::string& to) const
{
  std::vector<std::string> result;
  bool inside = false;
  for (const std::string& line : Lines())
  {
    if (!inside)
      inside = line.rfind(from, 0) == 0;
    else if (line.rfind(to, 0) == 0)
      break;
    else
      result.push_back(line);
  }
  return result;
}
