#include "FloatingPointState.h"

#if defined(__i386__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif
#ifdef _WIN32
#include <float.h>
#endif

void SetWorkerFloatingPointState() noexcept {
#ifdef _WIN32
  _clearfp();
  _controlfp(_MCW_EM, _MCW_EM);
  _controlfp(_RC_NEAR, _MCW_RC);
#if defined(__i386__)
  _controlfp(_PC_53, _MCW_PC);
#endif
#endif
#if defined(__i386__) || defined(__x86_64__)
  _mm_setcsr(0x1F80);
#endif
}
