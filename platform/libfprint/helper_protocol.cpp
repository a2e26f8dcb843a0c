#include "platform/libfprint/helper_protocol.h"

#include <cstdlib>

namespace platform::libfprint::protocol {
namespace {

constexpr size_t kListedFields = 5;
constexpr size_t kSurveyedFields = 6;

std::string Escape(const std::string& text) {
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
std::vector<std::string> Split(const std::string& line) {
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

std::string Join(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + Escape(field);
  return line + "\n";
}

uint64_t Number(const std::string& field) {
  return std::strtoull(field.c_str(), nullptr, 10);
}

// The readers' fields after their count, `width` fields each; nothing when
// the count does not match.
template <typename Reader, typename Make>
std::vector<Reader> ParseReaders(const std::vector<std::string>& values, size_t width, Make make) {
  std::vector<Reader> readers;
  const size_t count = values.empty() ? 0 : Number(values[0]);
  if (count == 0 || values.size() != 1 + count * width) return readers;
  for (size_t i = 0; i < count; ++i) readers.push_back(make(&values[1 + i * width]));
  return readers;
}

}  // namespace

std::string Format(const Request& request) {
  std::vector<std::string> fields{std::to_string(request.id), request.verb};
  if (!request.session.empty()) fields.push_back(request.session);
  return Join(fields);
}

Request ParseRequest(const std::string& line) {
  const std::vector<std::string> fields = Split(line);
  Request request;
  request.id = Number(fields[0]);
  if (fields.size() > 1) request.verb = fields[1];
  if (fields.size() > 2) request.session = fields[2];
  return request;
}

std::string Format(const Answer& answer) {
  std::vector<std::string> fields{std::to_string(answer.id), std::to_string(answer.result)};
  fields.insert(fields.end(), answer.values.begin(), answer.values.end());
  return Join(fields);
}

Answer ParseAnswer(const std::string& line) {
  std::vector<std::string> fields = Split(line);
  Answer answer;
  answer.id = Number(fields[0]);
  answer.result = fields.size() > 1 ? static_cast<HRESULT_T>(std::strtol(fields[1].c_str(), nullptr, 10))
                                    : WINBIO_E_DEVICE_FAILURE;
  if (fields.size() > 2) answer.values.assign(fields.begin() + 2, fields.end());
  return answer;
}

std::vector<std::string> ListValues(const std::vector<ListedReader>& readers) {
  std::vector<std::string> values{std::to_string(readers.size())};
  for (const ListedReader& r : readers)
    values.insert(values.end(),
                  {r.testable ? "1" : "0", r.instanceId, r.description, r.manufacturer, r.model});
  return values;
}

std::vector<ListedReader> ParseList(const std::vector<std::string>& values) {
  return ParseReaders<ListedReader>(values, kListedFields, [](const std::string* field) {
    return ListedReader{field[0] == "1", field[1], field[2], field[3], field[4]};
  });
}

std::vector<std::string> SurveyValues(const std::vector<SurveyedReader>& readers) {
  std::vector<std::string> values{std::to_string(readers.size())};
  for (const SurveyedReader& r : readers)
    values.insert(values.end(),
                  {r.driver, r.instanceId, r.description, r.manufacturer, r.model, r.notOpenable});
  return values;
}

std::vector<SurveyedReader> ParseSurvey(const std::vector<std::string>& values) {
  return ParseReaders<SurveyedReader>(values, kSurveyedFields, [](const std::string* field) {
    return SurveyedReader{field[0], field[1], field[2], field[3], field[4], field[5]};
  });
}

uint32_t FirstNumber(const Answer& answer) {
  return answer.values.empty() ? 0 : static_cast<uint32_t>(Number(answer.values[0]));
}

}  // namespace platform::libfprint::protocol
