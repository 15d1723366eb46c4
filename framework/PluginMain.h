// The library's one export, PluginMain, with its selector dispatch and the continue handler.
#pragma once

#include "PSFilter.h"

#include <cstdint>

// The host's record for the call in progress; valid only during a PluginMain call.
extern FilterRecordPtr gFilterRecord;

extern "C" __declspec(dllexport) void PluginMain(int16 selector, void* filterRecord,
                                                 intptr_t* data, int16* result);

// Empties inRect, outRect and maskRect (all four coordinates) so the host asks for no more data.
void DoContinue();

// The library's start handler, defined once per plug-in library (see StartHandler.h).
int16 DoStart();
