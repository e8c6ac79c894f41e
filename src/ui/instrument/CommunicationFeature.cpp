// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/instrument/CommunicationFeature.h"

#include <QObject>
#include <memory>

#include "core/instrument/Communication.h"
#include "io/Visa.h"
#include "ui/frame/MainWindow.h"
#include "ui/instrument/CommunicationDialog.h"

namespace karvel::ui {

namespace {

// Owns the I/O layer for the lifetime of the main window.
class InstrumentLink : public QObject {
 public:
  InstrumentLink(MainWindow& window) : QObject(&window), state_(window.state()) {
    state_.visa = &visa_;
    // A link that ends by itself ends the session at once.
    watchSessionLink(state_);
  }
  ~InstrumentLink() override {
    if (state_.sessionOpen) Tarvik_close(state_, state_.session);
    state_.gestionMenu = nullptr;
    if (state_.visa == &visa_) state_.visa = nullptr;
  }

 private:
  AppState& state_;
  io::Visa visa_;
};

}  // namespace

void attachCommunicationFeature(MainWindow& window) {
  new InstrumentLink(window);
  AppState& state = window.state();
  MainWindow* w = &window;
  state.gestionMenu = [w](int item) { w->GestionMenu(item); };
  MainCommands& c = window.commands();
  c.communication = [w] { showCommunicationDialog(w->state(), w); };
  c.toggleSession = [w] {
    AppState& s = w->state();
    if (s.sessionOpen)
      Tarvik_close(s, s.session);
    else
      OpenDev(s);
  };
  c.sessionStatus = [w](bool opening) { return sessionStatusText(w->state(), opening); };
  c.closeSession = [w] {
    AppState& s = w->state();
    if (s.sessionOpen) Tarvik_close(s, s.session);
  };
  window.AfficheCom(state.sessionOpen);
}

}  // namespace karvel::ui
