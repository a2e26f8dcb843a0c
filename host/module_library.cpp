#include "host/module_library.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

ModuleLibrary::~ModuleLibrary() {
  Release();
  // The library stays loaded: Qt may still hold pointers into it (meta-objects,
  // deferred deletions) until the application object goes away.
}

QString ModuleLibrary::DefaultPath() {
#if defined(Q_OS_WIN)
  const QString name = QStringLiteral("module_fingerprint.dll");
#else
  const QString name = QStringLiteral("module_fingerprint.so");
#endif
  const QDir host(QCoreApplication::applicationDirPath());
  // The build folder and the Windows installation keep the module beside the
  // host; an installation on Linux keeps it in its own library folder.
  const QString installed =
      QDir::cleanPath(host.filePath(QStringLiteral(FP_INSTALLED_MODULE_DIR "/") + name));
  return !QFileInfo::exists(host.filePath(name)) && QFileInfo::exists(installed) ? installed
                                                                                 : host.filePath(name);
}

bool ModuleLibrary::Load(const QString& path, QString* error) {
  const QFileInfo file(path);
  if (!file.exists()) {
    *error = QStringLiteral("module file '%1' does not exist").arg(path);
    return false;
  }
  library_.setFileName(file.absoluteFilePath());
  if (!library_.load()) {
    *error = QStringLiteral("cannot load module file '%1': %2").arg(path, library_.errorString());
    return false;
  }
  struct Export {
    const char* name;
    QFunctionPointer* slot;
  };
  QFunctionPointer interfaceFn = nullptr;
  QFunctionPointer versionFn = nullptr;
  QFunctionPointer releaseFn = nullptr;
  const Export exports[] = {{"GetModuleInterfaceInstance", &interfaceFn},
                            {"GetProductVersion", &versionFn},
                            {"ReleaseModuleInterfaceInstance", &releaseFn}};
  for (const Export& e : exports) {
    *e.slot = library_.resolve(e.name);
    if (!*e.slot) {
      *error = QStringLiteral("module file '%1' does not export '%2'").arg(path, QLatin1String(e.name));
      return false;
    }
  }
  getInterface_ = reinterpret_cast<GetModuleInterfaceInstanceFn>(interfaceFn);
  getVersion_ = reinterpret_cast<GetProductVersionFn>(versionFn);
  release_ = reinterpret_cast<ReleaseModuleInterfaceInstanceFn>(releaseFn);
  return true;
}

namespace {

template <class Object>
Object* Given(Object* object, const QString& path, const char* exportName, QString* error) {
  if (!object)
    *error =
        QStringLiteral("module file '%1': %2 gave no object (null)").arg(path, QLatin1String(exportName));
  return object;
}

}  // namespace

ModuleInterface* ModuleLibrary::Interface(QString* error) {
  built_ = true;  // released in any case: the module may have built part of its graph
  return Given(getInterface_(), library_.fileName(), "GetModuleInterfaceInstance", error);
}

ProductVersion* ModuleLibrary::Version(QString* error) {
  return Given(getVersion_(), library_.fileName(), "GetProductVersion", error);
}

void ModuleLibrary::Release() {
  if (built_ && release_) release_();
  built_ = false;
}

bool ModuleLibrary::Unload(QString* error) {
  Release();
  getInterface_ = nullptr;
  getVersion_ = nullptr;
  release_ = nullptr;
  if (library_.unload()) return true;
  *error = QStringLiteral("cannot unload '%1': %2").arg(library_.fileName(), library_.errorString());
  return false;
}
