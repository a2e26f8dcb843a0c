#include "host/module_catalogue.h"

#include <cstdio>
#include <map>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QResource>
#include <QSettings>

#include "host/backend_in_use.h"
#include "host/simulated_machine.h"

namespace {

// The names and codes the module accepts, lower case, and its catalogues.
const std::map<QString, QString>& Languages() {
  static const std::map<QString, QString> table = {
      {"pt_br", "pt_BR"}, {"portuguese", "pt_BR"}, {"en_us", "en_US"}, {"english", "en_US"},
      {"es_es", "es_ES"}, {"spanish", "es_ES"},    {"fr_fr", "fr_FR"}, {"french", "fr_FR"},
      {"it_it", "it_IT"}, {"italian", "it_IT"},    {"de_de", "de_DE"}, {"german", "de_DE"},
      {"nl_nl", "nl_NL"}, {"dutch", "nl_NL"},      {"zh_cn", "zh_CN"}, {"chinese", "zh_CN"},
      {"ja_jp", "ja_JP"}, {"japanese", "ja_JP"},
  };
  return table;
}

// The system's UI languages as the module sees them: the simulated machine
// answers from its description (en-US unless it says otherwise), the real
// systems from the desktop.
QStringList SystemLanguages() {
  if (BackendInUse().name != "sim") return QLocale::system().uiLanguages();
  QString error;  // reported by whoever started the command
  const SimulatedMachine* sim = SimulatedMachine::InForce(&error);
  QStringList list;
  for (const std::string& language :
       sim ? sim->Machine().system.uiLanguages : std::vector<std::string>{"en-US"})
    list << QString::fromStdString(language);
  return list;
}

}  // namespace

QString ModuleCatalogue::ModuleLanguage() {
  const auto& table = Languages();
  QSettings config(QStringLiteral("config.ini"), QSettings::IniFormat);
  const QString configured = config.value(QStringLiteral("LANGUAGE/DEFAULT_LANGUAGE")).toString().toLower();
  if (const auto it = table.find(configured); it != table.end()) return it->second;
  const QStringList system = SystemLanguages();
  if (!system.isEmpty()) {
    const QString first = QString(system.first()).replace(QLatin1Char('-'), QLatin1Char('_')).toLower();
    if (const auto it = table.find(first); it != table.end()) return it->second;
  }
  return QStringLiteral("en_US");
}

ModuleCatalogue::ModuleCatalogue(const QString& modulePath)
    : translator_(std::make_unique<QTranslator>()),
      rcc_(QFileInfo(modulePath).dir().filePath(QStringLiteral("fingerprint.rcc"))) {
  registered_ = QResource::registerResource(rcc_);
  if (!registered_) {
    std::fprintf(stderr, "diag-host: no translations: cannot open '%s'\n", rcc_.toLocal8Bit().constData());
    return;
  }
  const QString directory = QStringLiteral(":fingerprint/resources/translations");
  if (!translator_->load(QStringLiteral("fingerprint_") + ModuleLanguage(), directory) &&
      !translator_->load(QStringLiteral("fingerprint_en_US"), directory)) {
    std::fprintf(stderr, "diag-host: no translations in '%s'\n", rcc_.toLocal8Bit().constData());
    return;
  }
  installed_ = QCoreApplication::installTranslator(translator_.get());
}

ModuleCatalogue::~ModuleCatalogue() {
  if (installed_) QCoreApplication::removeTranslator(translator_.get());
  // The catalogue points into the resource file: it goes first.
  translator_.reset();
  if (registered_) QResource::unregisterResource(rcc_);
}
