#pragma once

class QDialog;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace kivra::utils {
class ModuleTranslator;
}

// The recognition dialog's widget tree. The widgets belong to the dialog's
// child tree; this holder only points at them.
struct PlayTestUi {
  QVBoxLayout* headerVerticalLayout = nullptr;
  QWidget* header = nullptr;
  QHBoxLayout* headerHorizontalLayout = nullptr;
  QLabel* headerIcon = nullptr;
  QLabel* headerTitle = nullptr;
  QPushButton* headerClose = nullptr;
  QWidget* bottom = nullptr;
  QVBoxLayout* bottomVerticalLayout = nullptr;
  QLabel* instructionLabel = nullptr;
  QProgressBar* progressBar = nullptr;

  void setupUi(QDialog* dialog);
  // What screen readers announce, once the texts are set: the dialog by the
  // title the user sees and the instruction, the picture, the close button,
  // and the progress bar by the instruction that labels it.
  void nameForAssistiveTechnology(QDialog* dialog, const kivra::utils::ModuleTranslator& translator);
};
