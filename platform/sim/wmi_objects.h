// The WMI objects of the simulated host, as the COM calls in com.cc hand them out.
#pragma once

#include "platform/sim/sim_state.h"

namespace sim {

// A new locator with one reference, counted in Record.LiveComObjects.
IWbemLocator* CreateLocator();

// True when `object` is one of this host's objects and has not been destroyed.
bool IsLiveComObject(IUnknown* object);

}  // namespace sim
