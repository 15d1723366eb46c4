// The test host's fuzz mode: a loaded plug-in called through PluginMain with randomised filter
// records, each run followed by its dialog's OK, Cancel or close box from a script.
//
// A record draws the image mode and depth, the image, the filter rectangle (empty, inverted,
// beyond the image), the low planes, the row strides of the blocks (padded, unequal, shorter
// than a row, negative), how advanceState behaves on each call (blocks, an error with or
// without blocks, no blocks and no error, no callback at all) and the selectors (the order
// real hosts use, or a random sequence with repeats and unknown values). Each record runs
// through the host of a plain run (TFilterHost), whose blocks lie against an inaccessible page
// and between guard bytes.
//
// A record fails when the process would crash, a result code is not one the host interface
// knows (or the code advanceState gave), a block's guard bytes, padding or input samples
// changed, a start that did not succeed changed the image, or a window is left open. A crash
// or hang ends the process with the record number printed; the seed and record number replay
// it: --fuzz-records 1 --fuzz-first K --seed S.
#pragma once

#include "FilterHost.h"

#include <cstdint>
#include <string>

struct TFuzzOptions {
  std::uint64_t Seed = 1;
  long Records = 500;
  long First = 0;
  bool Trace = false;  // print each record's number and plan before running it
};

// Runs the records on the plug-in, prints a summary line and one line per failed record, and
// returns the process exit code: 0 when every record passed.
int RunFuzzRecords(TPluginModule& plugin, const TFuzzOptions& options);
