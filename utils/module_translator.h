#pragma once

#include <memory>
#include <string>

class QTranslator;

namespace kivra::utils {

// Translates one module's text keys from its own compiled catalogue,
// "<module>.rcc" in the suite's base directory. Nothing is installed
// application-wide unless InstallApplicationWide is called, and then only
// until destruction. The language is chosen afresh by each construction.
class ModuleTranslator {
 public:
  // `moduleName` is the translation context, e.g. "FINGERPRINT". A missing
  // resource file or catalogue leaves the translator empty; nothing fails.
  explicit ModuleTranslator(std::string moduleName);
  ~ModuleTranslator();
  ModuleTranslator(const ModuleTranslator&) = delete;
  ModuleTranslator& operator=(const ModuleTranslator&) = delete;

  // The translation of `key` (UTF-8), or `key` itself when the catalogue has
  // none.
  std::string Translate(const std::string& key) const;

  const std::string& language() const { return language_; }
  const std::string& moduleName() const { return moduleName_; }
  const std::string& resourcePath() const { return resourcePath_; }
  // True when a catalogue for the language was loaded.
  bool hasCatalogue() const;

  // Makes the catalogue answer QCoreApplication::translate too, ahead of the
  // host's own translators, until this object is destroyed: a window that
  // shows the module's texts, and a host that translates the module's ids
  // meanwhile, then speak the module's language. Without an application
  // object, or without a catalogue, nothing is installed.
  void InstallApplicationWide();

 private:
  std::unique_ptr<QTranslator> translator_;
  std::string language_;
  std::string moduleName_;
  std::string resourcePath_;
  bool registered_ = false;
  bool installed_ = false;
};

}  // namespace kivra::utils
