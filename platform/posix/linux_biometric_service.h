#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "platform/biometric_service.h"

namespace platform::posix {

// What the biometric services over Linux's fingerprint stacks share: the unit
// arrays they hand out (given back with Free, only blocks handed out are
// freed), the state of the listed units that cannot be used, and the calls
// they answer as a unit without the feature does: Linux keeps no templates by
// a user's SID and knows no sample hint, and the test never deletes.
class LinuxBiometricService : public BiometricService {
 public:
  ~LinuxBiometricService() override;

  HRESULT_T Free(void* address) override;
  HRESULT_T UnitState(std::u16string_view deviceInstanceId, std::string* why) override;
  HRESULT_T DeleteTemplate(WINBIO_SESSION_HANDLE handle, WINBIO_UNIT_ID, const WINBIO_IDENTITY* identity,
                           WINBIO_BIOMETRIC_SUBTYPE) override;
  HRESULT_T GetProperty(WINBIO_SESSION_HANDLE handle, WINBIO_PROPERTY_TYPE, WINBIO_PROPERTY_ID,
                        WINBIO_UNIT_ID, const WINBIO_IDENTITY*, WINBIO_BIOMETRIC_SUBTYPE,
                        void** propertyBuffer, size_t* propertyBufferSize) override;

 protected:
  // By instance id: what every operation on the unit ends with, and why.
  using UnitStates = std::map<std::string, std::pair<HRESULT_T, std::string>>;

  virtual bool HasSession(WINBIO_SESSION_HANDLE handle) = 0;
  // `count` zeroed records; null when memory runs out.
  WINBIO_UNIT_SCHEMA* AllocateUnits(size_t count);
  // Replaces the states of the last listing.
  void SetUnitStates(UnitStates states);

 private:
  std::mutex mutex_;
  std::set<void*> blocks_;
  UnitStates states_;
};

// A UTF-8 text as a unit record's text field, cut to fit.
void CopyText(const std::string& utf8, WINBIO_STRING& target);

}  // namespace platform::posix
