// The floating-point state every worker thread of ours runs in, whoever created the thread.
#pragma once

// Every exception masked, round to nearest, no flush-to-zero or denormals-are-zero, and on
// 32-bit x86 the x87 unit at 53-bit precision (the runtime's exp and log run there). This is
// the state the operating system gives a new thread; setting it in full keeps a mode of the
// host or of another library from leaking in and changing result bits.
void SetWorkerFloatingPointState() noexcept;
