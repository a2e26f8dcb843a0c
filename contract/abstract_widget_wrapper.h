#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <QtPlugin>

class QObject;
class QWidget;
class TestContext;

// A test's own interactive widget, handed to the host inside an InputRequest
// of kind 3. The host calls Exec on its user-interface thread with a parent
// widget and an event filter of its own, and gets the dialog's result.
class AbstractWidgetWrapper {
 public:
  virtual ~AbstractWidgetWrapper() = default;
  virtual int Exec(QWidget* parent, QObject* eventFilter) = 0;

  TestContext* context = nullptr;
};

Q_DECLARE_INTERFACE(AbstractWidgetWrapper, "AbstractWidgetWrapper")
