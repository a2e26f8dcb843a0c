#pragma once

#include <string>
#include <vector>

// The protocol between the libfprint backend and its helper process, shared
// by both sides. One line per message, fields separated by tabs.
//
//   request: <id> TAB <verb> [TAB <session>]
//   answer:  <id> TAB <HRESULT in decimal> [TAB <field>]...
//
// Verbs and their answers' fields:
//   survey            <count>, then per USB fingerprint reader present that libfprint's hardware database
//                     knows: <driver, "" when it knows none> <instance id> <description> <manufacturer>
//                     <model> <why this user may not open its node, "" when it may> (without asking
//                     libfprint: a driver that crashes cannot hide its reader)
//   list              <count>, then per reader: <testable 0|1> <instance id> <description> <manufacturer>
//                     <model>; testable: it captures, or identifies against its own storage
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
inline constexpr int kReaderFields = 5;
inline constexpr int kSurveyFields = 6;

// Fields may hold any text but tabs and line breaks: those are escaped.
inline std::string Escape(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '\\')
      escaped += "\\\\";
    else if (c == '\t')
      escaped += "\\t";
    else if (c == '\n')
      escaped += "\\n";
    else
      escaped += c;
  }
  return escaped;
}

// Splits a line (without its line break) into its unescaped fields.
inline std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\' && i + 1 < line.size()) {
      const char next = line[++i];
      fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace platform::libfprint::protocol
