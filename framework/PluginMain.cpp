#include "PluginMain.h"

#include "AboutForm.h"

#include <new>
#include <xmmintrin.h>

FilterRecordPtr gFilterRecord = nullptr;

namespace
{

// Saves the caller's floating-point control state, masks every floating-point exception for
// the call, and restores the state on the way out. The host may run with exceptions
// unmasked; our arithmetic relies on infinities and NaNs instead of traps.
class TFloatingPointGuard
{
public:
  TFloatingPointGuard()
  {
    asm volatile("fnstcw %0" : "=m"(FControlWord));
    FMxcsr = _mm_getcsr();
    uint16_t masked = FControlWord | kX87AllExceptions;
    asm volatile("fldcw %0" : : "m"(masked));
    _mm_setcsr(FMxcsr | kSseAllExceptions);
  }
  ~TFloatingPointGuard()
  {
    // Flags raised while masked must not trap once the host's unmasked word is back.
    asm volatile("fnclex");
    asm volatile("fldcw %0" : : "m"(FControlWord));
    _mm_setcsr(FMxcsr);
  }
  TFloatingPointGuard(const TFloatingPointGuard&) = delete;
  TFloatingPointGuard& operator=(const TFloatingPointGuard&) = delete;

private:
  static constexpr uint16_t kX87AllExceptions = 0x003f;
  static constexpr unsigned kSseAllExceptions = 0x1f80;
  uint16_t FControlWord = 0;
  unsigned FMxcsr = 0;
};

} // namespace

void DoContinue()
{
  const Rect empty = {0, 0, 0, 0};
  gFilterRecord->inRect = empty;
  gFilterRecord->outRect = empty;
  gFilterRecord->maskRect = empty;
}

// No exception may leave this function: the host's frames have no unwind tables. A failure
// becomes a result code; the host then discards the output block, so the image stays as it was.
extern "C" __declspec(dllexport) void PluginMain(int16 selector, void* filterRecord,
                                                 intptr_t* /*data*/, int16* result)
{
  TFloatingPointGuard floatingPointGuard;
  gFilterRecord = static_cast<FilterRecordPtr>(filterRecord);
  if (result != nullptr)
    *result = noErr;
  int16 code = noErr;
  try
  {
    switch (selector)
    {
    case filterSelectorAbout:
      DoAbout();
      break;
    case filterSelectorStart:
      code = DoStart();
      break;
    case filterSelectorContinue:
      if (gFilterRecord != nullptr)
        DoContinue();
      break;
    default:
      break;
    }
  }
  catch (const std::bad_alloc&)
  {
    code = memFullErr;
  }
  catch (...)
  {
    code = filterBadParameters;
  }
  if (result != nullptr)
    *result = code;
}
