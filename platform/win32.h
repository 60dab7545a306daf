// The Windows names the checker calls. On Windows they come from the SDK itself;
// everywhere else the simulated Windows host supplies the same names.
#pragma once

#ifdef _WIN32
#include <windows.h>
// windows.h comes first: the COM and WMI headers rely on its types.
#include <objbase.h>
#include <oleauto.h>
#include <wbemidl.h>
#else
#include "platform/sim/win32_sim.h"
#endif
