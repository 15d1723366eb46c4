// The maximum-entropy library's start handler.
#include "framework/PluginMain.h"
#include "maxent/MaxEntForm.h"

int16 DoStart() {
  return RunStartHandler(kMaximumEntropyStart,
                         [] { return std::make_unique<TfrmMaximumEntropy>(); });
}
