#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <cstdint>

// The version the host reports for the module. It is independent of the
// library file's own version resource.
class ProductVersion {
 public:
  constexpr ProductVersion(uint32_t major, uint32_t minor, uint32_t patch, uint32_t build)
      : major_(major), minor_(minor), patch_(patch), build_(build) {}
  virtual ~ProductVersion() = default;

  virtual uint32_t GetMajor() { return major_; }
  virtual uint32_t GetMinor() { return minor_; }
  virtual uint32_t GetPatch() { return patch_; }
  virtual uint32_t GetBuild() { return build_; }

 private:
  uint32_t major_;
  uint32_t minor_;
  uint32_t patch_;
  uint32_t build_;
};
