#pragma once

#include "utils/accessibility/accessible_dialog_base.h"

class TestContext;

// Base of the module's modal dialogs: runs the dialog in a local event loop
// that also ends when the host asks the running test to stop.
class InputDialog : public kivra::utils::accessibility::AccessibleDialogBase {
  Q_OBJECT

 public:
  explicit InputDialog(QObject* eventFilter);
  ~InputDialog() override;

  int exec() override;
  // Both finish the dialog with its current result: Escape, the window's
  // close handling and explicit accept or reject never change the result.
  void accept() override;
  void reject() override;

  TestContext* abortContext = nullptr;  // polled by exec; set by the wrapper
};
