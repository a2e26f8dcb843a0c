#pragma once

#include <QLibrary>
#include <QString>

#include "contract/exports.h"

class ModuleInterface;
class ProductVersion;

// The module file loaded the way the suite loads it: the platform's library
// loader, then the three exports by name.
class ModuleLibrary {
 public:
  ModuleLibrary() = default;
  ~ModuleLibrary();
  ModuleLibrary(const ModuleLibrary&) = delete;
  ModuleLibrary& operator=(const ModuleLibrary&) = delete;

  // Loads the file and resolves the exports. On failure `error` names the
  // file or the export and says what went wrong.
  bool Load(const QString& path, QString* error);

  // The objects the exports hand out; null, with `error` naming the module
  // file and the export, when the module gives none.
  ModuleInterface* Interface(QString* error = nullptr);
  ProductVersion* Version(QString* error = nullptr);
  // Releases the module's object graph, if it was built.
  void Release();
  // Releases and unloads the module file; false, with `error`, when the
  // loader refuses.
  bool Unload(QString* error);

  QString Path() const { return library_.fileName(); }

  // The default module file: beside the executable or, failing that, where
  // the installation puts it relative to the executable.
  static QString DefaultPath();

 private:
  QLibrary library_;
  GetModuleInterfaceInstanceFn getInterface_ = nullptr;
  GetProductVersionFn getVersion_ = nullptr;
  ReleaseModuleInterfaceInstanceFn release_ = nullptr;
  bool built_ = false;
};
