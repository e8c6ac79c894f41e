// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/bus/BusFeature.h"

#include "ui/bus/BusPanel.h"
#include "ui/frame/MainWindow.h"

namespace karvel::ui {

void attachBusFeature(MainWindow& window) {
  BusPanel* panel = BusPanel::attachedTo(window.state(), &window);
  MainCommands& commands = window.commands();
  AppState& state = window.state();
  commands.openBus = [panel, &state](const QString& path) {
    // Held, so that a new document can never take the old one's address.
    const std::shared_ptr<XmlDocument> before = state.xmlDocument;
    const int result = panel->load(path);
    if (result < 0) return result;
    // Cancelled at the unsaved-edits question, or refused in the "XML
    // Error" box: the document shown is not this file's.
    return state.xmlDocument && state.xmlDocument != before ? 0 : kNothingOpened;
  };
  commands.save = [panel] { panel->save(); };
  commands.close = [panel] { panel->close(); };
  commands.confirmDiscard = [panel] { return panel->confirmDiscard(); };
  MainWindow* w = &window;
  panel->setFileWrittenHandler([w](const QString& path) { w->rememberOpened(path); });
}

}  // namespace karvel::ui
