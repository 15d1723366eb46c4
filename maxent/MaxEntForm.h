// The maximum-entropy dialog: the shared deconvolution dialog with this plug-in's iteration.
#pragma once

#include "framework/DeconvolutionForm.h"

class TfrmMaximumEntropy : public TDeconvolutionForm {
 public:
  TfrmMaximumEntropy();

 protected:
  std::unique_ptr<TDeconvolutionThread> CreateWorker(int Width, int Height) override;
};
