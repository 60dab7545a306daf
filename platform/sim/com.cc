// COM initialisation, security and object creation. Each CoInitializeEx begins a new WMI
// sequence of the run, whose number picks the host file's [failures N] section.
#include <cstring>

#include "platform/sim/wmi_objects.h"

const CLSID CLSID_WbemLocator = {
    0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID IID_IWbemLocator = {
    0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool operator==(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

namespace {

// The failure planned for `step`: a negative code makes the step fail at once without any
// effect; a non-negative one is the success code the step returns after its normal work.
HRESULT InjectedCode(const char* step) {
  const sim::StepFailure* failure = sim::FindFailure(step);
  return failure == nullptr ? S_OK : failure->Code;
}

HRESULT SuccessCode(HRESULT normal, HRESULT injected) {
  return injected != S_OK ? injected : normal;
}

}  // namespace

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit) {
  sim::State& state = sim::Current();
  sim::AddEvent("CoInitializeEx");
  ++state.Log.CoInitializeCalls;
  state.Log.CoInitFlags.push_back(coInit);
  state.Log.CoInitReservedNull.push_back(reserved == nullptr);
  ++state.Sequence;
  state.SequenceAllocations = 0;
  HRESULT injected = InjectedCode("CoInitializeEx");
  if (FAILED(injected)) return injected;
  if (reserved != nullptr) return E_INVALIDARG;
  // The first initialisation on the thread answers S_OK, every further one S_FALSE; each
  // successful one needs its own CoUninitialize.
  HRESULT normal = state.ComDepth == 0 ? S_OK : S_FALSE;
  ++state.ComDepth;
  return SuccessCode(normal, injected);
}

void CoUninitialize() {
  sim::State& state = sim::Current();
  sim::AddEvent("CoUninitialize");
  ++state.Log.CoUninitializeCalls;
  if (state.ComDepth == 0) {
    sim::AddMisuse("CoUninitialize without CoInitializeEx");
    return;
  }
  if (--state.ComDepth == 0) state.SecuritySet = false;
}

HRESULT CoInitializeSecurity(PSECURITY_DESCRIPTOR securityDescriptor, LONG authServiceCount,
                             SOLE_AUTHENTICATION_SERVICE* authServices, void* reserved1,
                             DWORD authnLevel, DWORD impLevel, void* authList, DWORD capabilities,
                             void* reserved3) {
  sim::State& state = sim::Current();
  sim::AddEvent("CoInitializeSecurity");
  state.Log.SecurityCalls.push_back({securityDescriptor == nullptr, authServiceCount,
                                     authServices == nullptr, reserved1 == nullptr, authnLevel,
                                     impLevel, authList == nullptr, capabilities,
                                     reserved3 == nullptr});
  HRESULT injected = InjectedCode("CoInitializeSecurity");
  if (FAILED(injected)) return injected;
  if (state.ComDepth == 0) return CO_E_NOTINITIALIZED;
  // The process's security is set once while COM is up; only after COM has been
  // uninitialised completely can it be set again.
  if (state.SecuritySet) return RPC_E_TOO_LATE;
  state.SecuritySet = true;
  return SuccessCode(S_OK, injected);
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD classContext, REFIID iid,
                         LPVOID* object) {
  sim::State& state = sim::Current();
  sim::AddEvent("CoCreateInstance");
  bool clsidOk = clsid == CLSID_WbemLocator;
  bool iidLocator = iid == IID_IWbemLocator;
  bool iidUnknown = iid == IID_IUnknown;
  state.Log.CreateInstanceArgs.push_back(std::string(clsidOk ? "clsid-ok" : "clsid-bad") +
                                         (outer == nullptr ? " outer-null" : " outer-set") +
                                         " ctx=" + std::to_string(classContext) +
                                         (iidLocator   ? " iid-ok"
                                          : iidUnknown ? " iid-unknown"
                                                       : " iid-bad"));
  if (object != nullptr) *object = nullptr;
  HRESULT injected = InjectedCode("CoCreateInstance");
  if (FAILED(injected)) return injected;
  if (object == nullptr) return E_POINTER;
  if (state.ComDepth == 0) return CO_E_NOTINITIALIZED;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  // The WMI locator is an in-process server only.
  if (!clsidOk || (classContext & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
  if (!iidLocator && !iidUnknown) return E_NOINTERFACE;
  *object = sim::CreateLocator();
  return SuccessCode(S_OK, injected);
}

HRESULT CoSetProxyBlanket(IUnknown* proxy, DWORD authnService, DWORD authzService,
                          OLECHAR* serverPrincipalName, DWORD authnLevel, DWORD impLevel,
                          RPC_AUTH_IDENTITY_HANDLE authInfo, DWORD capabilities) {
  sim::State& state = sim::Current();
  sim::AddEvent("CoSetProxyBlanket");
  state.Log.BlanketCalls.push_back({authnService, authzService, serverPrincipalName == nullptr,
                                    authnLevel, impLevel, authInfo == nullptr, capabilities});
  HRESULT injected = InjectedCode("CoSetProxyBlanket");
  if (FAILED(injected)) return injected;
  if (state.ComDepth == 0) return CO_E_NOTINITIALIZED;
  if (proxy == nullptr || !sim::IsLiveComObject(proxy)) {
    sim::AddMisuse("CoSetProxyBlanket on something that is not a live object");
    return E_INVALIDARG;
  }
  return SuccessCode(S_OK, injected);
}
