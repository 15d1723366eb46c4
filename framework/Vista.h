// The dialog font: every dialog takes the system's icon-title font.
#pragma once

#include "platform/Controls.h"

// Makes font the system's icon-title font, or the default GUI font when the system cannot
// report it. Failures leave the font as it was.
void SetSystemFont(TFont& font);

// Makes font the system's default GUI font; failures leave it as it was.
void SetDefaultGuiFont(TFont& font);
