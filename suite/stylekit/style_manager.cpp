#include "suite/stylekit/style_manager.h"

#include <QFile>

// The sheet and its icons are compiled into the binary (stylekit.qrc), so the
// style works without any file beside the module. The sheet has no comments
// on purpose: the high-contrast builder splits it at braces and would take a
// comment for part of the next selector.
namespace kivra::utils::stylekit {

StyleManager* StyleManager::instance() {
  static StyleManager manager;
  return &manager;
}

StyleManager::StyleManager() {
  QFile file(QStringLiteral(":/stylekit/common.qss"));
  if (file.open(QIODevice::ReadOnly | QIODevice::Text)) sheet_ = QString::fromUtf8(file.readAll());
}

QString StyleManager::Stylesheet() const {
  return sheet_;
}

}  // namespace kivra::utils::stylekit
