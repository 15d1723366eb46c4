// skelvane-host: a small but real host of the filter interface, as a console program.
#include "AllocationLimit.h"
#include "DisplayStretch.h"
#include "FilterHost.h"
#include "DialogWatchdog.h"
#include "FuzzRecords.h"
#include "Script.h"
#include "WaitFactor.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>

namespace
{

const char kUsage[] =
    "usage: skelvane-host --plugin FILE.8bf [options]\n"
    "  --in FILE          image to filter (PGM/PPM 8/16 bit, PFM, FITS)\n"
    "  --out FILE         where to write the result (PGM/PPM, PFM, FITS, PNG)\n"
    "  --compare FILE.png after a successful run, write the input (left) beside the result\n"
    "                     (right), both under one display stretch taken from the input\n"
    "  --mode M           image mode: gray, rgb or a number (default: from the image)\n"
    "  --pad N            bytes of padding after each row of the input block\n"
    "  --out-pad N        bytes of padding after each row of the output block\n"
    "  --rect T,L,B,R     filter rectangle (default: the whole image)\n"
    "  --lo-planes N      the low planes the host presets (default 0)\n"
    "  --fail-advance K   advanceState misbehaves: error (memFullErr, no blocks) or null\n"
    "  --selectors LIST   call exactly these selectors (comma-separated) instead of a run\n"
    "  --about            show the about box (selector 0) instead of a run\n"
    "  --script FILE      drive the dialogs with this script from a second thread\n"
    "  --artifacts DIR    where the script's screenshots go (default: current directory)\n"
    "  --report FILE      write what happened as key=value lines\n"
    "  --events FILE      append the host's and the test plug-in's events to this file\n"
    "  --no-check         do not insist on the property list and version resources\n"
    "  --x87-precision N  call with the x87 precision control at N bits (24, 53 or 64), as\n"
    "                     hosts built with other compilers run\n"
    "  --stack-align 4    (32-bit) call with the stack aligned to 4 bytes only, not to 16\n"
    "  --fuzz-records N   call the plug-in with N randomised filter records instead of a run,\n"
    "                     answering its dialogs; --fuzz-first K starts at record K and\n"
    "                     --seed S picks the records, --fuzz-trace prints each before it\n"
    "                     runs (see host/FuzzRecords.h)\n"
    "  --fail-alloc N     the host's own allocations of N bytes or more fail, as when memory\n"
    "                     runs out (the plug-in's are not affected)\n"
    "exit status:\n"
    "  0  the run was made, whatever the plug-in answered\n"
    "  1  a file, the plug-in or the script failed (--fuzz-records: a record failed)\n"
    "  2  a bad command line\n"
    "  4  not enough memory to read, hold or write the image; the message says which\n";

// Memory running out for a whole image ends the host with this status and a message; 3 is
// what the runtime's abort gives, without a word.
constexpr int kExitNoMemory = 4;

struct TOptions
{
  std::string Plugin, In, Out, Compare, Script, Artifacts, Report, Events;
  std::string Mode;
  int Pad = 0, OutPad = 0;
  bool HasRect = false;
  Rect FilterRect{};
  int LoPlanes = 0;
  TAdvanceFault Fault = TAdvanceFault::None;
  bool HasSelectors = false;
  std::vector<int16> Selectors;
  bool About = false;
  bool Check = true;
  TCallStyle CallStyle;
  int FailAllocFrom = 0;
  bool Fuzz = false;
  TFuzzOptions FuzzOptions;
};

bool ParseInt(const std::string& text, int& value)
{
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0')
    return false;
  value = int(parsed);
  return true;
}

bool ParseIntList(const std::string& text, std::vector<int>& values)
{
  std::stringstream stream(text);
  std::string item;
  while (std::getline(stream, item, ','))
  {
    int value;
    if (!ParseInt(item, value))
      return false;
    values.push_back(value);
  }
  return !values.empty();
}

bool ParseOptions(int argc, char** argv, TOptions& options, std::string& error)
{
  for (int i = 1; i < argc; ++i)
  {
    const std::string name = argv[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= argc)
        return false;
      target = argv[++i];
      return true;
    };
    std::string text;
    bool ok = true;
    if (name == "--plugin") ok = value(options.Plugin);
    else if (name == "--in") ok = value(options.In);
    else if (name == "--out") ok = value(options.Out);
    else if (name == "--compare")
      ok = value(options.Compare) && FormatFromPath(options.Compare) == TImageFormat::Png;
    else if (name == "--mode") ok = value(options.Mode);
    else if (name == "--script") ok = value(options.Script);
    else if (name == "--artifacts") ok = value(options.Artifacts);
    else if (name == "--report") ok = value(options.Report);
    else if (name == "--events") ok = value(options.Events);
    else if (name == "--pad") ok = value(text) && ParseInt(text, options.Pad);
    else if (name == "--out-pad") ok = value(text) && ParseInt(text, options.OutPad);
    else if (name == "--lo-planes") ok = value(text) && ParseInt(text, options.LoPlanes);
    else if (name == "--rect")
    {
      std::vector<int> values;
      ok = value(text) && ParseIntList(text, values) && values.size() == 4;
      if (ok)
        options.FilterRect = {int16(values[0]), int16(values[1]), int16(values[2]),
                              int16(values[3])};
      options.HasRect = true;
    }
    else if (name == "--fail-advance")
    {
      ok = value(text) && (text == "error" || text == "null");
      options.Fault = text == "error" ? TAdvanceFault::Error : TAdvanceFault::Null;
    }
    else if (name == "--selectors")
    {
      std::vector<int> values;
      ok = value(text) && ParseIntList(text, values);
      for (int selector : values)
        options.Selectors.push_back(int16(selector));
      options.HasSelectors = true;
    }
    else if (name == "--x87-precision")
      ok = value(text) && ParseInt(text, options.CallStyle.X87PrecisionBits);
    else if (name == "--stack-align")
    {
      ok = value(text) && text == "4";
      options.CallStyle.StackAlignedTo4 = ok;
    }
    else if (name == "--fuzz-records")
    {
      int records = 0;
      ok = value(text) && ParseInt(text, records) && records > 0;
      options.FuzzOptions.Records = records;
      options.Fuzz = true;
    }
    else if (name == "--fuzz-first")
    {
      int first = 0;
      ok = value(text) && ParseInt(text, first) && first >= 0;
      options.FuzzOptions.First = first;
    }
    else if (name == "--fuzz-trace") options.FuzzOptions.Trace = true;
    else if (name == "--fail-alloc")
      ok = value(text) && ParseInt(text, options.FailAllocFrom) && options.FailAllocFrom > 0;
    else if (name == "--seed")
    {
      ok = value(text) && !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
      if (ok)
        options.FuzzOptions.Seed = std::strtoull(text.c_str(), nullptr, 10);
    }
    else if (name == "--about") options.About = true;
    else if (name == "--no-check") options.Check = false;
    else
    {
      error = "unknown option " + name;
      return false;
    }
    if (!ok)
    {
      error = "bad or missing value for " + name;
      return false;
    }
  }
  if (options.Plugin.empty())
  {
    error = "--plugin is required";
    return false;
  }
  if (!options.About && !options.HasSelectors && !options.Fuzz && options.In.empty())
  {
    error = "--in is required for a run";
    return false;
  }
  return true;
}

