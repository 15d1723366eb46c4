// exp and log rounded to single, as the maximum-entropy passes need them: in the Windows trees
// faster than the runtime's x87 functions, with the same results; elsewhere the runtime's own.
#pragma once

// (float)std::exp(X) and (float)std::log(X), bit for bit. Under Windows each is computed in
// double to a few units in the last place. Where that value lies within 2^-40 (relative) of a
// point halfway between two singles, or the result is not a normal single (about one value in
// 65536), the runtime's own function is called instead. For every other value the runtime's
// result, unless it were wrong by more than 2^-41, lies on the same side of every halfway
// point as ours, so both round to the same single.
float ExpAsSingle(double X) noexcept;
float LogAsSingle(double X) noexcept;
