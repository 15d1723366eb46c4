// The test plug-in's start handler: the shared start protocol under the policy chosen by the
// build (TEST_START_POLICY), with the test dialog.
#include "TestForm.h"

#include "framework/PluginMain.h"

int16 DoStart()
{
  return RunStartHandler(TEST_START_POLICY, [] { return std::make_unique<TfrmTest>(); });
}
