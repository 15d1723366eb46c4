// The Lucy-Richardson library's start handler.
#include "framework/PluginMain.h"
#include "lucyrichardson/LucyRichardsonForm.h"

int16 DoStart() {
  return RunStartHandler(kLucyRichardsonStart,
                         [] { return std::make_unique<TfrmLucyRichardson>(); });
}
