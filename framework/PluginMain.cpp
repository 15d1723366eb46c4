#include "PluginMain.h"

#include "AboutForm.h"

#include <new>
#include <xmmintrin.h>

FilterRecordPtr gFilterRecord = nullptr;

namespace
{

// Saves the caller's floating-point control state, sets the one our code needs for the call,
// and restores the caller's on the way out. The host may run with exceptions unmasked (our
// arithmetic relies on infinities and NaNs instead of traps), with the x87 precision control at
// 53 or 24 bits (the spin edits' arithmetic is extended precision: at 53 bits "4.4" parses
// above the constant 4.4L) or with another rounding mode or flush-to-zero (the results must be
// the native build's bits). Worker threads set the same state but for the x87 precision, which
// they keep at a new thread's 53 bits (platform/FloatingPointState.cpp): no long double
// arithmetic runs there, and the runtime's x87 exp and log must give every thread one result.
class TFloatingPointGuard
{
public:
  TFloatingPointGuard()
  {
    asm volatile("fnstcw %0" : "=m"(FControlWord));
    FMxcsr = _mm_getcsr();
    const uint16_t ours = uint16_t((FControlWord & ~kX87PrecisionAndRounding) |
                                   kX87AllExceptions | kX87Extended);
    asm volatile("fldcw %0" : : "m"(ours));
    _mm_setcsr(kSseAllExceptions);
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
  // Precision control 11 (64-bit mantissa), rounding control 00 (to nearest).
  static constexpr uint16_t kX87PrecisionAndRounding = 0x0f00;
  static constexpr uint16_t kX87Extended = 0x0300;
  // Every exception masked, round to nearest, no flush to zero, no denormals-are-zero.
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
