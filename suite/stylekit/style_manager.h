#pragma once

#include <QString>

namespace kivra::utils::stylekit {

// The suite's common look: one style sheet shared by all of its dialogs.
class StyleManager {
 public:
  // The one style manager of the process.
  static StyleManager* instance();

  // The common Qt style sheet. Images are referenced as
  // url(":/stylekit/icons/<name>.svg"), always in double quotes.
  QString Stylesheet() const;

  StyleManager(const StyleManager&) = delete;
  StyleManager& operator=(const StyleManager&) = delete;

 private:
  StyleManager();
  QString sheet_;
};

}  // namespace kivra::utils::stylekit
