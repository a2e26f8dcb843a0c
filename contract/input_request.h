#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <cstdint>
#include <string>
#include <vector>

class AbstractWidgetWrapper;

// How a test asks the host for an interaction. The test builds it, passes it
// to TestUserInterface::Request and destroys it when the call returns.
class InputRequest {
 public:
  enum Kind : uint32_t { Information = 0, YesNo = 2, Widget = 3 };
  enum Answer : uint32_t { Yes = 3, No = 4 };

  InputRequest(std::string titleId, std::string messageId, uint32_t requestMode, uint32_t requestKind,
               uint32_t requestExtraNumber)
      : title(std::move(titleId)),
        message(std::move(messageId)),
        mode(requestMode),
        kind(requestKind),
        extraNumber(requestExtraNumber) {}
  virtual ~InputRequest() = default;

  AbstractWidgetWrapper* widget = nullptr;  // kind 3 only
  uint32_t answer = 0;                      // written by the host
  std::string title;                        // text ids, translated by the host
  std::string message;
  uint32_t mode;
  uint32_t kind;
  std::vector<uint64_t> extraValues;
  uint32_t extraNumber;
  uint64_t extraData = 0;
};
