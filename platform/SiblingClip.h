// Clipping of a container's painting against the siblings laid over it.
#pragma once

#include <windows.h>

class TControl;

// Removes from dc's clip region the parts of control that siblings created after it cover.
// Such siblings lie on top of it to the eye (a panel laid over a group box), although the
// window order, which is the Tab order, puts them beneath.
void ExcludeLaterSiblings(HDC dc, const TControl& control);
