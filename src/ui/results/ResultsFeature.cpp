// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/results/ResultsFeature.h"

#include <QAction>
#include <QMenu>

#include "core/results/CompareTexts.h"
#include "ui/frame/MainWindow.h"
#include "ui/results/CompareWindow.h"
#include "ui/results/ResultWindow.h"
#include "ui_MainWindow.h"

namespace karvel::ui {

void attachResultsFeature(MainWindow& window) {
  AppState& state = window.state();
  window.commands().openResult = [&state](const QString& path) { ReadHTMLFile(state, path); };

  // File > Compare results ..., just above Recent files; it has no item
  // number of the dispatcher.
  QMenu* file = window.form().menuFile;
  auto* compare = new QAction(&window);
  compare->setObjectName(QStringLiteral("actionCompare"));
  auto* recent = window.findChild<QMenu*>(QStringLiteral("menuRecent"));
  file->insertAction(recent ? recent->menuAction() : window.form().actionExit, compare);
  // The menu speaks the language chosen last, as the shell's own items do.
  auto label = [compare, &state] {
    compare->setText(menuText(pick(comparetext::kMenuItem, state.language)));
  };
  label();
  QObject::connect(file, &QMenu::aboutToShow, compare, label);
  QObject::connect(compare, &QAction::triggered, &window, [&state] { CompareResults(state); });
}

}  // namespace karvel::ui
