#include "platform/posix/linux_biometric_service.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <QString>

namespace platform::posix {

LinuxBiometricService::~LinuxBiometricService() {
  for (void* block : blocks_) std::free(block);
}

WINBIO_UNIT_SCHEMA* LinuxBiometricService::AllocateUnits(size_t count) {
  void* block = std::calloc(count == 0 ? 1 : count, sizeof(WINBIO_UNIT_SCHEMA));
  if (!block) return nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  blocks_.insert(block);
  return static_cast<WINBIO_UNIT_SCHEMA*>(block);
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

void LinuxBiometricService::SetUnitStates(UnitStates states) {
  std::lock_guard<std::mutex> lock(mutex_);
  states_ = std::move(states);
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
