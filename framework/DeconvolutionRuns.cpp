// The deconvolution dialog's runs: preview and full run on a worker, progress, Stop, and
// what a run that cannot start or ends without a result does.
#include "framework/DeconvolutionForm.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "framework/PSF.h"
#include "framework/ParameterLink.h"
#include "framework/Utilities.h"
#include "platform/BitmapCanvas.h"
#include "platform/Dialogs.h"

namespace {

constexpr int kTile = TDeconvolutionForm::kPreviewSide;

const char kNoMemory[] =
    "There is not enough memory to deconvolve this image. Select a smaller part of the image, "
    "or close other programs, and try again.";
const char kTooLarge[] =
    "This image is too large to deconvolve: a side may have at most 16384 pixels. Select a "
    "smaller part of the image and try again.";
const char kCouldNotStart[] =
    "The deconvolution could not be started. Close other programs and try again.";

// A run that cannot start; what() is the message for the user.
class ERunRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Refuses the run unless every sample plane it needs was allocated.
void RequirePlane(const TDataContainer* plane) {
  if (plane == nullptr || plane->Data == nullptr) throw ERunRefused(kNoMemory);
}

void RequireWorkerPlanes(const TDeconvolutionThread& worker) {
  for (const TDataContainer* plane : {worker.Image.get(), worker.PSF.get()})
    if (plane == nullptr || plane->Data == nullptr || plane->Complex == nullptr)
      throw ERunRefused(kNoMemory);
}

// The worker's Image from Y, the chrominance into U and V (RGB), the PSF plane copied, for the
// Width x Height pixels that source(x, y, Y, U, V) delivers.
template <typename Source>
void FillWorker(TDeconvolutionThread& worker, const TDataContainer& psf, TDataContainer* u,
                TDataContainer* v, int width, int height, Source source) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float luminance = 0.0f, chromaU = 0.0f, chromaV = 0.0f;
      source(x, y, luminance, chromaU, chromaV);
      worker.Image->SetValue(x, y, luminance);
      if (u != nullptr) u->SetValue(x, y, chromaU);
      if (v != nullptr) v->SetValue(x, y, chromaV);
      worker.PSF->SetValue(x, y, psf.GetValue(x, y));
    }
}

}  // namespace

// ---- Runs

std::unique_ptr<TDataContainer> TDeconvolutionForm::MakeRunPSF(int Width, int Height) const {
  auto psf = MakePSF(static_cast<TPSFKind>(grpPSF->ItemIndex()), Width, Height,
                     RunValue(*edtSigma), RunValue(*edtKurtosis));
  RequirePlane(psf.get());
  return psf;
}

std::unique_ptr<TDeconvolutionThread> TDeconvolutionForm::MakeWorker(int Width, int Height,
                                                                     bool Preview) {
  std::unique_ptr<TDeconvolutionThread> worker = CreateWorker(Width, Height);
  if (Preview)
    worker->OnProgress = [this](TThread* sender) { PreviewProgress(sender); };
  else
    worker->OnProgress = [this](TThread* sender) { ProcessProgress(sender); };
  worker->Iterations = RunIterations();
  worker->IsPreview = Preview;
  worker->Wnd = Handle();
  RequireWorkerPlanes(*worker);
  return worker;
}

void TDeconvolutionForm::Launch(std::unique_ptr<TDeconvolutionThread> worker,
                                std::unique_ptr<TDeconvolutionThread>& slot) {
  // Empty here: a run's worker is retired when its run ends, before a new run can start.
  RetireWorker(slot);
  if (!worker->IsPreview && FStopRequested) worker->Terminate();
  FTotalIterations = worker->Iterations;
  slot = std::move(worker);
  slot->Resume();
}

void TDeconvolutionForm::RetireWorker(std::unique_ptr<TDeconvolutionThread>& slot) {
  const std::unique_ptr<TDeconvolutionThread> worker = std::move(slot);
  if (worker == nullptr) return;
  // A worker that has posted its last message has nothing left to do with either request; one
  // that is still iterating stops after its iteration, and one that posts a done message
  // after all finds its event already set.
  worker->Terminate();
  worker->DoneEvent.Set();
  worker->WaitServingCalls();
}

