#include "lucyrichardson/LucyRichardsonForm.h"

#include "lucyrichardson/LucyRichardsonThread_win.h"

namespace {

const TDeconvolutionDesign kLucyRichardsonDesign = {
    "frmLucyRichardson",
    "Lucy Richardson Deconvolution",
    580,
    "SVPSLRThreadDone",
    "LRPSF",
    "LRCurveWidth",
    "LRIterations",
    kLucyRichardsonMessages,
    /* SigmaValue */ 1.0L,
    /* IterationsValue */ 10.0L,
    /* IterationsMaxValue */ 100.0L,
    /* IterationsTrackMax */ 100,
    /* IterationsFrequency */ 5,
    // The wing's step of 0.1 makes its arrows, keys and wheel work (with no step they would
    // leave the value unchanged).
    /* KurtosisMinValue */ 1.01L,
    /* KurtosisIncrement */ 0.1L,
    /* WingTop */ 80,
    /* IterationsTop */ 136,
    /* StaticTextWidth */ 361,
};

}  // namespace

TfrmLucyRichardson::TfrmLucyRichardson() : TDeconvolutionForm(kLucyRichardsonDesign) {
  chkAggressive = new TCheckBox(GroupBox1, "chkAggressive");
  chkAggressive->SetBounds(16, 200, 265, 17);
  chkAggressive->SetCaption("Aggressive (100 iterations maximum)");
  chkAggressive->SetChecked(true);
  chkAggressive->OnClick = [this] { chkAggressiveClick(); };
  DoCreate();
}

void TfrmLucyRichardson::chkAggressiveClick() {
  // The bar's new maximum comes first: lowering it pulls the bar, and through its change the
  // spin edit, back into the range.
  const bool aggressive = chkAggressive->Checked();
  trkIterations->SetMax(aggressive ? 100 : 1000);
  trkIterations->SetFrequency(aggressive ? 5 : 50);
  edtIterations->SetMaxValue(aggressive ? 100 : 1000);
}

std::unique_ptr<TDeconvolutionThread> TfrmLucyRichardson::CreateWorker(int Width, int Height) {
  auto worker = std::make_unique<TLucyRichardsonThread>(Width, Height);
  worker->Aggressive = chkAggressive->Checked();
  return worker;
}
