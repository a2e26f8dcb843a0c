#include "common/sim_machine_file.h"

#include <cmath>
#include <limits>
#include <string>
#include <type_traits>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "common/quoted_text.h"
#include "common/sys_color_index.h"

namespace common {
namespace {

// Classic Windows colours, used for any index the description leaves out.
// Plain data: a call returning while the process exits may still read it.
constexpr std::pair<int, uint32_t> kDefaultSysColors[] = {
    {0, 0xC8C8C8},  {1, 0x000000},  {2, 0xD1B499},  {3, 0xDBCDBF},  {4, 0xF0F0F0},  {5, 0xFFFFFF},
    {6, 0x646464},  {7, 0x000000},  {8, 0x000000},  {9, 0x000000},  {10, 0xB4B4B4}, {11, 0xFCF7F4},
    {12, 0xABABAB}, {13, 0xD77800}, {14, 0xFFFFFF}, {15, 0xF0F0F0}, {16, 0xA0A0A0}, {17, 0x6D6D6D},
    {18, 0x000000}, {19, 0x544E43}, {20, 0xFFFFFF}, {21, 0x696969}, {22, 0xE3E3E3}, {23, 0x000000},
    {24, 0xE1FFFF}, {26, 0xCC6600}, {27, 0xEAD1B9}, {28, 0xF2E4D7}, {29, 0xFF9933}, {30, 0xF0F0F0},
};

std::string TempFolder() {
  return QDir::tempPath().toStdString();
}

std::string ExpandTemp(const QString& text) {
  QString expanded = text;
  expanded.replace(QStringLiteral("<temp>"), QDir::tempPath());
  return expanded.toStdString();
}

class JsonFields {
 public:
  explicit JsonFields(std::string* error) : error_(error) {}

  bool Fail(const QString& where, const char* what) {
    if (error_->empty()) *error_ = (where + QStringLiteral(": ") + QString::fromUtf8(what)).toStdString();
    return false;
  }

  static QString Path(const QString& where, const char* key) {
    return where.isEmpty() ? QLatin1String(key) : where + QLatin1Char('.') + QLatin1String(key);
  }

  // A misspelt key would otherwise be ignored silently.
  bool KnownKeys(const QJsonObject& object, std::initializer_list<const char*> known, const QString& where) {
    for (const QString& key : object.keys()) {
      bool found = false;
      for (const char* name : known) found = found || key == QLatin1String(name);
      if (found) continue;
      // The key comes from the file: shown as it is when it is a plain name.
      static const QRegularExpression plain(QStringLiteral("^[\\w-]{1,40}$"));
      const QString shown = plain.match(key).hasMatch() ? key : QuotedText(key, 40);
      return Fail(where.isEmpty() ? shown : where + QLatin1Char('.') + shown, "unknown key");
    }
    return true;
  }

  bool String(const QJsonObject& object, const char* key, const QString& where, std::string* out) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) return true;
    if (!value.isString()) return Fail(Path(where, key), "expected a string");
    *out = value.toString().toStdString();
    return true;
  }

  template <class Int>
  bool Integer(const QJsonObject& object, const char* key, const QString& where, Int* out) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) return true;
    const QString path = Path(where, key);
    if (!value.isDouble()) return Fail(path, "expected a number");
    const double number = value.toDouble();
    // Beyond 2^63 the conversion below would be undefined; no field goes there.
    if (!(std::fabs(number) < 9.2e18)) return Fail(path, "number out of range");
    if (number != static_cast<double>(static_cast<int64_t>(number))) return Fail(path, "expected an integer");
    const auto whole = static_cast<int64_t>(number);
    // HRESULTs are often written as unsigned hexadecimal values turned decimal.
    if (std::is_signed_v<Int> && whole > INT32_MAX && whole <= UINT32_MAX) {
      *out = static_cast<Int>(static_cast<int32_t>(static_cast<uint32_t>(whole)));
      return true;
    }
    if (whole < static_cast<int64_t>(std::numeric_limits<Int>::min()) ||
        whole > static_cast<int64_t>(std::numeric_limits<Int>::max()))
      return Fail(path, "number out of range");
    *out = static_cast<Int>(whole);
    return true;
  }

  bool Boolean(const QJsonObject& object, const char* key, const QString& where, bool* out) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) return true;
    if (!value.isBool()) return Fail(Path(where, key), "expected true or false");
    *out = value.toBool();
    return true;
  }

  bool Object(const QJsonObject& parent, const char* key, const QString& where, QJsonObject* out,
              bool* present) {
    const QJsonValue value = parent.value(QLatin1String(key));
    *present = !value.isUndefined();
    if (!*present) return true;
    if (!value.isObject()) return Fail(Path(where, key), "expected an object");
    *out = value.toObject();
    return true;
  }

 private:
  std::string* error_;
};

