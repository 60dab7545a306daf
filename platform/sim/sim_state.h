// The simulated host's running state, shared by the files that implement the Windows calls.
// Only platform/sim/ includes this; everyone else sees sim_host.h.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/sim_host.h"

namespace sim {

// A child process started by CreateProcessW; its process and thread handles share it.
struct ChildProcess {
  pid_t Pid = 0;
  bool Reaped = false;       // waitpid has collected it
  int WaitStatus = 0;        // what waitpid reported, once reaped
  bool Terminated = false;   // TerminateProcess killed it
  UINT TerminationCode = 0;  // the exit code TerminateProcess gave it
};

struct HandleEntry {
  enum Kind { File, Process, Thread };
  Kind HandleKind = File;
  int Fd = -1;                          // File
  std::shared_ptr<ChildProcess> Child;  // Process, Thread
};

struct State {
  Host Machine;
  Record Log;

  // COM: successful CoInitializeEx calls not yet balanced, and whether CoInitializeSecurity
  // has been called since COM was last fully uninitialised.
  int ComDepth = 0;
  bool SecuritySet = false;
  int Sequence = 0;                  // the current WMI sequence: the number of CoInitializeEx calls
  uint64_t SequenceAllocations = 0;  // SysAllocString calls in the current sequence

  std::set<BSTR> LiveBstrs;
  std::set<const VARIANT*> LiveVariants;

  std::map<uintptr_t, HKEY> OpenKeys;
  uintptr_t NextKeyValue = 0x1000;

  std::map<uintptr_t, HandleEntry> Handles;
  uintptr_t NextHandleValue = 0x2000;
  uint64_t BytesWritten = 0;  // by WriteFile in this run, for the injected full disk

  // Children whose handles were closed while they still ran; reaped when they end.
  std::vector<pid_t> Orphans;
};

State& Current();

void AddEvent(const std::string& event);
void AddMisuse(const std::string& what);

// The failure planned for `step` in the current WMI sequence, or null. A [failures N] entry
// wins over a [failures] entry.
const StepFailure* FindFailure(const std::string& step);

// Text helpers.
std::string WideToUtf8(const WCHAR* text);
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
bool EqualIgnoringCase(const std::wstring& a, const std::string& b);
std::string Hex(uint32_t value);  // "0x20019"

// OLE Automation internals that the WMI objects use: a BSTR that is counted like any other
// but never subject to an injected SysAllocString failure.
BSTR AllocateCountedBstr(const std::wstring& text);
void MarkVariantLive(const VARIANT* value);

// The handle table shared by files and processes. Handle values are never reused in a run.
HANDLE AddHandle(const HandleEntry& entry);
HandleEntry* FindHandle(HANDLE handle);

// COM internals: release every object still alive; InstallHost calls it.
void DestroyComObjects();
// Processes: what closing a process handle does to its child.
void ReleaseChildOnClose(const std::shared_ptr<ChildProcess>& child);
// Processes: kill and reap every child; InstallHost calls it.
void EndChildProcesses();
void ReapOrphans();

}  // namespace sim