void TDeconvolutionForm::StartRun(void (TDeconvolutionForm::*start)(), bool& running) {
  std::string message;
  try {
    (this->*start)();
    return;
  } catch (const ERunRefused& refused) {
    message = refused.what();
  } catch (const std::bad_alloc&) {
    message = kNoMemory;
  } catch (...) {
    message = kCouldNotStart;
  }
  // The unstarted worker is gone with its planes; the chrominance planes go too.
  FPreviewU.reset();
  FPreviewV.reset();
  FProcessU.reset();
  FProcessV.reset();
  running = false;
  ReturnToIdle();
  MessageDlg(message, mtError, {mbOK});
}

void TDeconvolutionForm::ReturnToIdle() {
  // Cancel comes back last: once it is enabled the dialog is Idle in every respect.
  lblStatus->SetCaption("Idle");
  ProgressBar->SetPosition(0);
  btnStop->SetEnabled(false);
  btnPreview->SetEnabled(true);
  btnOK->SetEnabled(true);
  btnCancel->SetEnabled(true);
}

void TDeconvolutionForm::btnPreviewClick() {
  btnPreview->SetEnabled(false);
  btnOK->SetEnabled(false);
  btnCancel->SetEnabled(false);
  FFormEvent->Reset();
  FPreviewCount = 0;
  lblStatus->SetCaption("Starting...");
  FPreviewRunning = true;
  StartRun(&TDeconvolutionForm::StartPreview, FPreviewRunning);
}

void TDeconvolutionForm::StartPreview() {
  if (!ImageLoaded()) throw ERunRefused(kNoMemory);
  std::unique_ptr<TDeconvolutionThread> worker = MakeWorker(kTile, kTile, true);
  if (!FIsGray) {
    FPreviewU = std::make_unique<TDataContainer>(kTile, kTile);
    FPreviewV = std::make_unique<TDataContainer>(kTile, kTile);
    RequirePlane(FPreviewU.get());
    RequirePlane(FPreviewV.get());
  }
  const auto psf = MakeRunPSF(kTile, kTile);
  FOffsetX = FOffsetY = 0;
  FRegionWidth = FRegionHeight = kTile;

  if (FImageWidth < kTile || FImageHeight < kTile) {
    // The whole image centred on a 0.5 background; the dragged window plays no part.
    FRegionWidth = std::min(FImageWidth, kTile);
    FRegionHeight = std::min(FImageHeight, kTile);
    if (!FIsGray) {
      std::unique_ptr<TDataContainer> tiles[3];
      for (int channel = 1; channel <= 3; ++channel) {
        tiles[channel - 1] = RGBChannelToTile(*FImageRGB, channel, FOffsetX, FOffsetY,
                                              FPaddedWidth, FPaddedHeight);
        RequirePlane(tiles[channel - 1].get());
      }
      FillWorker(*worker, *psf, FPreviewU.get(), FPreviewV.get(), kTile, kTile,
                 [&](int x, int y, float& Y, float& U, float& V) {
                   RGBToYUV(tiles[0]->GetValue(x, y), tiles[1]->GetValue(x, y),
                            tiles[2]->GetValue(x, y), Y, U, V);
                 });
    } else {
      const auto tile = GrayToTile(*FImageGray, FOffsetX, FOffsetY, FPaddedWidth, FPaddedHeight);
      RequirePlane(tile.get());
      FillWorker(*worker, *psf, nullptr, nullptr, kTile, kTile,
                 [&](int x, int y, float& Y, float&, float&) { Y = tile->GetValue(x, y); });
    }
  } else {
    const int left = FPreviewRect.left, top = FPreviewRect.top;
    if (!FIsGray) {
      FillWorker(*worker, *psf, FPreviewU.get(), FPreviewV.get(), kTile, kTile,
                 [&](int x, int y, float& Y, float& U, float& V) {
                   TPixelRGB pixel;
                   FImageRGB->GetPixel(left + x, top + y, pixel);
                   RGBToYUV(pixel.R, pixel.G, pixel.B, Y, U, V);
                 });
    } else {
      FillWorker(*worker, *psf, nullptr, nullptr, kTile, kTile,
                 [&](int x, int y, float& Y, float&, float&) {
                   Y = FImageGray->GetValue(left + x, top + y);
                 });
    }
  }
  Launch(std::move(worker), FPreviewThread);
}

