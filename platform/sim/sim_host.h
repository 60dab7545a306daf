// The simulated Windows host: the machine that the calls of win32_sim.h act upon, and the
// record of what the code did to it. Tests build a Host (or parse host-file text), install it,
// run code, and read the Record.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/win32_sim.h"

namespace sim {

struct RegistryValue {
  DWORD Type = REG_DWORD;
  std::vector<BYTE> Data;
};

// A property value as WMI delivers it.
struct WmiValue {
  enum Kind { Null, Text, Int32, UInt64 };
  Kind ValueKind = Null;
  std::string TextValue;     // Text: delivered as a BSTR
  int32_t Int32Value = 0;    // Int32: delivered as VT_I4
  uint64_t UInt64Value = 0;  // UInt64: delivered as VT_UI8
};

struct WmiInstance {
  std::string ClassName;
  std::vector<std::pair<std::string, WmiValue>> Properties;  // in file order
};

// A failure injected into one platform step.
struct StepFailure {
  int32_t Code = 0;    // the HRESULT or Win32 error the step returns
  uint64_t After = 0;  // Next: instances delivered first; SysAllocString: calls that succeed
                       // first; WriteFile: bytes written first
};

// Step name -> failure. Names: CoInitializeEx CoInitializeSecurity CoCreateInstance
// ConnectServer CoSetProxyBlanket ExecQuery Next SysAllocString CreateFileW WriteFile
// CreateProcessW WaitForSingleObject.
typedef std::map<std::string, StepFailure> FailurePlan;

struct Host {
  bool VersionQueryFails = false;
  DWORD MajorVersion = 5;
  DWORD MinorVersion = 1;
  DWORD BuildNumber = 2600;

  bool KeyExists = false;     // the driver's Parameters key
  bool AccessDenied = false;  // the key exists but cannot be opened
  std::map<std::string, RegistryValue> Values;

  std::vector<WmiInstance> Instances;  // delivered in this order, filtered by class

  FailurePlan Failures;  // every run of the WMI sequence, and the other calls
  std::map<int, FailurePlan> SequenceFailures;  // only the Nth WMI sequence (1 = the first)
};

// Parses host-file text. On error returns false and sets *error to
// "<fileName>:<line>: <what is wrong>".
bool ParseHostText(const std::string& text, const std::string& fileName, Host* host,
                   std::string* error);

// The typical machine: version 5; device memory at 0xA0000, 0xE0000000 and 0xFEC00000; two
// counted 2048 MB modules; an area of 256 MB at 0xC0000000.
Host DefaultHost();

// Makes `host` the machine the calls act upon, and starts a fresh Record.
void InstallHost(const Host& host);

struct SecurityCall {
  bool DescriptorNull;
  LONG AuthServiceCount;
  bool AuthServicesNull, Reserved1Null;
  DWORD AuthnLevel, ImpLevel;
  bool AuthListNull;
  DWORD Capabilities;
  bool Reserved3Null;
};

struct BlanketCall {
  DWORD AuthnService, AuthzService;
  bool PrincipalNull;
  DWORD AuthnLevel, ImpLevel;
  bool AuthInfoNull;
  DWORD Capabilities;
};

struct LaunchCall {
  bool ApplicationNameNull;
  std::wstring CommandLine;
  bool ProcessAttributesNull, ThreadAttributesNull;
  BOOL InheritHandles;
  DWORD CreationFlags;
  bool EnvironmentNull, CurrentDirectoryNull;
  DWORD StartupInfoCb;
  bool StartupInfoOtherwiseZero;
};

// What the code did to the host since the last InstallHost.
struct Record {
  std::vector<std::string>
      Events;  // every call in order, e.g. "CoInitializeEx", "Release services"

  int CoInitializeCalls = 0, CoUninitializeCalls = 0;
  std::vector<DWORD> CoInitFlags;
  std::vector<bool> CoInitReservedNull;
  std::vector<SecurityCall> SecurityCalls;
  std::vector<std::string> CreateInstanceArgs;  // "clsid-ok outer-null ctx=1 iid-ok"
  std::vector<std::string> ConnectArgs;         // "ROOT\CIMV2|user-null|..."
  std::vector<BlanketCall> BlanketCalls;
  std::vector<std::string> Queries;         // "WQL|SELECT ...|flags=48|context-null"
  std::vector<std::string> NextArgs;        // "timeout=-1 count=1"
  std::vector<std::string> GetArgs;         // "Capacity flags=0 type-null flavor-null"
  std::vector<std::string> ChangeTypeArgs;  // "flags=0 vt=21"

  int LiveComObjects = 0;  // objects obtained and not yet released to zero
  int LiveBstrs = 0;
  int LiveVariants = 0;  // initialised or filled and not yet cleared

  std::vector<std::string> RegistryOpens;  // "SYSTEM\...\Parameters options=0 access=0x20019"
  std::vector<std::string>
      RegistryQueries;  // "HighMemoryAreaReservedStart reserved-null type-null len=4"
  int OpenKeys = 0;

  std::vector<DWORD> VersionRecordSizes;

  int OpenHandles = 0;
  std::vector<std::string> FilesOpened;  // "log.txt access=0x4 share=0x3 disposition=4"
  std::vector<LaunchCall> Launches;
  std::vector<DWORD> Waits;        // milliseconds of each WaitForSingleObject
  std::vector<UINT> Terminations;  // exit codes of each TerminateProcess

  // Uses that Windows would not forgive or that leak, e.g. "Release of a destroyed instance",
  // "CoUninitialize without CoInitializeEx", "Release locator after CoUninitialize".
  std::vector<std::string> Misuses;
};

Record& Recorded();

// Loads the host named by TESSIV_HOST, or the default host. On a host file that cannot be read
// or parsed, writes one line to standard error and returns false.
bool LoadHostFromEnvironment();

}  // namespace sim
