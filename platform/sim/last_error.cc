// The calling thread's last-error value.
#include "platform/sim/sim_state.h"

namespace {
thread_local DWORD lastError = 0;
}

DWORD GetLastError() {
  sim::AddEvent("GetLastError");
  return lastError;
}

void SetLastError(DWORD error) {
  sim::AddEvent("SetLastError");
  lastError = error;
}
