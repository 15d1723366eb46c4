// The digital development library's start handler.
#include "ddp/DDPForm.h"
#include "framework/PluginMain.h"

int16 DoStart() {
  return RunStartHandler(kDDPStart, [] { return std::make_unique<TfrmDDP>(); });
}
