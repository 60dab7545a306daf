// The part of the Win32, COM, OLE Automation and WMI interfaces that the checker uses,
// declared for hosts without Windows. Every name is spelt as Windows spells it and behaves
// as the checker relies on it; the calls act on the simulated Windows host (sim_host.h).
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Basic types -------------------------------------------------------------------------
typedef int32_t BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint16_t USHORT;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef int32_t HRESULT;
typedef wchar_t WCHAR;
typedef WCHAR OLECHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef OLECHAR* BSTR;
typedef void* LPVOID;
typedef void* HANDLE;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;
typedef long CIMTYPE;
typedef uint16_t VARTYPE;
typedef void* PSECURITY_DESCRIPTOR;
typedef void* RPC_AUTH_IDENTITY_HANDLE;

struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;

#define TRUE 1
#define FALSE 0
#define WINAPI
#define WINAPIV

// ---- Error values ------------------------------------------------------------------------
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_BAD_FORMAT 11L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_DISK_FULL 39L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_DISK_FULL 112L
#define ERROR_INVALID_NAME 123L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_MORE_DATA 234L

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_FAIL ((HRESULT)0x80004005L)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110L)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#define RPC_E_TOO_LATE ((HRESULT)0x80010119L)
#define CO_E_NOTINITIALIZED ((HRESULT)0x800401F0L)
#define DISP_E_TYPEMISMATCH ((HRESULT)0x80020005L)
#define DISP_E_OVERFLOW ((HRESULT)0x8002000AL)
#define DISP_E_BADVARTYPE ((HRESULT)0x80020008L)
#define WBEM_S_FALSE ((HRESULT)1)
#define WBEM_E_FAILED ((HRESULT)0x80041001L)
#define WBEM_E_NOT_FOUND ((HRESULT)0x80041002L)
#define WBEM_E_INVALID_PARAMETER ((HRESULT)0x80041008L)
#define WBEM_E_INVALID_CLASS ((HRESULT)0x80041010L)
#define WBEM_E_INVALID_NAMESPACE ((HRESULT)0x8004100EL)
#define WBEM_E_INVALID_QUERY ((HRESULT)0x80041017L)
#define WBEM_E_INVALID_QUERY_TYPE ((HRESULT)0x80041018L)

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

// ---- Registry ----------------------------------------------------------------------------
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)
#define KEY_READ 0x20019u
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_QWORD 11u

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataLength);
LONG RegCloseKey(HKEY key);

// ---- Operating-system version ------------------------------------------------------------
struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  uint16_t szCSDVersion[128];  // 16-bit characters, as on Windows: the record is 276 bytes
};
typedef OSVERSIONINFOW* LPOSVERSIONINFOW;
static_assert(sizeof(OSVERSIONINFOW) == 276, "the version record is 276 bytes");

struct OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  uint16_t szCSDVersion[128];  // 16-bit characters, as on Windows: the record is 284 bytes
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the extended version record is 284 bytes");

BOOL GetVersionExW(LPOSVERSIONINFOW info);

// ---- Last-error value, handles, files ----------------------------------------------------
DWORD GetLastError();
void SetLastError(DWORD error);
BOOL CloseHandle(HANDLE handle);

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define GENERIC_WRITE 0x40000000u
#define FILE_APPEND_DATA 0x0004u
#define FILE_SHARE_READ 0x1u
#define FILE_SHARE_WRITE 0x2u
#define OPEN_ALWAYS 4u
#define FILE_ATTRIBUTE_NORMAL 0x80u

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD length, LPDWORD written,
               LPOVERLAPPED overlapped);

// ---- Processes ---------------------------------------------------------------------------
#define CREATE_NO_WINDOW 0x08000000u
#define STILL_ACTIVE 259u
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu

struct STARTUPINFOW {
  DWORD cb;
  LPWSTR lpReserved;
  LPWSTR lpDesktop;
  LPWSTR lpTitle;
  DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
typedef STARTUPINFOW* LPSTARTUPINFOW;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
BOOL TerminateProcess(HANDLE process, UINT exitCode);

// Formats %u, %d, %s (wide text) and %%; like Windows, the output stops at 1024 characters.
int WINAPIV wsprintfW(LPWSTR buffer, LPCWSTR format, ...);

// ---- COM ---------------------------------------------------------------------------------
struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
bool operator==(const GUID& a, const GUID& b);

#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2
#define CLSCTX_INPROC_SERVER 0x1u
#define RPC_C_AUTHN_LEVEL_DEFAULT 0u
#define RPC_C_AUTHN_LEVEL_CALL 3u
#define RPC_C_IMP_LEVEL_IMPERSONATE 3u
#define RPC_C_AUTHN_WINNT 10u
#define RPC_C_AUTHZ_NONE 0u
#define EOAC_NONE 0u

struct SOLE_AUTHENTICATION_SERVICE;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
void CoUninitialize();
HRESULT CoInitializeSecurity(PSECURITY_DESCRIPTOR securityDescriptor, LONG authServiceCount,
                             SOLE_AUTHENTICATION_SERVICE* authServices, void* reserved1,
                             DWORD authnLevel, DWORD impLevel, void* authList, DWORD capabilities,
                             void* reserved3);
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD classContext, REFIID iid,
                         LPVOID* object);
HRESULT CoSetProxyBlanket(IUnknown* proxy, DWORD authnService, DWORD authzService,
                          OLECHAR* serverPrincipalName, DWORD authnLevel, DWORD impLevel,
                          RPC_AUTH_IDENTITY_HANDLE authInfo, DWORD capabilities);

// ---- OLE Automation ----------------------------------------------------------------------
enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_BSTR = 8,
  VT_BOOL = 11,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    ULONGLONG ullVal;
    ULONG ulVal;
    BSTR bstrVal;
  };
};
typedef VARIANT VARIANTARG;

BSTR SysAllocString(const OLECHAR* text);
void SysFreeString(BSTR text);
void VariantInit(VARIANTARG* value);
HRESULT VariantClear(VARIANTARG* value);
HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                          VARTYPE type);

// ---- WMI ---------------------------------------------------------------------------------
#define WBEM_FLAG_RETURN_IMMEDIATELY 0x10
#define WBEM_FLAG_FORWARD_ONLY 0x20
#define WBEM_INFINITE (-1)

struct IWbemContext;

struct IWbemClassObject : IUnknown {
  virtual HRESULT Get(LPCWSTR name, long flags, VARIANT* value, CIMTYPE* type, long* flavor) = 0;
};

struct IEnumWbemClassObject : IUnknown {
  virtual HRESULT Next(long timeout, ULONG count, IWbemClassObject** objects, ULONG* returned) = 0;
};

struct IWbemServices : IUnknown {
  virtual HRESULT ExecQuery(const BSTR queryLanguage, const BSTR query, long flags,
                            IWbemContext* context, IEnumWbemClassObject** enumerator) = 0;
};

struct IWbemLocator : IUnknown {
  virtual HRESULT ConnectServer(const BSTR networkResource, const BSTR user, const BSTR password,
                                const BSTR locale, long securityFlags, const BSTR authority,
                                IWbemContext* context, IWbemServices** services) = 0;
};

extern const CLSID CLSID_WbemLocator;
extern const IID IID_IWbemLocator;
extern const IID IID_IUnknown;
