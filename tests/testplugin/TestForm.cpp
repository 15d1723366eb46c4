#include "TestForm.h"

#include "platform/NumberFormat.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

namespace
{

constexpr UINT kAutoCloseMessage = WM_USER + 1;

std::string Environment(const char* name)
{
  char value[1024];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// SKELVANE_TEST_THROW=<where>:bad_alloc|error makes the dialog fail at that step, so the
// host can see what a failure inside start turns into.
void MaybeThrow(const char* where)
{
  const std::string request = Environment("SKELVANE_TEST_THROW");
  if (request == std::string(where) + ":bad_alloc")
    throw std::bad_alloc();
  if (request == std::string(where) + ":error")
    throw std::runtime_error("test failure");
}

template <typename T> void InvertRows(const void* in, void* out, int32 samplesPerRow,
                                      int32 height, int32 rowBytes, T maximum)
{
  for (int32 y = 0; y < height; ++y)
  {
    const T* source = reinterpret_cast<const T*>(static_cast<const uint8*>(in) + y * rowBytes);
    T* target = reinterpret_cast<T*>(static_cast<uint8*>(out) + y * rowBytes);
    for (int32 i = 0; i < samplesPerRow; ++i)
      target[i] = T(maximum - source[i]);
  }
}

} // namespace

void LogTestEvent(const std::string& line)
{
  const std::string path = Environment("SKELVANE_TEST_EVENTS");
  if (path.empty())
    return;
  if (FILE* file = std::fopen(path.c_str(), "a"))
  {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

TfrmTest::TfrmTest() : TForm("frmTest")
{
  SetCaption("Skelvane Test Filter");
  SetClientSize(320, 110);
  lblImage = new TLabel(this, "lblImage");
  lblImage->SetBounds(12, 12, 296, 40);
  lblImage->SetWordWrap(true);
  btnOK = new TButton(this, "btnOK");
  btnOK->SetBounds(152, 70, 75, 25);
  btnOK->SetCaption("OK");
  btnOK->SetDefault(true);
  btnOK->SetModalResult(mrOk);
  btnOK->OnClick = [this] { btnOKClick(); };
  btnCancel = new TButton(this, "btnCancel");
  btnCancel->SetBounds(233, 70, 75, 25);
  btnCancel->SetCaption("Cancel");
  btnCancel->SetCancel(true);
  btnCancel->SetModalResult(mrCancel);
  OnShow = [this] { FormShow(); };
  OnMessage(kAutoCloseMessage, [this](WPARAM, LPARAM) {
    if (Environment("SKELVANE_TEST_AUTOCLOSE") == "ok")
      btnOK->Click();
    else
      btnCancel->Click();
  });
  DoCreate();
  LogTestEvent("Create");
}

TfrmTest::~TfrmTest() { LogTestEvent("Destroy"); }

void TfrmTest::SetImage(void* InData, void* OutData, uint8 BitDepth, int32 ImageWidth,
                        int32 ImageHeight, bool IsGray, int32 RowBytes)
{
  FInData = InData;
  FOutData = OutData;
  FBitDepth = BitDepth;
  FImageWidth = ImageWidth;
  FImageHeight = ImageHeight;
  FIsGray = IsGray;
  FRowBytes = RowBytes;
  char line[160];
  std::snprintf(line, sizeof line, "SetImage %d %d %d %s %d", int(BitDepth), int(ImageWidth),
                int(ImageHeight), IsGray ? "gray" : "rgb", int(RowBytes));
  LogTestEvent(line);
  MaybeThrow("SetImage");
}

void TfrmTest::LoadImage()
{
  FLoaded = true;
  LogTestEvent("LoadImage");
}

int TfrmTest::ShowModal()
{
  if (Environment("SKELVANE_TEST_ARITHMETIC") == "1")
    LogArithmetic();
  LogTestEvent("ShowModal");
  const int modalResult = TForm::ShowModal();
  LogTestEvent("ModalResult " + std::to_string(modalResult));
  return modalResult;
}

// What the dialog's code gets of the spin edits' extended arithmetic: "0.3" and "4.4" read as
// their long double constants only at the 64-bit x87 precision (at 53 bits 0.3 reads below and
// 4.4 above, so that a spin edit with the maximum 4.4 clamps a typed "4.4" and shows "4.40").
void TfrmTest::LogArithmetic()
{
  long double low = 0, high = 0;
  const bool parsed = TryParseFloat("0.3", '.', low) && TryParseFloat("4.4", '.', high);
  LogTestEvent(std::string("Arithmetic ") + (parsed && low == 0.3L ? "0.3" : "not 0.3") + " " +
               (parsed && high == 4.4L ? "4.4" : "not 4.4"));
}

void TfrmTest::FormShow()
{
  char text[200];
  std::snprintf(text, sizeof text, "%d x %d, %d bit, %s, %d bytes per row%s", int(FImageWidth),
                int(FImageHeight), int(FBitDepth), FIsGray ? "gray" : "RGB", int(FRowBytes),
                FLoaded ? ", loaded" : "");
  lblImage->SetCaption(text);
  // Without a script the test host can still have the dialog answered, through the real
  // buttons and the modal loop.
  const std::string autoClose = Environment("SKELVANE_TEST_AUTOCLOSE");
  if (autoClose == "ok" || autoClose == "cancel")
    PostMessageA(Handle(), kAutoCloseMessage, 0, 0);
}

void TfrmTest::btnOKClick()
{
  MaybeThrow("OK");
  const int32 samplesPerRow = FImageWidth * (FIsGray ? 1 : 3);
  switch (FBitDepth)
  {
  case 8:
    InvertRows<uint8>(FInData, FOutData, samplesPerRow, FImageHeight, FRowBytes, 255);
    break;
  case 16:
    InvertRows<uint16>(FInData, FOutData, samplesPerRow, FImageHeight, FRowBytes, 65535);
    break;
  case 32:
    InvertRows<float>(FInData, FOutData, samplesPerRow, FImageHeight, FRowBytes, 1.0f);
    break;
  default:
    break;
  }
  LogTestEvent("Written");
}
