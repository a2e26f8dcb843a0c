#pragma once

#include <memory>

#include <QString>
#include <QTranslator>

// The module's translation catalogue, installed application-wide for the
// host's log (CallLog::Translate) in the language the module itself chooses,
// so that the log and the module's windows speak one language. While the
// module's dialog is open, the module installs its own translator ahead of
// this one.
class ModuleCatalogue {
 public:
  // Opens fingerprint.rcc beside the module file; a missing file or
  // catalogue is reported on standard error and leaves ids untranslated.
  explicit ModuleCatalogue(const QString& modulePath);
  ~ModuleCatalogue();
  ModuleCatalogue(const ModuleCatalogue&) = delete;
  ModuleCatalogue& operator=(const ModuleCatalogue&) = delete;

  // The module's language by the module's rule (common/language_choice.h),
  // with the system's UI languages asked where the module asks them (on the
  // simulated machine, its description's).
  static QString ModuleLanguage();

 private:
  std::unique_ptr<QTranslator> translator_;
  QString rcc_;
  bool registered_ = false;
  bool installed_ = false;
};