bool ParseReaders(JsonFields& r, const QJsonValue& value, std::vector<SimReader>* readers) {
  if (!value.isArray()) return r.Fail(QStringLiteral("readers"), "expected an array");
  readers->clear();
  const QJsonArray array = value.toArray();
  for (int i = 0; i < array.size(); ++i) {
    const QString where = QStringLiteral("readers[%1]").arg(i);
    if (!array[i].isObject()) return r.Fail(where, "expected an object");
    const QJsonObject object = array[i].toObject();
    SimReader reader;
    if (!r.KnownKeys(object,
                     {"manufacturer", "model", "description", "capabilities", "unitId", "deviceInstanceId"},
                     where) ||
        !r.String(object, "manufacturer", where, &reader.manufacturer) ||
        !r.String(object, "model", where, &reader.model) ||
        !r.String(object, "description", where, &reader.description) ||
        !r.Integer(object, "capabilities", where, &reader.capabilities) ||
        !r.Integer(object, "unitId", where, &reader.unitId) ||
        !r.String(object, "deviceInstanceId", where, &reader.deviceInstanceId))
      return false;
    readers->push_back(reader);
  }
  return true;
}

bool ParseRemovedDevices(JsonFields& r, const QJsonValue& value, std::vector<SimRemovedDevice>* devices) {
  if (!value.isArray()) return r.Fail(QStringLiteral("removedDevices"), "expected an array");
  const QJsonArray array = value.toArray();
  for (int i = 0; i < array.size(); ++i) {
    const QString where = QStringLiteral("removedDevices[%1]").arg(i);
    if (!array[i].isObject()) return r.Fail(where, "expected an object");
    const QJsonObject object = array[i].toObject();
    SimRemovedDevice device;
    if (!r.KnownKeys(object, {"deviceInstanceId", "driverVersion"}, where) ||
        !r.String(object, "deviceInstanceId", where, &device.deviceInstanceId) ||
        !r.String(object, "driverVersion", where, &device.driverVersion))
      return false;
    devices->push_back(device);
  }
  return true;
}

// A unit id, or a list of them: the units touched in turn.
bool ParseTouchedUnits(JsonFields& r, const QJsonObject& object, std::vector<uint32_t>* units) {
  const QJsonValue value = object.value(QLatin1String("touchedUnit"));
  if (value.isUndefined()) return true;
  const QJsonArray list = value.isArray() ? value.toArray() : QJsonArray{value};
  for (const QJsonValue& unit : list) {
    uint32_t id = 0;
    if (!r.Integer(QJsonObject{{QStringLiteral("touchedUnit"), unit}}, "touchedUnit",
                   QStringLiteral("sensor"), &id))
      return false;
    units->push_back(id);
  }
  return true;
}

bool ParseSensor(JsonFields& r, const QJsonObject& object, SimSensor* sensor) {
  const QString where = QStringLiteral("sensor");
  if (!r.KnownKeys(object,
                   {"touchAfterMs", "locateHresult", "ignoresCancel", "openSessionMs", "closeSessionMs",
                    "touchedUnit", "needsForeground"},
                   where) ||
      !ParseTouchedUnits(r, object, &sensor->touchedUnits) ||
      !r.Boolean(object, "needsForeground", where, &sensor->needsForeground))
    return false;
  const QJsonValue touch = object.value(QLatin1String("touchAfterMs"));
  if (touch.isNull()) {
    sensor->touchAfterMs.reset();
  } else if (!touch.isUndefined()) {
    uint32_t ms = 0;
    if (!r.Integer(object, "touchAfterMs", where, &ms)) return false;
    sensor->touchAfterMs = ms;
  }
  return r.Integer(object, "locateHresult", where, &sensor->locateHresult) &&
         r.Boolean(object, "ignoresCancel", where, &sensor->ignoresCancel) &&
         r.Integer(object, "openSessionMs", where, &sensor->openSessionMs) &&
         r.Integer(object, "closeSessionMs", where, &sensor->closeSessionMs);
}