int16 ModeFromOption(const std::string& mode, const THostImageFile& image)
{
  if (mode.empty())
    return ImageModeFor(image);
  THostImageFile shaped = image;
  if (mode == "gray" || mode == "rgb")
  {
    shaped.Channels = mode == "gray" ? 1 : 3;
    return image.Channels == shaped.Channels ? ImageModeFor(shaped) : int16(-1);
  }
  int value;
  return ParseInt(mode, value) ? int16(value) : int16(-1);
}

bool ReadText(const std::string& path, std::string& text)
{
  std::ifstream file(path, std::ios::binary);
  if (!file)
    return false;
  std::stringstream stream;
  stream << file.rdbuf();
  text = stream.str();
  return true;
}

std::string PlanesText(int16 lo, int16 hi) { return std::to_string(lo) + " " + std::to_string(hi); }

void WriteState(std::ostream& out, const char* prefix, const TRecordState& state)
{
  out << prefix << ".inRect=" << RectText(state.InRect) << "\n"
      << prefix << ".outRect=" << RectText(state.OutRect) << "\n"
      << prefix << ".maskRect=" << RectText(state.MaskRect) << "\n"
      << prefix << ".inPlanes=" << PlanesText(state.InLoPlane, state.InHiPlane) << "\n"
      << prefix << ".outPlanes=" << PlanesText(state.OutLoPlane, state.OutHiPlane) << "\n";
}

