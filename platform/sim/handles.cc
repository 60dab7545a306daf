// The handle table and CloseHandle, for log files and child processes alike.
#include <unistd.h>

#include "platform/sim/sim_state.h"

namespace sim {

HANDLE AddHandle(const HandleEntry& entry) {
  State& state = Current();
  uintptr_t value = state.NextHandleValue;
  state.NextHandleValue += 4;
  state.Handles[value] = entry;
  ++state.Log.OpenHandles;
  return reinterpret_cast<HANDLE>(value);
}

HandleEntry* FindHandle(HANDLE handle) {
  State& state = Current();
  auto found = state.Handles.find(reinterpret_cast<uintptr_t>(handle));
  return found == state.Handles.end() ? nullptr : &found->second;
}

}  // namespace sim

BOOL CloseHandle(HANDLE handle) {
  sim::State& state = sim::Current();
  sim::AddEvent("CloseHandle");
  sim::HandleEntry* entry = sim::FindHandle(handle);
  if (entry == nullptr) {
    sim::AddMisuse("CloseHandle of a handle that is not open");
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (entry->HandleKind == sim::HandleEntry::File) close(entry->Fd);
  if (entry->HandleKind == sim::HandleEntry::Process) sim::ReleaseChildOnClose(entry->Child);
  state.Handles.erase(reinterpret_cast<uintptr_t>(handle));
  --state.Log.OpenHandles;
  return TRUE;
}
