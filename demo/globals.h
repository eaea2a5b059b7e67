// The system's global objects and the setup's choices, created and set by the entry.
#pragma once

#include <vector>

#include "engine/dx_engine.h"
#include "platform/win32/win32.h"

class QvCore;

extern QvCore* g_pCore;
extern std::vector<DisplayMode> g_modes;
extern BYTE g_bWindowed;
extern BYTE g_bSound;
extern BYTE g_bCancelled;
