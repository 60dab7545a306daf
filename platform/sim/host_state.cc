// The installed host, the record of what was done to it, and the planned failures.
#include <unistd.h>

#include <cstdlib>

#include "platform/sim/sim_state.h"

namespace sim {

namespace {

State* MakeInitialState() {
  // Code that runs before any InstallHost acts on the typical machine.
  State* state = new State();
  state->Machine = DefaultHost();
  return state;
}

void FreeBstrMemory(BSTR text) { std::free(reinterpret_cast<uint32_t*>(text) - 1); }

}  // namespace

State& Current() {
  static State* state = MakeInitialState();
  return *state;
}

void InstallHost(const Host& host) {
  State& state = Current();
  // Whatever the previous user of the host left behind is cleared away, so that one test's
  // leftovers cannot show up in the next one's Record.
  EndChildProcesses();
  for (const auto& entry : state.Handles) {
    if (entry.second.HandleKind == HandleEntry::File) close(entry.second.Fd);
  }
  DestroyComObjects();
  for (BSTR text : state.LiveBstrs) FreeBstrMemory(text);
  state = State();
  state.Machine = host;
}

Record& Recorded() { return Current().Log; }

void AddEvent(const std::string& event) { Current().Log.Events.push_back(event); }

void AddMisuse(const std::string& what) {
  Current().Log.Misuses.push_back(what);
  AddEvent("Misuse: " + what);
}

const StepFailure* FindFailure(const std::string& step) {
  State& state = Current();
  auto sequence = state.Machine.SequenceFailures.find(state.Sequence);
  if (sequence != state.Machine.SequenceFailures.end()) {
    auto found = sequence->second.find(step);
    if (found != sequence->second.end()) return &found->second;
  }
  auto found = state.Machine.Failures.find(step);
  return found == state.Machine.Failures.end() ? nullptr : &found->second;
}

}  // namespace sim
