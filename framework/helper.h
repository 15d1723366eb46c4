// The warning shown before a large image is loaded into a deconvolution dialog.
#pragma once

// Warns that images with a side of 2048 pixels or more take long and use much memory, unless
// the user asked not to be warned again (remembered in the registry). Never throws.
void ShowSizeWarning(int Width, int Height);