bool ParseSystem(JsonFields& r, const QJsonObject& object, SimSystemSettings* system) {
  const QString where = QStringLiteral("system");
  if (!r.KnownKeys(object,
                   {"userName", "programData", "uiLanguages", "highContrast", "dpi", "tokenFails",
                    "sysColors", "manualClockStartMs"},
                   where))
    return false;
  if (!r.String(object, "userName", where, &system->userName)) return false;
  const QJsonValue programData = object.value(QLatin1String("programData"));
  if (!programData.isUndefined()) {
    if (!programData.isString()) return r.Fail(where + QStringLiteral(".programData"), "expected a string");
    system->programData = ExpandTemp(programData.toString());
  }
  const QJsonValue languages = object.value(QLatin1String("uiLanguages"));
  if (!languages.isUndefined()) {
    if (!languages.isArray())
      return r.Fail(where + QStringLiteral(".uiLanguages"), "expected an array of strings");
    system->uiLanguages.clear();
    for (const QJsonValue& language : languages.toArray()) {
      if (!language.isString())
        return r.Fail(where + QStringLiteral(".uiLanguages"), "expected an array of strings");
      system->uiLanguages.push_back(language.toString().toStdString());
    }
  }
  if (!r.Boolean(object, "highContrast", where, &system->highContrast) ||
      !r.Integer(object, "dpi", where, &system->dpi) ||
      !r.Boolean(object, "tokenFails", where, &system->tokenFails))
    return false;
  if (object.contains(QLatin1String("manualClockStartMs"))) {
    uint32_t start = 0;
    if (!r.Integer(object, "manualClockStartMs", where, &start)) return false;
    system->manualClockStartMs = start;
  }
  const QJsonValue colors = object.value(QLatin1String("sysColors"));
  if (!colors.isUndefined()) {
    if (!colors.isObject()) return r.Fail(where + QStringLiteral(".sysColors"), "expected an object");
    const QJsonObject table = colors.toObject();
    for (auto it = table.begin(); it != table.end(); ++it) {
      const QString path = where + QStringLiteral(".sysColors.") + it.key();
      bool isNumber = false;
      const int index = it.key().toInt(&isNumber);
      if (!isNumber || index < 0 || index > kLastSysColorIndex)
        return r.Fail(path,
                      ("key must be a colour index from 0 to " + std::to_string(kLastSysColorIndex)).c_str());
      const QString text = it.value().toString();
      if (!it.value().isString() || text.size() != 7 || !text.startsWith(QLatin1Char('#')))
        return r.Fail(path, "expected a colour written #rrggbb");
      bool isHex = false;
      const uint32_t rgb = text.mid(1).toUInt(&isHex, 16);
      if (!isHex) return r.Fail(path, "expected a colour written #rrggbb");
      // Stored the way GetSysColor answers: red in the lowest byte.
      system->sysColors[index] = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    }
  }
  return true;
}

}  // namespace

SimMachine DefaultMachine() {
  SimMachine machine;
  machine.system.programData = TempFolder() + "/ProgramData";
  machine.system.sysColors =
      std::map<int, uint32_t>(std::begin(kDefaultSysColors), std::end(kDefaultSysColors));
  return machine;
}

SimMachine EmptyMachine() {
  SimMachine machine = DefaultMachine();
  machine.readers.clear();
  return machine;
}

std::optional<SimMachine> ParseMachine(const std::string& json, std::string* error) {
  error->clear();
  QJsonParseError parseError{};
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &parseError);
  if (parseError.error != QJsonParseError::NoError) {
    *error = "not valid JSON at offset " + std::to_string(parseError.offset) + ": " +
             parseError.errorString().toStdString();
    return std::nullopt;
  }
  if (!document.isObject()) {
    *error = "the top level must be a JSON object";
    return std::nullopt;
  }
  const QJsonObject root = document.object();
  SimMachine machine = DefaultMachine();
  JsonFields r(error);
  if (!r.KnownKeys(root,
                   {"readers", "removedDevices", "enumerateHresult", "enumerateMs", "driverVersion",
                    "sensorMode", "openSessionHresult", "essCapable", "sensor", "system"},
                   QString()))
    return std::nullopt;
  const QJsonValue readers = root.value(QLatin1String("readers"));
  if (!readers.isUndefined() && !ParseReaders(r, readers, &machine.readers)) return std::nullopt;
  const QJsonValue removed = root.value(QLatin1String("removedDevices"));
  if (!removed.isUndefined() && !ParseRemovedDevices(r, removed, &machine.removedDevices))
    return std::nullopt;
  // Older machine files give the sensor's configured mode, which the module
  // no longer reads: still checked, so such files keep loading, and dropped.
  uint32_t sensorMode = 0;
  if (!r.Integer(root, "enumerateHresult", QString(), &machine.enumerateHresult) ||
      !r.Integer(root, "enumerateMs", QString(), &machine.enumerateMs) ||
      !r.Boolean(root, "essCapable", QString(), &machine.essCapable) ||
      !r.String(root, "driverVersion", QString(), &machine.driverVersion) ||
      !r.Integer(root, "sensorMode", QString(), &sensorMode) ||
      !r.Integer(root, "openSessionHresult", QString(), &machine.openSessionHresult))
    return std::nullopt;
  QJsonObject child;
  bool present = false;
  if (!r.Object(root, "sensor", QString(), &child, &present)) return std::nullopt;
  if (present && !ParseSensor(r, child, &machine.sensor)) return std::nullopt;
  if (!r.Object(root, "system", QString(), &child, &present)) return std::nullopt;
  if (present && !ParseSystem(r, child, &machine.system)) return std::nullopt;
  return machine;
}

std::optional<SimMachine> ReadMachineFile(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("cannot read simulation file '%1': %2").arg(path, file.errorString());
    return std::nullopt;
  }
  std::string problem;
  std::optional<SimMachine> machine = ParseMachine(file.readAll().toStdString(), &problem);
  if (!machine)
    *error = QStringLiteral("bad simulation file '%1': %2").arg(path, QString::fromStdString(problem));
  return machine;
}

}  // namespace common
