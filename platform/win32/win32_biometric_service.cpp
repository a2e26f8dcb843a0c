// The Windows Biometric Framework, loaded from winbio.dll at run time: a
// machine without it has no readers and opens no session.
#include "platform/win32/win32_biometric_service.h"

#include <windows.h>

namespace platform::win32 {
namespace {

static_assert(sizeof(WINBIO_UNIT_SCHEMA) == 2588, "WINBIO_UNIT_SCHEMA layout");
static_assert(sizeof(HRESULT) == sizeof(HRESULT_T), "HRESULT");
static_assert(sizeof(SIZE_T) == sizeof(size_t), "SIZE_T");
static_assert(kSecurityMaxSidSize == SECURITY_MAX_SID_SIZE, "SECURITY_MAX_SID_SIZE");
// HRESULT_FROM_WIN32 is an inline function in Microsoft's SDK (a macro only in
// MinGW's), so it cannot appear in a constant expression: spell it out.
static_assert(E_HANDLE_T == E_HANDLE, "E_HANDLE");
static_assert(E_MOD_NOT_FOUND_T ==
                  static_cast<HRESULT_T>(0x80000000u | (FACILITY_WIN32 << 16) | ERROR_MOD_NOT_FOUND),
              "HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)");

using EnumBiometricUnitsFn = HRESULT(WINAPI*)(WINBIO_BIOMETRIC_TYPE, WINBIO_UNIT_SCHEMA**, SIZE_T*);
using FreeFn = HRESULT(WINAPI*)(PVOID);
using OpenSessionFn = HRESULT(WINAPI*)(WINBIO_BIOMETRIC_TYPE, WINBIO_POOL_TYPE, WINBIO_SESSION_FLAGS,
                                       WINBIO_UNIT_ID*, SIZE_T, WINBIO_GUID*, WINBIO_SESSION_HANDLE*);
using CloseSessionFn = HRESULT(WINAPI*)(WINBIO_SESSION_HANDLE);
using LocateSensorFn = HRESULT(WINAPI*)(WINBIO_SESSION_HANDLE, WINBIO_UNIT_ID*);
using CancelFn = HRESULT(WINAPI*)(WINBIO_SESSION_HANDLE);
using DeleteTemplateFn = HRESULT(WINAPI*)(WINBIO_SESSION_HANDLE, WINBIO_UNIT_ID, WINBIO_IDENTITY*,
                                          WINBIO_BIOMETRIC_SUBTYPE);
using IsEssCapableFn = HRESULT(WINAPI*)(BOOLEAN*);
using GetPropertyFn = HRESULT(WINAPI*)(WINBIO_SESSION_HANDLE, WINBIO_PROPERTY_TYPE, WINBIO_PROPERTY_ID,
                                       WINBIO_UNIT_ID, WINBIO_IDENTITY*, WINBIO_BIOMETRIC_SUBTYPE, PVOID*,
                                       SIZE_T*);

// Owns the loaded library.
class Library {
 public:
  Library() : module_(::LoadLibraryExW(L"winbio.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {}
  ~Library() {
    if (module_) ::FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  template <class Fn>
  Fn Resolve(const char* name) const {
    if (!module_) return nullptr;
    // Through void(*)() so that the compiler accepts the change of function type.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

class Win32BiometricService : public BiometricService {
 public:
  Win32BiometricService()
      : enum_(library_.Resolve<EnumBiometricUnitsFn>("WinBioEnumBiometricUnits")),
        free_(library_.Resolve<FreeFn>("WinBioFree")),
        open_(library_.Resolve<OpenSessionFn>("WinBioOpenSession")),
        close_(library_.Resolve<CloseSessionFn>("WinBioCloseSession")),
        locate_(library_.Resolve<LocateSensorFn>("WinBioLocateSensor")),
        cancel_(library_.Resolve<CancelFn>("WinBioCancel")),
        delete_(library_.Resolve<DeleteTemplateFn>("WinBioDeleteTemplate")),
        getProperty_(library_.Resolve<GetPropertyFn>("WinBioGetProperty")),
        isEssCapable_(library_.Resolve<IsEssCapableFn>("WinBioIsESSCapable")) {}

  HRESULT_T EnumBiometricUnits(WINBIO_BIOMETRIC_TYPE factor, WINBIO_UNIT_SCHEMA** units,
                               size_t* count) override {
    if (units) *units = nullptr;
    if (count) *count = 0;
    if (!enum_) return kMissing;
    SIZE_T n = 0;
    const HRESULT hr = enum_(factor, units, &n);
    if (count) *count = n;
    return hr;
  }

  HRESULT_T Free(void* address) override { return free_ ? free_(address) : kMissing; }

  HRESULT_T OpenSession(WINBIO_BIOMETRIC_TYPE factor, WINBIO_POOL_TYPE poolType, WINBIO_SESSION_FLAGS flags,
                        WINBIO_UNIT_ID* unitArray, size_t unitCount, const WINBIO_GUID* databaseId,
                        WINBIO_SESSION_HANDLE* sessionHandle) override {
    if (sessionHandle) *sessionHandle = 0;
    if (!open_) return kMissing;
    // The framework does not write through the database id; its declaration
    // merely lacks the const.
    return open_(factor, poolType, flags, unitArray, unitCount, const_cast<WINBIO_GUID*>(databaseId),
                 sessionHandle);
  }

  HRESULT_T CloseSession(WINBIO_SESSION_HANDLE sessionHandle) override {
    return close_ ? close_(sessionHandle) : kMissing;
  }

  HRESULT_T LocateSensor(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_UNIT_ID* unitId) override {
    return locate_ ? locate_(sessionHandle, unitId) : kMissing;
  }

  HRESULT_T Cancel(WINBIO_SESSION_HANDLE sessionHandle) override {
    return cancel_ ? cancel_(sessionHandle) : kMissing;
  }

  HRESULT_T DeleteTemplate(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_UNIT_ID unitId,
                           const WINBIO_IDENTITY* identity, WINBIO_BIOMETRIC_SUBTYPE subFactor) override {
    if (!delete_) return kMissing;
    return delete_(sessionHandle, unitId, const_cast<WINBIO_IDENTITY*>(identity), subFactor);
  }

  HRESULT_T GetProperty(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_PROPERTY_TYPE propertyType,
                        WINBIO_PROPERTY_ID propertyId, WINBIO_UNIT_ID unitId, const WINBIO_IDENTITY* identity,
                        WINBIO_BIOMETRIC_SUBTYPE subFactor, void** propertyBuffer,
                        size_t* propertyBufferSize) override {
    if (propertyBuffer) *propertyBuffer = nullptr;
    if (!getProperty_) return kMissing;
    SIZE_T size = 0;
    const HRESULT hr = getProperty_(sessionHandle, propertyType, propertyId, unitId,
                                    const_cast<WINBIO_IDENTITY*>(identity), subFactor, propertyBuffer, &size);
    if (propertyBufferSize) *propertyBufferSize = size;
    return hr;
  }

  // Absent before Windows 11, whose machines know no Enhanced Sign-in Security.
  HRESULT_T IsESSCapable(bool* capable) override {
    if (!capable) return E_POINTER_T;
    *capable = false;
    if (!isEssCapable_) return E_NOTIMPL_T;
    BOOLEAN value = FALSE;
    const HRESULT hr = isEssCapable_(&value);
    *capable = SUCCEEDED(hr) && value != FALSE;
    return hr;
  }

 private:
  static constexpr HRESULT_T kMissing = E_MOD_NOT_FOUND_T;

  Library library_;
  EnumBiometricUnitsFn enum_;
  FreeFn free_;
  OpenSessionFn open_;
  CloseSessionFn close_;
  LocateSensorFn locate_;
  CancelFn cancel_;
  DeleteTemplateFn delete_;
  GetPropertyFn getProperty_;
  IsEssCapableFn isEssCapable_;
};

}  // namespace

std::unique_ptr<BiometricService> CreateWin32BiometricService() {
  return std::make_unique<Win32BiometricService>();
}

}  // namespace platform::win32
