// Shared pieces of the end-to-end tests: the test plug-ins, test images and the event log.
#pragma once

#include "FilterHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// One build of the test plug-in and what its start policy promises.
struct TVariant
{
  const char* Name;
  const char* Path;
  bool ZeroesLowPlanes;
  bool LoadsImage;
  bool AlwaysCancels;
  bool SecondAdvanceState;
};

const std::vector<TVariant>& Variants();

// A deterministic ramp with distinct samples, float samples inside 0..1.
THostImageFile RampImage(int width, int height, int channels, int depth);
// The test dialog's transform: every sample inverted within its depth's range.
THostImageFile Inverted(const THostImageFile& image);

// Environment of the test dialog: how it closes itself ("ok", "cancel", "" for never) and
// where it fails on purpose ("" for nowhere).
void SetTestDialog(const std::string& autoClose, const std::string& fail = "");

// The event log shared by the host and the test plug-in, emptied when created.
class TEventLog
{
public:
  TEventLog();
  const std::string& Path() const { return FPath; }
  std::vector<std::string> Lines() const;
  // The lines from the first starting with `from` to the next starting with `to`, both
  // excluded.
  std::vector<std::string> Between(const std::string& from, const std::string& to) const;

private:
  std::string FPath;
};

std::string TestPluginName(const testing::TestParamInfo<TVariant>& info);
