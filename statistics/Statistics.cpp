// The statistics library's start handler: the host never applies anything.
#include "framework/PluginMain.h"
#include "statistics/StatisticsForm.h"

int16 DoStart() {
  return RunStartHandler(kStatisticsStart, [] { return std::make_unique<TfrmStatistics>(); });
}
