#include "host/module_catalogue.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QResource>

#include "common/language_choice.h"
#include "host/backend_in_use.h"
#include "host/simulated_machine.h"

namespace {

// The system's first UI language as the module sees it: the simulated
// machine answers from its description (en-US unless it says otherwise), the
// real systems from the desktop.
std::optional<std::string> SystemLanguage() {
  if (BackendInUse().name != "sim") {
    const QStringList languages = QLocale::system().uiLanguages();
    if (languages.isEmpty()) return std::nullopt;
    return languages.first().toStdString();
  }
  QString error;  // reported by whoever started the command
  const SimulatedMachine* sim = SimulatedMachine::InForce(&error);
  const std::vector<std::string> languages =
      sim ? sim->Machine().system.uiLanguages : std::vector<std::string>{"en-US"};
  if (languages.empty()) return std::nullopt;
  return languages.front();
}

}  // namespace

QString ModuleCatalogue::ModuleLanguage() {
  return QString::fromStdString(common::ChooseLanguage(common::ConfiguredLanguage(), SystemLanguage, ""));
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
