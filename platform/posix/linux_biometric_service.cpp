#include "platform/posix/linux_biometric_service.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <QString>

namespace platform::posix {

LinuxBiometricService::~LinuxBiometricService() {
  for (void* block : blocks_) std::free(block);
}

HRESULT_T LinuxBiometricService::HandOut(const std::vector<ListedUnit>& listed, WINBIO_UNIT_SCHEMA** units,
                                         size_t* count) {
  std::map<std::string, std::pair<HRESULT_T, std::string>> states;
  for (const ListedUnit& unit : listed)
    if (unit.state < 0) states[unit.instanceId] = {unit.state, unit.why};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    states_ = std::move(states);
  }
  if (listed.empty()) return S_OK_T;
  auto* array = static_cast<WINBIO_UNIT_SCHEMA*>(std::calloc(listed.size(), sizeof(WINBIO_UNIT_SCHEMA)));
  if (!array) return E_OUTOFMEMORY_T;
  for (size_t i = 0; i < listed.size(); ++i) {
    WINBIO_UNIT_SCHEMA& unit = array[i];
    unit.UnitId = static_cast<WINBIO_UNIT_ID>(i + 1);
    unit.PoolType = WINBIO_POOL_SYSTEM;
    unit.BiometricFactor = WINBIO_TYPE_FINGERPRINT;
    unit.Capabilities = listed[i].sensor ? WINBIO_CAPABILITY_SENSOR : 0;
    CopyText(listed[i].instanceId, unit.DeviceInstanceId);
    CopyText(listed[i].description, unit.Description);
    CopyText(listed[i].manufacturer, unit.Manufacturer);
    CopyText(listed[i].model, unit.Model);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    blocks_.insert(array);
  }
  *units = array;
  *count = listed.size();
  return S_OK_T;
}

HRESULT_T LinuxBiometricService::CheckPoolSession(WINBIO_BIOMETRIC_TYPE factor, WINBIO_POOL_TYPE poolType,
                                                  const WINBIO_UNIT_ID* unitArray, size_t unitCount,
                                                  WINBIO_SESSION_HANDLE* sessionHandle) {
  if (!sessionHandle) return E_POINTER_T;
  *sessionHandle = 0;
  if (factor != WINBIO_TYPE_FINGERPRINT || poolType != WINBIO_POOL_SYSTEM || unitArray || unitCount != 0)
    return E_INVALIDARG_T;
  return S_OK_T;
}

HRESULT_T LinuxBiometricService::Free(void* address) {
  if (!address) return S_OK_T;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (blocks_.erase(address) == 0) return E_INVALIDARG_T;
  }
  std::free(address);
  return S_OK_T;
}

HRESULT_T LinuxBiometricService::UnitState(std::u16string_view deviceInstanceId, std::string* why) {
  const std::string id =
      QString::fromUtf16(deviceInstanceId.data(), static_cast<qsizetype>(deviceInstanceId.size()))
          .toStdString();
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = states_.find(id);
  if (it == states_.end()) return S_OK_T;
  if (why) *why = it->second.second;
  return it->second.first;
}

HRESULT_T LinuxBiometricService::DeleteTemplate(WINBIO_SESSION_HANDLE handle, WINBIO_UNIT_ID,
                                                const WINBIO_IDENTITY* identity, WINBIO_BIOMETRIC_SUBTYPE) {
  if (!HasSession(handle)) return E_HANDLE_T;
  if (!identity) return E_POINTER_T;
  return E_NOTIMPL_T;
}

HRESULT_T LinuxBiometricService::GetProperty(WINBIO_SESSION_HANDLE handle, WINBIO_PROPERTY_TYPE,
                                             WINBIO_PROPERTY_ID, WINBIO_UNIT_ID, const WINBIO_IDENTITY*,
                                             WINBIO_BIOMETRIC_SUBTYPE, void** propertyBuffer,
                                             size_t* propertyBufferSize) {
  if (!propertyBuffer) return E_POINTER_T;
  *propertyBuffer = nullptr;
  if (propertyBufferSize) *propertyBufferSize = 0;
  if (!HasSession(handle)) return E_HANDLE_T;
  return E_NOTIMPL_T;
}

void CopyText(const std::string& utf8, WINBIO_STRING& target) {
  const QString text = QString::fromUtf8(utf8.c_str());
  const auto length = std::min<qsizetype>(text.size(), WINBIO_STRING_LENGTH - 1);
  std::memcpy(target, text.utf16(), static_cast<size_t>(length) * sizeof(char16_t));
  target[length] = u'\0';
}

}  // namespace platform::posix
