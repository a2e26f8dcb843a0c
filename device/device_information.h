#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/winbio_types.h"

class DriverVersions;
class SystemComponent;

// Describes a reader to the host: its type name and ordered properties, taken
// from the framework's unit record and the driver's registry key.
class DeviceInformation {
 public:
  // Empties the component's properties and fills them from `unit`:
  // UDI, FINGERPRINT_MANUFACTURER, FINGERPRINT_MODEL, FINGERPRINT_DESCRIPTION
  // and, when known, DRIVER_VERSION (of the unit's own device; see
  // DriverVersions); DRIVER_STATUS for a reader without a working driver. Throws std::range_error("bad
  // conversion") when a text is not well-formed UTF-16. `versions`: the listing's shared device list; null,
  // one of its own.
  static void Collect(SystemComponent& component, const WINBIO_UNIT_SCHEMA& unit,
                      DriverVersions* versions = nullptr);

  // UTF-8 of a UTF-16 text; an unpaired surrogate throws
  // std::range_error("bad conversion").
  static std::string ToUtf8(std::u16string_view text);

  // One byte per UTF-16 unit, its low 8 bits. Not UTF-8: the suite's UDI is
  // built this way, so characters above U+00FF come out altered.
  static std::string NarrowUnits(std::u16string_view text);

  // A fixed-size framework text up to its first NUL (or its whole length).
  static std::u16string_view FromWinbioString(const WINBIO_STRING& text);
};