void TDeconvolutionForm::WMPreviewDone(WPARAM ThreadID) {
  if (!FPreviewRunning || FPreviewThread == nullptr || FPreviewThread->ThreadID() != ThreadID)
    return;
  TDeconvolutionThread& worker = *FPreviewThread;
  const bool succeeded = worker.Succeeded;
  if (succeeded) {
    std::unique_ptr<TBitmap24> bitmap =
        FIsGray ? GrayToPreviewBitmap(*worker.Image, FOffsetX, FOffsetY, FRegionWidth,
                                      FRegionHeight, FBitDepth)
                : YUVToPreviewBitmap(*worker.Image, *FPreviewU, *FPreviewV, FOffsetX, FOffsetY,
                                     FRegionWidth, FRegionHeight, FBitDepth);
    if (bitmap != nullptr && Image1->Picture() != nullptr) {
      const RECT region = {0, 0, FRegionWidth, FRegionHeight};
      CopyRect(*Image1->Picture(), region, *bitmap, region);
      Image1->Invalidate();
    }
  }
  FPreviewU.reset();
  FPreviewV.reset();
  FPreviewRunning = false;
  worker.DoneEvent.Set();  // the result is taken; the worker ends
  RetireWorker(FPreviewThread);
  // The buttons come back last, so that whoever sees them enabled sees the result too.
  ReturnToIdle();
  if (!succeeded) MessageDlg(kNoMemory, mtError, {mbOK});
}

void TDeconvolutionForm::btnOKClick() {
  btnPreview->SetEnabled(false);
  btnOK->SetEnabled(false);
  btnCancel->SetEnabled(false);
  btnStop->SetEnabled(true);
  FStopRequested = false;
  SaveSettings(grpPSF->ItemIndex(), RunIterations(), RunValue(*edtSigma));
  FFormEvent->Reset();
  FProcessCount = 0;
  lblStatus->SetCaption("Starting...");
  ProcessMessages();
  FProcessing = true;
  StartRun(&TDeconvolutionForm::StartProcessing, FProcessing);
}

void TDeconvolutionForm::StartProcessing() {
  if (!ImageLoaded()) throw ERunRefused(kNoMemory);
  const int paddedWidth = PaddedSize(FImageWidth), paddedHeight = PaddedSize(FImageHeight);
  // Above this the sides cannot be transformed; refused before anything is allocated.
  if (paddedWidth > TDataContainer::kMaxLine || paddedHeight > TDataContainer::kMaxLine)
    throw ERunRefused(kTooLarge);
  std::unique_ptr<TDeconvolutionThread> worker = MakeWorker(paddedWidth, paddedHeight, false);
  const auto psf = MakeRunPSF(paddedWidth, paddedHeight);
  FOffsetX = FOffsetY = 0;
  FRegionWidth = FImageWidth;
  FRegionHeight = FImageHeight;
  if (!FIsGray) {
    FProcessU = std::make_unique<TDataContainer>(paddedWidth, paddedHeight);
    FProcessV = std::make_unique<TDataContainer>(paddedWidth, paddedHeight);
    RequirePlane(FProcessU.get());
    RequirePlane(FProcessV.get());
    std::unique_ptr<TDataContainer> channels[3];
    for (int channel = 1; channel <= 3; ++channel) {
      channels[channel - 1] = RGBChannelToPadded(*FImageRGB, channel, FOffsetX, FOffsetY,
                                                 FPaddedWidth, FPaddedHeight);
      RequirePlane(channels[channel - 1].get());
    }
    FillWorker(*worker, *psf, FProcessU.get(), FProcessV.get(), FPaddedWidth, FPaddedHeight,
               [&](int x, int y, float& Y, float& U, float& V) {
                 RGBToYUV(channels[0]->GetValue(x, y), channels[1]->GetValue(x, y),
                          channels[2]->GetValue(x, y), Y, U, V);
               });
  } else {
    const auto padded =
        GrayToPadded(*FImageGray, FOffsetX, FOffsetY, FPaddedWidth, FPaddedHeight);
    RequirePlane(padded.get());
    FillWorker(*worker, *psf, nullptr, nullptr, FPaddedWidth, FPaddedHeight,
               [&](int x, int y, float& Y, float&, float&) { Y = padded->GetValue(x, y); });
  }
  Launch(std::move(worker), FProcessThread);
}

