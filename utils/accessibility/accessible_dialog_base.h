#pragma once

#include <memory>

#include <QDialog>
#include <QString>

#include "utils/high_contrast.h"

class QAccessibleInterface;

namespace kivra::utils::event_filters {
class HighContrastEventFilter;
}

namespace kivra::utils::accessibility {

// Base of the suite's dialogs: the common style sheet, high-contrast styling
// from the system colours that follows the system's theme changes, and an
// accessibility interface.
class AccessibleDialogBase : public QDialog {
  Q_OBJECT

 public:
  explicit AccessibleDialogBase(QWidget* parent = nullptr);
  ~AccessibleDialogBase() override;

  // This dialog's accessibility interface (role Client, no name), created on
  // the first call and valid as long as the dialog.
  virtual QAccessibleInterface* AccessibleInterface();

  // The sheet right after the common style was applied; high contrast off
  // returns to it.
  const QString& baseStyleSheet() const { return baseStyleSheet_; }
  // The system colours of the last high-contrast styling (or construction).
  const SystemColorTable& systemColors() const { return colors_; }

 public slots:
  // Restyles 100 ms after a theme change, when the system has settled.
  void OnThemeChanged();

 private:
  class Accessible;

  // Rebuilds the sheet from the base sheet and fresh system colours, so that
  // repeated theme changes do not accumulate.
  void ApplyHighContrastStyle();

  event_filters::HighContrastEventFilter* filter_ = nullptr;  // child of the dialog
  SystemColorTable colors_;
  QString baseStyleSheet_;
  std::unique_ptr<Accessible> accessible_;
};

}  // namespace kivra::utils::accessibility
