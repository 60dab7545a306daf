// The WMI objects: locator, services, enumerator and instances. Each is reference counted as
// COM objects are. A destroyed object's memory is kept until the next InstallHost, so that a
// call on it is recorded as a misuse instead of touching freed memory.
#include <algorithm>
#include <sstream>

#include "platform/sim/wmi_objects.h"

namespace sim {

namespace {

// What every object of this host has besides its interface.
struct ComObjectBase {
  virtual ~ComObjectBase() = default;
  std::string Kind;  // "locator", "services", "enumerator", "instance"
  ULONG References = 1;
  bool Destroyed = false;
};

// Never destroyed, so that objects still kept at process exit stay reachable rather than leaked.
std::vector<ComObjectBase*>& AllObjects() {
  static std::vector<ComObjectBase*>* objects = new std::vector<ComObjectBase*>();
  return *objects;
}

void Register(ComObjectBase* object, const std::string& kind) {
  object->Kind = kind;
  AllObjects().push_back(object);
  ++Current().Log.LiveComObjects;
}

// Records a call on an object that no longer exists or outlived COM. False when the call must
// not go on.
bool CheckUsable(ComObjectBase* object, const std::string& call) {
  if (object->Destroyed) {
    AddMisuse(call + " on a destroyed " + object->Kind);
    return false;
  }
  if (Current().ComDepth == 0) AddMisuse(call + " " + object->Kind + " after CoUninitialize");
  return true;
}

ULONG AddRefObject(ComObjectBase* object) {
  AddEvent("AddRef " + object->Kind);
  if (!CheckUsable(object, "AddRef")) return 0;
  return ++object->References;
}

ULONG ReleaseObject(ComObjectBase* object) {
  AddEvent("Release " + object->Kind);
  if (!CheckUsable(object, "Release")) return 0;
  if (--object->References == 0) {
    object->Destroyed = true;
    --Current().Log.LiveComObjects;
  }
  return object->References;
}

bool IsLiveBstr(const BSTR text) { return Current().LiveBstrs.count(text) != 0; }

// WMI takes its texts as BSTRs; a plain wide string would be marshalled with a garbage length.
void CheckBstr(const BSTR text, const std::string& what) {
  if (text != nullptr && !IsLiveBstr(text)) AddMisuse(what + " is not a live BSTR");
}

std::string TextArg(const char* name, const BSTR text) {
  return text == nullptr ? std::string(name) + "-null" : std::string(name) + "=" + WideToUtf8(text);
}

// A failure injected into `step`: its code when it is negative (the step fails at once),
// otherwise S_OK or the success code that the step returns after doing its work.
HRESULT InjectedCode(const std::string& step) {
  const StepFailure* failure = FindFailure(step);
  return failure == nullptr ? S_OK : failure->Code;
}

struct InstanceObject : IWbemClassObject, ComObjectBase {
  WmiInstance Data;

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override { return AddRefObject(this); }
  ULONG Release() override { return ReleaseObject(this); }

  HRESULT Get(LPCWSTR name, long flags, VARIANT* value, CIMTYPE* type, long* flavor) override {
    AddEvent("Get");
    std::string property = WideToUtf8(name);
    Current().Log.GetArgs.push_back(property + " flags=" + std::to_string(flags) +
                                    (type == nullptr ? " type-null" : " type-set") +
                                    (flavor == nullptr ? " flavor-null" : " flavor-set"));
    if (!CheckUsable(this, "Get")) return WBEM_E_FAILED;
    if (name == nullptr || flags != 0) return WBEM_E_INVALID_PARAMETER;
    const WmiValue* found = nullptr;
    for (const auto& entry : Data.Properties) {
      if (EqualIgnoringCase(name, entry.first)) found = &entry.second;
    }
    if (found == nullptr) return WBEM_E_NOT_FOUND;
    if (type != nullptr) {
      bool memoryType = EqualIgnoringCase(name, "MemoryType");
      *type = memoryType ? 18 : 21;  // CIM_UINT16, CIM_UINT64
    }
    if (flavor != nullptr) *flavor = 0;
    if (value == nullptr) return S_OK;
    if (value->vt == VT_BSTR && IsLiveBstr(value->bstrVal)) {
      AddMisuse("Get overwrites a variant that still holds a BSTR");
    }
    switch (found->ValueKind) {
      case WmiValue::Null:
        value->vt = VT_NULL;
        value->ullVal = 0;
        break;
      case WmiValue::Text:
        value->vt = VT_BSTR;
        value->ullVal = 0;
        value->bstrVal = AllocateCountedBstr(Utf8ToWide(found->TextValue));
        break;
      case WmiValue::Int32:
        value->vt = VT_I4;
        value->ullVal = 0;
        value->lVal = found->Int32Value;
        break;
      case WmiValue::UInt64:
        value->vt = VT_UI8;
        value->ullVal = found->UInt64Value;
        break;
    }
    MarkVariantLive(value);
    return S_OK;
  }
};

struct EnumeratorObject : IEnumWbemClassObject, ComObjectBase {
  std::vector<WmiInstance> Instances;
  size_t Position = 0;
  bool NextFails = false;
  StepFailure NextFailure;

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override { return AddRefObject(this); }
  ULONG Release() override { return ReleaseObject(this); }

