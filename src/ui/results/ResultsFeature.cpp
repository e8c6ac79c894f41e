#include "ui/results/ResultsFeature.h"

#include "ui/frame/MainWindow.h"
#include "ui/results/ResultWindow.h"

namespace karvel::ui {

void attachResultsFeature(MainWindow& window) {
  window.commands().openResult = [&state = window.state()](const QString& path) {
    ReadHTMLFile(state, path);
  };
}

}  // namespace karvel::ui
