#include "maxent/MaxEntForm.h"

#include "maxent/MaxEntThread_win.h"

namespace {

const TDeconvolutionDesign kMaximumEntropyDesign = {
    "frmMaximumEntropy",
    "Maximum Entropy Deconvolution",
    570,
    "SVPSMEThreadDone",
    "MEPSF",
    "MECurveWidth",
    "MEIterations",
    kMaximumEntropyMessages,
    /* SigmaValue */ 2.0L,
    /* IterationsValue */ 20.0L,
    // The spin edit reaches beyond its track bar: above 500 the bar stays at its end while
    // the arrows step on.
    /* IterationsMaxValue */ 65535.0L,
    /* IterationsTrackMax */ 500,
    /* IterationsFrequency */ 25,
    /* KurtosisMinValue */ 1.1L,
    /* KurtosisIncrement */ 0.1L,
    /* WingTop */ 96,
    /* IterationsTop */ 168,
    /* StaticTextWidth */ 369,
};

}  // namespace

TfrmMaximumEntropy::TfrmMaximumEntropy() : TDeconvolutionForm(kMaximumEntropyDesign) {
  DoCreate();
}

std::unique_ptr<TDeconvolutionThread> TfrmMaximumEntropy::CreateWorker(int Width, int Height) {
  return std::make_unique<TMaxEntThread>(Width, Height);
}
