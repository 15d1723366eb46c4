// The Lucy-Richardson dialog: the shared deconvolution dialog with the aggressive variant.
#pragma once

#include "framework/DeconvolutionForm.h"

class TfrmLucyRichardson : public TDeconvolutionForm {
 public:
  TfrmLucyRichardson();

  TCheckBox* chkAggressive;

  void chkAggressiveClick();

 protected:
  std::unique_ptr<TDeconvolutionThread> CreateWorker(int Width, int Height) override;
};
