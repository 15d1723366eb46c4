// How long the test host and the tests wait for windows, scripts and runs before they call it a
// failure: each bound is a plain machine's figure times SKELVANE_WAIT_FACTOR, which a slower way
// of running (32-bit Wine under an emulator) sets, so that no wait is lengthened on its own.
#pragma once

// The factor as SKELVANE_WAIT_FACTOR holds it: a positive number ("4", "2.5"); 1 for no text,
// for zero, a negative or endless number, and for anything that is not a number.
double ParseWaitFactor(const char* text);

// ms times factor, rounded up, and at most a day (so that the result stays far from the Win32
// waits' 32-bit limit, whose largest value means for ever).
unsigned ScaleWaitMs(unsigned ms, double factor);

// ms times this process's SKELVANE_WAIT_FACTOR, which is read once.
unsigned ScaledWaitMs(unsigned ms);
