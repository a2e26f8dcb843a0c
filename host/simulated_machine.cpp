#include "host/simulated_machine.h"

#include <map>
#include <optional>

#include <QStringList>

#include "host/backend_in_use.h"

namespace {

// The biometric service's documented answers, by the names people look up.
QString HresultText(int32_t hr) {
  static const std::map<uint32_t, const char*> names = {
      {0x80004005u, "unspecified failure"},
      {0x80098007u, "enrolment in progress"},
      {0x80098010u, "device busy"},
      {0x8009802Du, "session busy"},
      {0x80098032u, "biometrics turned off by policy"},
      {0x80098038u, "not the active console (a remote session)"},
  };
  const auto code = static_cast<uint32_t>(hr);
  const QString hex =
      QStringLiteral("0x") + QString::number(code, 16).toUpper().rightJustified(8, QLatin1Char('0'));
  const auto name = names.find(code);
  return name == names.end() ? hex : hex + QStringLiteral(", ") + QLatin1String(name->second);
}

struct Loaded {
  std::optional<SimulatedMachine> machine;
  QString error;
};

}  // namespace

const SimulatedMachine* SimulatedMachine::InForce(QString* error) {
  static const Loaded loaded = [] {
    Loaded result;
    SimulatedMachine machine;
#if !defined(Q_OS_WIN)
    machine.file_ = qEnvironmentVariable(common::kSimMachineVariable);
    if (!machine.file_.isEmpty()) {
      std::optional<common::SimMachine> read = common::ReadMachineFile(machine.file_, &result.error);
      if (!read) {
        result.error = QStringLiteral("%1: %2").arg(QLatin1String(common::kSimMachineVariable), result.error);
        return result;
      }
      machine.machine_ = std::move(*read);
    }
#endif
    result.machine = std::move(machine);
    return result;
  }();
  if (!loaded.machine) *error = loaded.error;
  return loaded.machine ? &*loaded.machine : nullptr;
}

QString SimulatedMachine::WhyNoReaders() const {
  if (file_.isEmpty()) return {};
  QStringList facts;
  if (machine_.readers.empty()) facts << QStringLiteral("has no readers (readers is empty)");
  if (machine_.enumerateHresult < 0)
    facts << QStringLiteral("fails the listing with %1 (enumerateHresult)")
                 .arg(HresultText(machine_.enumerateHresult));
  // Only a listing that takes too long is left to explain it.
  if (facts.isEmpty() && machine_.enumerateMs > 0)
    facts << QStringLiteral("takes %1 ms to list its readers (enumerateMs)").arg(machine_.enumerateMs);
  if (facts.isEmpty()) return {};
  return QStringLiteral("the simulated machine '%1' %2").arg(file_, facts.join(QStringLiteral(" and ")));
}

QString WhyNoReaders(const QString& /*modulePath*/) {
  QString error;
  const SimulatedMachine* sim = SimulatedMachine::InForce(&error);
  return sim && BackendInUse().name == "sim" ? sim->WhyNoReaders() : QString();
}