  HRESULT Next(long timeout, ULONG count, IWbemClassObject** objects, ULONG* returned) override {
    AddEvent("Next");
    Current().Log.NextArgs.push_back("timeout=" + std::to_string(timeout) +
                                     " count=" + std::to_string(count));
    if (!CheckUsable(this, "Next")) return WBEM_E_FAILED;
    // The checker asks for one instance at a time; other counts are not simulated.
    if (count != 1 || objects == nullptr || returned == nullptr) return WBEM_E_INVALID_PARAMETER;
    *returned = 0;
    if (NextFails && Position >= NextFailure.After) return NextFailure.Code;
    if (Position >= Instances.size()) return WBEM_S_FALSE;
    InstanceObject* instance = new InstanceObject();
    instance->Data = Instances[Position++];
    Register(instance, "instance");
    objects[0] = instance;
    *returned = 1;
    return S_OK;
  }
};

struct ServicesObject : IWbemServices, ComObjectBase {
  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override { return AddRefObject(this); }
  ULONG Release() override { return ReleaseObject(this); }

  HRESULT ExecQuery(const BSTR queryLanguage, const BSTR query, long flags, IWbemContext* context,
                    IEnumWbemClassObject** enumerator) override {
    AddEvent("ExecQuery");
    Current().Log.Queries.push_back(WideToUtf8(queryLanguage) + "|" + WideToUtf8(query) +
                                    "|flags=" + std::to_string(flags) +
                                    (context == nullptr ? "|context-null" : "|context-set"));
    if (!CheckUsable(this, "ExecQuery")) return WBEM_E_FAILED;
    CheckBstr(queryLanguage, "ExecQuery's query language");
    CheckBstr(query, "ExecQuery's query");
    if (enumerator != nullptr) *enumerator = nullptr;
    HRESULT injected = InjectedCode("ExecQuery");
    if (FAILED(injected)) return injected;
    if (enumerator == nullptr || queryLanguage == nullptr || query == nullptr) {
      return WBEM_E_INVALID_PARAMETER;
    }
    if (!EqualIgnoringCase(queryLanguage, "WQL")) return WBEM_E_INVALID_QUERY_TYPE;
    std::wistringstream words(query);
    std::wstring select, star, from, className, extra;
    words >> select >> star >> from >> className;
    if (!EqualIgnoringCase(select, "SELECT") || star != L"*" || !EqualIgnoringCase(from, "FROM") ||
        className.empty() || (words >> extra)) {
      return WBEM_E_INVALID_QUERY;
    }
    if (!EqualIgnoringCase(className, "Win32_DeviceMemoryAddress") &&
        !EqualIgnoringCase(className, "Win32_PhysicalMemory")) {
      return WBEM_E_INVALID_CLASS;
    }
    EnumeratorObject* result = new EnumeratorObject();
    for (const WmiInstance& instance : Current().Machine.Instances) {
      if (EqualIgnoringCase(className, instance.ClassName)) result->Instances.push_back(instance);
    }
    const StepFailure* nextFailure = FindFailure("Next");
    result->NextFails = nextFailure != nullptr;
    if (nextFailure != nullptr) result->NextFailure = *nextFailure;
    Register(result, "enumerator");
    *enumerator = result;
    return injected;
  }
};

struct LocatorObject : IWbemLocator, ComObjectBase {
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object != nullptr && riid == IID_IWbemLocator) {
      AddRef();
      *object = static_cast<IWbemLocator*>(this);
      return S_OK;
    }
    return QueryUnknown(riid, object);
  }
  ULONG AddRef() override { return AddRefObject(this); }
  ULONG Release() override { return ReleaseObject(this); }

