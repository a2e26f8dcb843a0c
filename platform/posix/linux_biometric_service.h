#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/biometric_service.h"

namespace platform::posix {

// What the biometric services over Linux's fingerprint stacks share: the unit
// arrays they hand out (given back with Free, only blocks handed out are
// freed), the state of the listed units that cannot be used, the checks of a
// system-pool session, and the calls they answer as a unit without the
// feature does: Linux keeps no templates by a user's SID and knows no sample
// hint, and the test never deletes.
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
  // A listed unit as its record shows it, and what every operation on it
  // ends with, and why, when it cannot be used.
  struct ListedUnit {
    bool sensor = true;
    std::string instanceId;
    std::string description;
    std::string manufacturer;
    std::string model;
    HRESULT_T state = S_OK_T;
    std::string why;
  };

  virtual bool HasSession(WINBIO_SESSION_HANDLE handle) = 0;
  // Hands out a listing as the framework does (unit ids from 1, in order)
  // and keeps the states of its units until the next.
  HRESULT_T HandOut(const std::vector<ListedUnit>& listed, WINBIO_UNIT_SCHEMA** units, size_t* count);
  // OpenSession's checks: a session of the system pool, as the module
  // opens. S_OK_T when the arguments ask for one; `*sessionHandle` is 0.
  static HRESULT_T CheckPoolSession(WINBIO_BIOMETRIC_TYPE factor, WINBIO_POOL_TYPE poolType,
                                    const WINBIO_UNIT_ID* unitArray, size_t unitCount,
                                    WINBIO_SESSION_HANDLE* sessionHandle);

 private:
  std::mutex mutex_;
  std::set<void*> blocks_;
  // By instance id: the state and why.
  std::map<std::string, std::pair<HRESULT_T, std::string>> states_;
};

// A UTF-8 text as a unit record's text field, cut to fit.
void CopyText(const std::string& utf8, WINBIO_STRING& target);

}  // namespace platform::posix
