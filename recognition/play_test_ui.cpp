#include "recognition/play_test_ui.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "utils/module_translator.h"

namespace {

// Between the instruction and the bar, and below the bar, in unscaled pixels.
constexpr int kBottomSpacing = 16;
constexpr int kBottomMargin = 16;

}  // namespace

void PlayTestUi::setupUi(QDialog* dialog) {
  // Object names are fixed by the host contract: the suite finds and styles widgets by them.
  if (dialog->objectName().isEmpty()) dialog->setObjectName(QStringLiteral("recognition_test_dialog_base"));

  headerVerticalLayout = new QVBoxLayout(dialog);
  headerVerticalLayout->setObjectName(QStringLiteral("recognition_test_widget_header_vertical_layout"));
  headerVerticalLayout->setSpacing(0);
  headerVerticalLayout->setContentsMargins(0, 0, 0, 0);

  header = new QWidget(dialog);
  header->setObjectName(QStringLiteral("recognition_test_widget_header"));
  headerHorizontalLayout = new QHBoxLayout(header);
  headerHorizontalLayout->setObjectName(QStringLiteral("recognition_test_horizontal_layout"));

  headerIcon = new QLabel(header);
  headerIcon->setObjectName(QStringLiteral("recognition_test_header_icon"));
  headerHorizontalLayout->addWidget(headerIcon);

  headerTitle = new QLabel(header);
  headerTitle->setObjectName(QStringLiteral("recognition_test_header_label"));
  headerHorizontalLayout->addWidget(headerTitle);

  headerClose = new QPushButton(header);
  headerClose->setObjectName(QStringLiteral("recognition_test_header_close"));
  headerClose->setCursor(QCursor(Qt::PointingHandCursor));
  headerClose->setFlat(true);
  headerHorizontalLayout->addWidget(headerClose);

  headerVerticalLayout->addWidget(header);

  bottom = new QWidget(dialog);
  bottom->setObjectName(QStringLiteral("recognition_test_widget_bottom"));
  bottomVerticalLayout = new QVBoxLayout(bottom);
  bottomVerticalLayout->setObjectName(QStringLiteral("recognition_test_vertical_layout"));
  bottomVerticalLayout->setSpacing(kBottomSpacing);
  bottomVerticalLayout->setContentsMargins(-1, -1, -1, kBottomMargin);

  instructionLabel = new QLabel(bottom);
  instructionLabel->setObjectName(QStringLiteral("recognition_test_instruction_label"));
  instructionLabel->setAlignment(Qt::AlignCenter);
  instructionLabel->setWordWrap(true);
  bottomVerticalLayout->addWidget(instructionLabel);

  progressBar = new QProgressBar(bottom);
  progressBar->setObjectName(QStringLiteral("recognition_test_progress_bar"));
  progressBar->setAlignment(Qt::AlignCenter);
  progressBar->setValue(0);
  bottomVerticalLayout->addWidget(progressBar);

  headerVerticalLayout->addWidget(bottom);

  QMetaObject::connectSlotsByName(dialog);
}

void PlayTestUi::nameForAssistiveTechnology(QDialog* dialog,
                                            const kivra::utils::ModuleTranslator& translator) {
  const auto text = [&translator](const char* key) {
    return QString::fromStdString(translator.Translate(key));
  };
  // The dialog is frameless: the title the user reads is the header's, not the
  // window title.
  dialog->setAccessibleName(headerTitle->text());
  // Orca reads a dialog's description as focus enters it, in place of its loose
  // labels: the instruction, which labels the bar, would otherwise go unread.
  dialog->setAccessibleDescription(instructionLabel->text());
  headerIcon->setAccessibleName(text("FINGERPRINT"));  // the picture shows one
  headerClose->setAccessibleName(text("CLOSE"));
  headerClose->setAccessibleDescription(text("CLOSE_STOPS_TEST"));
  // The bar's name follows the instruction's text, and the label-for relation
  // is exposed with it.
  instructionLabel->setBuddy(progressBar);
}
