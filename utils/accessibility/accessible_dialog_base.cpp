#include "utils/accessibility/accessible_dialog_base.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QTimer>

#include "suite/stylekit/style_manager.h"
#include "utils/event_filters/high_contrast_event_filter.h"
#include "utils/style_sheet_builder.h"

namespace kivra::utils::accessibility {

// Qt keeps interface destructors protected because its cache owns the
// interfaces it creates; this one belongs to its dialog instead, so that it
// never outlives the widget it describes.
class AccessibleDialogBase::Accessible final : public QAccessibleWidget {
 public:
  explicit Accessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Client, QString()) {}
  ~Accessible() override = default;
};

AccessibleDialogBase::AccessibleDialogBase(QWidget* parent) : QDialog(parent, Qt::WindowFlags()) {
  filter_ = new event_filters::HighContrastEventFilter(this);
  colors_ = SystemColors();
  if (QCoreApplication* application = QCoreApplication::instance())
    application->installNativeEventFilter(filter_);
  connect(filter_, &event_filters::HighContrastEventFilter::ThemeChanged, this,
          &AccessibleDialogBase::OnThemeChanged);
  setAttribute(Qt::WA_TranslucentBackground, true);
  setStyleSheet(stylekit::StyleManager::instance()->Stylesheet());
  baseStyleSheet_ = styleSheet();
  if (IsHighContrastOn()) ApplyHighContrastStyle();
}

AccessibleDialogBase::~AccessibleDialogBase() {
  // Its destructor also takes it off the application's native filters.
  delete filter_;
}

QAccessibleInterface* AccessibleDialogBase::AccessibleInterface() {
  if (!accessible_) accessible_ = std::make_unique<Accessible>(this);
  return accessible_.get();
}

void AccessibleDialogBase::ApplyHighContrastStyle() {
  colors_ = SystemColors();
  const HighContrastColors colors = HighContrastColors::FromSystemColors(colors_);
  StyleRuleSet rules = style_sheet::Parse(baseStyleSheet_);
  style_sheet::Rewrite(rules, colors, [&](const QString& value) {
    return style_sheet::RecolorImage(value, colors.text, this);
  });
  setStyleSheet(style_sheet::Write(rules));
}

void AccessibleDialogBase::OnThemeChanged() {
  // Bound to the dialog: a dialog destroyed meanwhile gets no callback.
  QTimer::singleShot(100, this, [this] {
    if (IsHighContrastOn()) {
      ApplyHighContrastStyle();
    } else {
      setStyleSheet(baseStyleSheet_);
    }
  });
}

}  // namespace kivra::utils::accessibility
