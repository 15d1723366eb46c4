// The product's registry key, and the warning shown before a large image is loaded into a
// deconvolution dialog.
#pragma once

// Registry key of the product's settings, under HKEY_CURRENT_USER; opened and never created.
constexpr char kProductRegistryKey[] = "Software\\Vantrel\\Skelvane 3.0 PS";

// Warns that images with a side of 2048 pixels or more take long and use much memory, unless
// the user asked not to be warned again (remembered in the registry). Never throws.
void ShowSizeWarning(int Width, int Height);
