#include "utils/module_translator.h"

#include <utility>

#include <QCoreApplication>
#include <QResource>
#include <QString>
#include <QTranslator>

#include "common/language_choice.h"
#include "suite/hostcore/hostcore.h"
#include "utils/current_language.h"

namespace kivra::utils {
namespace {

QString Lower(const std::string& text) {
  return QString::fromStdString(text).toLower();
}

}  // namespace

ModuleTranslator::ModuleTranslator(std::string moduleName)
    : language_(common::kDefaultLanguage), moduleName_(std::move(moduleName)) {
  ChooseLanguage();
  language_ = CurrentLanguage();

  const QString lowerName = Lower(moduleName_);
  resourcePath_ =
      std::string(hostcore::get_filesystem()->baseDirectory()) + "/" + lowerName.toStdString() + ".rcc";
  registered_ = QResource::registerResource(QString::fromStdString(resourcePath_), QString());

  translator_ = std::make_unique<QTranslator>();
  // A missing catalogue leaves the translator empty; keys then stay as they are.
  (void)translator_->load(lowerName + QLatin1Char('_') + QString::fromStdString(language_),
                          QLatin1Char(':') + lowerName + QStringLiteral("/resources/translations"), QString(),
                          QString());
}

ModuleTranslator::~ModuleTranslator() {
  // The catalogue may point into the resource file's memory: the translator
  // goes first. Only our own registration is undone, never another
  // translator's registration of the same file. An installed translator
  // leaves the application first, so no translation reaches into it.
  if (installed_ && QCoreApplication::instance()) QCoreApplication::removeTranslator(translator_.get());
  translator_.reset();
  if (registered_) QResource::unregisterResource(QString::fromStdString(resourcePath_), QString());
}

std::string ModuleTranslator::Translate(const std::string& key) const {
  if (translator_) {
    const QString translated = translator_->translate(moduleName_.c_str(), key.c_str(), nullptr, -1);
    if (!translated.isEmpty()) return translated.toStdString();
  }
  return key;
}

void ModuleTranslator::InstallApplicationWide() {
  if (installed_ || !hasCatalogue() || !QCoreApplication::instance()) return;
  installed_ = QCoreApplication::installTranslator(translator_.get());
}

bool ModuleTranslator::hasCatalogue() const {
  return translator_ && !translator_->isEmpty();
}

}  // namespace kivra::utils
