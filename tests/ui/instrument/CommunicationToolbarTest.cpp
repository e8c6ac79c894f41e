// SPDX-License-Identifier: GPL-3.0-or-later
// The toolbar's connect toggle wired to the instrument session, against the
// simulator: go button and indicator after opening, stop button after closing,
// and the status bar's session field saying the same in words, whichever
// command opened or closed the session.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include "core/frame/AppState.h"
#include "support/ScriptedInteraction.h"
#include "support/Simulator.h"
#include "ui/frame/MainWindow.h"
#include "ui/instrument/CommunicationDialog.h"
#include "ui/instrument/CommunicationFeature.h"
#include "ui/instrument/FileStoreFeature.h"

using namespace karvel;
using namespace karvel::ui;

TEST(CommunicationToolbar, ToggleOpensAndClosesTheSession) {
  test::Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
  state.ui = &ui;
  state.clock = &clock;
  state.programDir = KARVEL_APPDIR;
  state.settingsPath = dir.filePath("karvel.ini");
  state.connectionType = Ethernet;
  state.ethernetAddress = sim.tcpResource();
  MainWindow window(state);
  attachCommunicationFeature(window);
  window.GestionMenu(item::FirstLanguage + English);
  ASSERT_NE(state.visa, nullptr);
  ASSERT_EQ(window.toolbar()->actions().size(), 9);
  EXPECT_EQ(window.toolbar()->actions()[8]->objectName(), "stopButton");
  auto* status = window.findChild<QLabel*>("sessionStatus");
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->text(), "Not connected");

  window.toolbar()->actions()[8]->trigger();
  EXPECT_EQ(state.sessionOpen, 1);
  EXPECT_EQ(status->text(), "Connected: RQ6102 on " + sim.tcpResource());
  window.GestionMenu(item::FirstLanguage + German);
  EXPECT_EQ(status->text(), "Verbunden: RQ6102 an " + sim.tcpResource());
  window.GestionMenu(item::FirstLanguage + English);
  EXPECT_EQ(state.instrumentModel, kModelRQ6102);
  ASSERT_EQ(window.toolbar()->actions().size(), 10);
  EXPECT_EQ(window.toolbar()->actions()[8]->objectName(), "goButton");
  EXPECT_EQ(window.toolbar()->actions()[9]->text(), "Ethernet");

  window.toolbar()->actions()[8]->trigger();
  EXPECT_EQ(state.sessionOpen, 0);
  ASSERT_EQ(window.toolbar()->actions().size(), 9);
  EXPECT_EQ(window.toolbar()->actions()[8]->objectName(), "stopButton");
  EXPECT_EQ(status->text(), "Not connected");
  EXPECT_TRUE(ui.messages.isEmpty());

  // With the instrument gone, a click ends with message 20 and the stop button.
  sim.stop();
  state.commPanel = &window;  // stands for a dialog already shown: no modal dialog in a test
  window.toolbar()->actions()[8]->trigger();
  EXPECT_EQ(state.sessionOpen, 0);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(ui.messages[0].text.startsWith("Invalid communication"));
  EXPECT_EQ(window.toolbar()->actions()[8]->objectName(), "stopButton");
  EXPECT_EQ(status->text(), "Not connected");
}

TEST(CommunicationToolbar, StatusBarFollowsEveryCommandThatOpensOrClosesTheSession) {
  test::Simulator sim({"--pty", "--family", "2", "--unpaced"});
  ASSERT_TRUE(sim.ready());
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
  state.ui = &ui;
  state.clock = &clock;
  state.programDir = KARVEL_APPDIR;
  state.settingsPath = dir.filePath("karvel.ini");
  state.connectionType = RS232;
  state.serialAddress = sim.ptyResource();
  MainWindow window(state);
  attachCommunicationFeature(window);
  attachFileStoreFeature(window);
  window.GestionMenu(item::FirstLanguage + English);
  auto* status = window.findChild<QLabel*>("sessionStatus");
  ASSERT_NE(status, nullptr);
  const QString connected = "Connected: RQ6102 on " + sim.ptyResource();

  // File > Import opens the session before its dialog shows (closed here at once).
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
  });
  closer.start(20);
  window.GestionMenu(item::Import);
  closer.stop();
  EXPECT_EQ(status->text(), connected);
  EXPECT_EQ(window.toolbar()->actions()[8]->objectName(), "goButton");

  // The communication dialog's Connect closes the session and opens another.
  window.toolbar()->actions()[8]->trigger();
  ASSERT_EQ(state.sessionOpen, 0);
  EXPECT_EQ(status->text(), "Not connected");
  {
    CommunicationDialog dialog(state, &window);
    dialog.serialPorts = [] { return QStringList{}; };
    dialog.TraducCom();
    dialog.findChild<QComboBox*>("typeSelector")->setCurrentIndex(RS232);
    dialog.Communication(CommunicationDialog::Control::Selector, CommunicationDialog::Commit);
    dialog.findChild<QLineEdit*>("addressField")->setText(sim.pty());
    dialog.Communication(CommunicationDialog::Control::Connect, CommunicationDialog::Commit);
  }
  ASSERT_EQ(state.sessionOpen, 1);
  EXPECT_EQ(status->text(), connected);

  // File > Export checks the link first: with the instrument gone, message 20
  // closes the session, and the status bar says so.
  sim.stop();
  window.GestionMenu(item::Export);
  EXPECT_EQ(state.sessionOpen, 0);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(ui.messages[0].text.startsWith("Invalid communication"));
  EXPECT_EQ(status->text(), "Not connected");
  EXPECT_EQ(window.toolbar()->actions()[8]->objectName(), "stopButton");
}

TEST(CommunicationToolbar, ExportOpeningTheSessionShowsItConnected) {
  test::Simulator sim({"--tcp", "0", "--family", "1"});
  ASSERT_TRUE(sim.ready());
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
  state.ui = &ui;
  state.clock = &clock;
  state.programDir = KARVEL_APPDIR;
  state.settingsPath = dir.filePath("karvel.ini");
  state.connectionType = Ethernet;
  state.ethernetAddress = sim.tcpResource();
  MainWindow window(state);
  attachCommunicationFeature(window);
  attachFileStoreFeature(window);
  window.GestionMenu(item::FirstLanguage + English);
  window.GestionMenu(item::Export);  // the file dialog is cancelled; the session stays
  EXPECT_EQ(state.sessionOpen, 1);
  EXPECT_EQ(window.findChild<QLabel*>("sessionStatus")->text(),
            "Connected: RQ4102 on " + sim.tcpResource());
  EXPECT_TRUE(ui.messages.isEmpty());
}
