#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/winbio_types.h"

// The protocol between the libfprint backend and its helper process, shared
// by both sides: each message is a struct here with one formatter and one
// parser. One line per message, fields separated by tabs.
//
//   request: <id> TAB <verb> [TAB <session>]
//   answer:  <id> TAB <HRESULT in decimal> [TAB <value>]...
//
// Verbs and their answers' values:
//   survey            <count>, then per USB fingerprint reader present that libfprint's hardware database
//                     knows, a SurveyedReader (without asking libfprint: a driver that crashes cannot hide
//                     its reader)
//   list              <count>, then per reader a ListedReader
//   open              <session>: a session on every testable reader
//   wait <session>    <unit id>: the reader touched first (unit ids count readers from 1, in list order)
//   cancel <session>  no answer (id 0): ends the session's wait, which then answers WINBIO_E_CANCELED
//   close <session>   nothing: a wait under way ends first
// Requests may overlap (a listing during a wait); answers carry their
// request's id and come in the order the work ends.
namespace platform::libfprint::protocol {

inline constexpr char kSurvey[] = "survey";
inline constexpr char kList[] = "list";
inline constexpr char kOpen[] = "open";
inline constexpr char kWait[] = "wait";
inline constexpr char kCancel[] = "cancel";
inline constexpr char kClose[] = "close";

struct Request {
  uint64_t id = 0;  // 0: a request that has no answer
  std::string verb;
  std::string session;  // empty: none
};

struct Answer {
  uint64_t id = 0;
  HRESULT_T result = S_OK_T;
  std::vector<std::string> values;
};

// A reader libfprint manages.
struct ListedReader {
  bool testable = false;  // captures, or identifies against its own storage
  std::string instanceId;
  std::string description;
  std::string manufacturer;
  std::string model;
};

// A USB reader present that libfprint's hardware database knows.
struct SurveyedReader {
  std::string driver;  // "" when the database names none
  std::string instanceId;
  std::string description;
  std::string manufacturer;
  std::string model;
  std::string notOpenable;  // why this user may not open its device node; "" when they may
};

// Each formatter gives the line with its line break; each parser takes it
// without. Fields may hold any text but tabs and line breaks: those are
// escaped.
std::string Format(const Request& request);
Request ParseRequest(const std::string& line);
std::string Format(const Answer& answer);
// An answer without a result field fails with WINBIO_E_DEVICE_FAILURE.
Answer ParseAnswer(const std::string& line);

// The values of the list and survey answers, and back. A parser given values
// that are not such a list (a count that does not match the fields) gives no
// reader.
std::vector<std::string> ListValues(const std::vector<ListedReader>& readers);
std::vector<ListedReader> ParseList(const std::vector<std::string>& values);
std::vector<std::string> SurveyValues(const std::vector<SurveyedReader>& readers);
std::vector<SurveyedReader> ParseSurvey(const std::vector<std::string>& values);

// The first value as a number (open's session, wait's unit id); 0 when
// there is none.
uint32_t FirstNumber(const Answer& answer);

}  // namespace platform::libfprint::protocol