void TDeconvolutionForm::WMProcessDone(WPARAM ThreadID) {
  if (!FProcessing || FProcessThread == nullptr || FProcessThread->ThreadID() != ThreadID)
    return;
  TDeconvolutionThread& worker = *FProcessThread;
  const bool succeeded = worker.Succeeded;
  if (succeeded) {
    if (FIsGray)
      GrayContainerToHost(*worker.Image, FOutData, FBitDepth, FRowBytes, FScaleGray, FOffsetX,
                          FOffsetY, FRegionWidth, FRegionHeight);
    else
      YUVToHost(*worker.Image, *FProcessU, *FProcessV, FOutData, FBitDepth, FRowBytes, FScaleRGB,
                FOffsetX, FOffsetY, FRegionWidth, FRegionHeight);
    RestoreNonFiniteSamples(FInData, FOutData, FBitDepth, FImageWidth, FImageHeight, FIsGray,
                            FRowBytes);
  }
  FProcessU.reset();
  FProcessV.reset();
  FProcessing = false;
  worker.DoneEvent.Set();  // the result is taken; the worker ends
  // The dialog closes only once the worker's thread has ended.
  RetireWorker(FProcessThread);
  ReturnToIdle();
  if (!succeeded) {
    // The host's image stays as it was; the user may try a smaller selection.
    MessageDlg(kNoMemory, mtError, {mbOK});
    return;
  }
  SetModalResult(mrOk);
}

void TDeconvolutionForm::btnStopClick() {
  btnStop->SetEnabled(false);
  // Before the new worker exists the request waits for it; after its end nothing is left.
  if (FProcessing && FProcessThread != nullptr)
    FProcessThread->Terminate();
  else
    FStopRequested = true;
  lblStatus->SetCaption("Stopping...");
}

void TDeconvolutionForm::WMProcessStopped(WPARAM ThreadID) {
  if (!FProcessing || FProcessThread == nullptr || FProcessThread->ThreadID() != ThreadID)
    return;
  FProcessU.reset();
  FProcessV.reset();
  FProcessing = false;
  RetireWorker(FProcessThread);  // it has ended or is ending, without waiting for the dialog
  ReturnToIdle();
}

// ---- Progress

void TDeconvolutionForm::PreviewProgress(TThread*) { Progress(FPreviewCount); }

void TDeconvolutionForm::ProcessProgress(TThread*) { Progress(FProcessCount); }

void TDeconvolutionForm::Progress(int& Counter) {
  ++Counter;
  lblStatus->SetCaption("Iteration: " + std::to_string(Counter));
  const int percent =
      RoundIntoRange(static_cast<double>(Counter) / FTotalIterations * 100.0, 0, 100);
  // Stepping past the target and back makes the bar show the position at once instead of
  // animating towards it, so it rests one above the percentage.
  ProgressBar->SetPosition(percent + 2);
  ProgressBar->SetPosition(percent + 1);
  if (Counter >= FTotalIterations) {
    lblStatus->SetCaption("Idle");
    ProgressBar->SetPosition(0);
  }
}