// The dialog script runs beside the plug-in call; the plug-in's modal loop keeps this
// thread's messages flowing meanwhile.
class TScriptSession
{
public:
  TScriptSession(const TOptions& options, std::string& error)
  {
    if (options.Script.empty())
      return;
    std::string text;
    if (!ReadText(options.Script, text))
    {
      error = "cannot read script " + options.Script;
      return;
    }
    FRunner.reset(new TScriptRunner(text, options.Artifacts));
    FRunner->Start();
    // A failed script closes the dialog, so that the run ends instead of waiting for a user.
    FWatchdog.reset(new TDialogWatchdog(*FRunner));
  }
  // True when there was no script or it ran to its end.
  bool Finish(std::string& error)
  {
    if (!FRunner)
      return true;
    FWatchdog->Disarm();
    if (!FRunner->Wait(ScaledWaitMs(kScriptEndTimeoutMs)))
    {
      error = "script did not finish";
      return false;
    }
    if (!FRunner->Succeeded())
    {
      error = "script failed: " + FRunner->Error();
      return false;
    }
    return true;
  }

private:
  // How long the script may run on once the filter call has returned: what is left of it
  // follows a dialog that has closed.
  static constexpr unsigned kScriptEndTimeoutMs = 30000;
  std::unique_ptr<TScriptRunner> FRunner;
  std::unique_ptr<TDialogWatchdog> FWatchdog;
};

int Fail(const std::string& message)
{
  std::fprintf(stderr, "skelvane-host: %s\n", message.c_str());
  return 1;
}

std::string ShapeText(const THostImageFile& image)
{
  return std::to_string(image.Width) + " x " + std::to_string(image.Height) +
         (image.Channels == 3 ? " RGB" : " gray") + ", " + std::to_string(image.Depth) + "-bit";
}

