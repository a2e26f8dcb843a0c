#pragma once

#include <memory>
#include <string>

class QTranslator;

namespace kivra::utils {

// Translates one module's text keys from its own compiled catalogue,
// "<module>.rcc" in the suite's base directory, without installing anything
// application-wide. The language is chosen afresh by each construction.
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

 private:
  std::unique_ptr<QTranslator> translator_;
  std::string language_;
  std::string moduleName_;
  std::string resourcePath_;
  bool registered_ = false;
};

}  // namespace kivra::utils
