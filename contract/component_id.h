#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <cstdint>

// Identifies a module, a diagnostic or a test. The three numbers are kept for
// reading; identity and ordering use the packed key alone.
struct ComponentId {
  uint16_t module = 0;
  uint32_t diagnostic = 0;
  uint32_t test = 0;
  uint64_t key = 0;

  constexpr ComponentId() = default;
  constexpr ComponentId(uint16_t moduleNumber, uint32_t diagnosticNumber, uint32_t testNumber)
      : module(moduleNumber),
        diagnostic(diagnosticNumber & 0xFFFFFFu),
        test(testNumber & 0xFFFFFFu),
        key(uint64_t{module} << 48 | uint64_t{diagnostic} << 24 | uint64_t{test}) {}

  friend constexpr bool operator==(const ComponentId& a, const ComponentId& b) { return a.key == b.key; }
  friend constexpr bool operator!=(const ComponentId& a, const ComponentId& b) { return a.key != b.key; }
  friend constexpr bool operator<(const ComponentId& a, const ComponentId& b) { return a.key < b.key; }
};

// Stateless comparator for the maps the host receives; orders by key.
struct ComponentIdLess {
  constexpr bool operator()(const ComponentId& a, const ComponentId& b) const { return a.key < b.key; }
};

namespace ids {
inline constexpr ComponentId kModule{22, 0, 0};
inline constexpr ComponentId kDiagnostic{22, 1, 0};
inline constexpr ComponentId kRecognitionTest{22, 1, 1};
}  // namespace ids