// The run; step says what it is doing whenever it may need memory for a whole image.
int Run(int argc, char** argv, std::string& step)
{
  TOptions options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error))
  {
    std::fprintf(stderr, "skelvane-host: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  SetAllocationLimit(std::size_t(options.FailAllocFrom));

  TPluginInfo info;
  if (options.Check && !CheckPluginFile(options.Plugin, info, error))
    return Fail(options.Plugin + ": " + error);
  if (options.Check)
    std::printf("plug-in \"%s\" in \"%s\", modes %08x, %s %s\n", info.Name.c_str(),
                info.Category.c_str(), unsigned(info.ModeFlags), info.ProductName.c_str(),
                info.FileVersion.c_str());

  THostImageFile image;
  step = "read " + options.In;
  if (!options.In.empty() && !ReadImageFile(options.In, image, &error))
    return Fail(options.In + ": " + error);
  if (options.In.empty())
    image.Allocate(1, 1, 1, 8);
  step = "run the plug-in";
  const int16 mode = ModeFromOption(options.Mode, image);
  if (mode < 0)
    return Fail("no image mode for --mode " + options.Mode);

  if (!options.Events.empty())
    SetEnvironmentVariableA("SKELVANE_TEST_EVENTS", options.Events.c_str());
  TPluginModule plugin;
  if (!plugin.SetCallStyle(options.CallStyle))
    return Fail("this host cannot call with that x87 precision or stack alignment");
  if (!plugin.Load(options.Plugin, error))
    return Fail(error);
  if (options.Fuzz)
    return RunFuzzRecords(plugin, options.FuzzOptions);

  // The host keeps the image as it was, for a cancel and for the comparison picture.
  step = "copy the image (" + ShapeText(image) + ") for the plug-in";
  TFilterHost host(image, mode);
  step = "run the plug-in";
  host.SetPadding(options.Pad, options.OutPad);
  host.SetAdvanceFault(options.Fault);
  host.SetEventLog(options.Events);
  if (options.HasRect)
    host.Record().filterRect = options.FilterRect;
  host.Record().inLoPlane = host.Record().outLoPlane = int16(options.LoPlanes);

  TScriptSession script(options, error);
  if (!error.empty())
    return Fail(error);
  TRunReport report;
  if (options.About)
  {
    // Selector 0 gets an about record, not a filter record; ours is all zeros.
    std::vector<uint8_t> aboutRecord(sizeof(FilterRecord), 0);
    const int16 result = plugin.Call(filterSelectorAbout, aboutRecord.data());
    report.Calls.push_back({filterSelectorAbout, result});
    report.Result = result;
  }
  else if (options.HasSelectors)
    report = RunSelectors(plugin, host, options.Selectors);
  else
    report = RunFilter(plugin, host);
  const bool scriptOk = script.Finish(error);

  // A host keeps the image as it was when the filter reports a failure or a cancel.
  const bool applied = report.Result == noErr && !options.About && !options.HasSelectors;
  const THostImageFile& result = applied ? host.Image() : image;
  std::printf("result %d\n", report.Result);

  if (!options.Report.empty())
  {
    std::ofstream out(options.Report, std::ios::trunc);
    out << "result=" << report.Result << "\n" << "calls=";
    for (size_t i = 0; i < report.Calls.size(); ++i)
      out << (i ? " " : "") << report.Calls[i].Selector << ":" << report.Calls[i].Result;
    out << "\n"
        << "advanceState=" << host.AdvanceStateCalls() << "\n";
    WriteState(out, "start", report.AfterStart);
    WriteState(out, "final", report.Final);
    out << "inputUntouched=" << host.InputUntouched() << "\n"
        << "outputGuardsIntact=" << host.OutputGuardsIntact() << "\n"
        << "applied=" << applied << "\n"
        << "imageChanged=" << (host.Image().Data != image.Data) << "\n"
        << "floatingPointRestored=" << plugin.FloatingPointRestored() << "\n";
    if (!out)
      return Fail("cannot write " + options.Report);
  }
  step = "write " + options.Out + " (" + ShapeText(result) + ")";
  if (!options.Out.empty() && !WriteImageFile(options.Out, result, &error))
    return Fail(options.Out + ": " + error);
  // Only a result worth judging is compared; after a cancel or a failure the picture would
  // show the input twice.
  step = "write " + options.Compare + " (two images of " + ShapeText(image) + ")";
  if (!options.Compare.empty() && applied &&
      !WriteImageFile(options.Compare, CompareSideBySide(image, result), &error))
    return Fail(options.Compare + ": " + error);
  if (!scriptOk)
    return Fail(error);
  return 0;
}

} // namespace

int main(int argc, char** argv)
{
  // A large image can exhaust a 32-bit host's address space while it is read, copied or
  // written: that ends the run with a message, not with the runtime's abort.
  std::string step = "start";
  try
  {
    return Run(argc, argv, step);
  }
  catch (const std::bad_alloc&)
  {
    std::fprintf(stderr, "skelvane-host: not enough memory to %s\n", step.c_str());
    return kExitNoMemory;
  }
}
