#include "ui/bus/BusFeature.h"

#include "ui/bus/BusPanel.h"
#include "ui/frame/MainWindow.h"

namespace karvel::ui {

void attachBusFeature(MainWindow& window) {
  BusPanel* panel = BusPanel::attachedTo(window.state(), &window);
  MainCommands& commands = window.commands();
  commands.openBus = [panel](const QString& path) { return panel->load(path); };
  commands.save = [panel] { panel->save(); };
  commands.close = [panel] { panel->close(); };
  commands.confirmDiscard = [panel] { return panel->confirmDiscard(); };
}

}  // namespace karvel::ui
