// Registration of the common-control window classes (track bar, progress bar, list view).
#pragma once

// Registers the classes once per process; later calls do nothing.
void EnsureCommonControls();