  HRESULT QueryUnknown(REFIID riid, void** object);

  HRESULT ConnectServer(const BSTR networkResource, const BSTR user, const BSTR password,
                        const BSTR locale, long securityFlags, const BSTR authority,
                        IWbemContext* context, IWbemServices** services) override {
    AddEvent("ConnectServer");
    Current().Log.ConnectArgs.push_back(
        WideToUtf8(networkResource) + "|" + TextArg("user", user) + "|" +
        TextArg("password", password) + "|" + TextArg("locale", locale) +
        "|flags=" + std::to_string(securityFlags) + "|" + TextArg("authority", authority) +
        (context == nullptr ? "|context-null" : "|context-set"));
    if (!CheckUsable(this, "ConnectServer")) return WBEM_E_FAILED;
    CheckBstr(networkResource, "ConnectServer's namespace");
    CheckBstr(user, "ConnectServer's user");
    CheckBstr(password, "ConnectServer's password");
    CheckBstr(locale, "ConnectServer's locale");
    CheckBstr(authority, "ConnectServer's authority");
    if (services != nullptr) *services = nullptr;
    HRESULT injected = InjectedCode("ConnectServer");
    if (FAILED(injected)) return injected;
    if (services == nullptr || networkResource == nullptr) return WBEM_E_INVALID_PARAMETER;
    if (!EqualIgnoringCase(networkResource, "ROOT\\CIMV2")) return WBEM_E_INVALID_NAMESPACE;
    ServicesObject* result = new ServicesObject();
    Register(result, "services");
    *services = result;
    return injected;
  }
};

// Every object answers for IUnknown; only the locator also for an interface of its own,
// since the checker asks for no other.
template <typename Object, typename Interface>
HRESULT AnswerUnknown(Object* self, Interface* asInterface, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!(riid == IID_IUnknown)) return E_NOINTERFACE;
  self->AddRef();
  *object = static_cast<IUnknown*>(asInterface);
  return S_OK;
}

HRESULT InstanceObject::QueryInterface(REFIID riid, void** object) {
  return AnswerUnknown(this, static_cast<IWbemClassObject*>(this), riid, object);
}
HRESULT EnumeratorObject::QueryInterface(REFIID riid, void** object) {
  return AnswerUnknown(this, static_cast<IEnumWbemClassObject*>(this), riid, object);
}
HRESULT ServicesObject::QueryInterface(REFIID riid, void** object) {
  return AnswerUnknown(this, static_cast<IWbemServices*>(this), riid, object);
}
HRESULT LocatorObject::QueryUnknown(REFIID riid, void** object) {
  return AnswerUnknown(this, static_cast<IWbemLocator*>(this), riid, object);
}

}  // namespace

IWbemLocator* CreateLocator() {
  LocatorObject* locator = new LocatorObject();
  Register(locator, "locator");
  return locator;
}

bool IsLiveComObject(IUnknown* object) {
  for (ComObjectBase* candidate : AllObjects()) {
    IUnknown* asUnknown = nullptr;
    if (auto* services = dynamic_cast<ServicesObject*>(candidate)) asUnknown = services;
    if (auto* locator = dynamic_cast<LocatorObject*>(candidate)) asUnknown = locator;
    if (auto* enumerator = dynamic_cast<EnumeratorObject*>(candidate)) asUnknown = enumerator;
    if (auto* instance = dynamic_cast<InstanceObject*>(candidate)) asUnknown = instance;
    if (asUnknown == object) return !candidate->Destroyed;
  }
  return false;
}

void DestroyComObjects() {
  for (ComObjectBase* object : AllObjects()) delete object;
  AllObjects().clear();
}

}  // namespace sim
