// SPDX-License-Identifier: GPL-3.0-or-later
// Instrument operations started from the windows: the dialog that says what
// runs and carries Cancel (button, Escape, close), the main window's commands
// that would start another operation dimmed and refused meanwhile, Exit and
// closing the window during an opening, and a ping stopped in the
// communication dialog. Cancels happen at scripted points, never at a time.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "core/frame/AppState.h"
#include "core/frame/OperationProgress.h"
#include "core/instrument/Communication.h"
#include "io/Visa.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedOperation.h"
#include "support/ScriptedTransport.h"
#include "support/Simulator.h"
#include "ui/frame/MainWindow.h"
#include "ui/frame/OperationDialog.h"
#include "ui/instrument/CommunicationDialog.h"
#include "ui/instrument/CommunicationFeature.h"
#include "ui_MainWindow.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

struct WindowHarness {
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  test::ScriptedOperation operation;
  AppState state;
  std::unique_ptr<MainWindow> window;
  int imports = 0;
  int exports = 0;
  int communications = 0;

  explicit WindowHarness(const QString& address) {
    state.ui = &ui;
    state.clock = &clock;
    state.programDir = KARVEL_APPDIR;
    state.settingsPath = dir.filePath("karvel.ini");
    state.connectionType = Ethernet;
    state.ethernetAddress = address;
    window = std::make_unique<MainWindow>(state);
    attachCommunicationFeature(*window);
    window->GestionMenu(item::FirstLanguage + English);
    MainCommands& c = window->commands();
    c.importFiles = [this] { ++imports; };
    c.exportFile = [this] { ++exports; };
    c.communication = [this] { ++communications; };
    state.operation = &operation;
  }
  QAction* toggle() const {
    const auto actions = window->toolbar()->actions();
    for (QAction* a : actions)
      if (a->objectName() == "stopButton" || a->objectName() == "goButton") return a;
    return nullptr;
  }
  QAction* toolButton(int menuItem) const {
    const auto actions = window->toolbar()->actions();
    for (QAction* a : actions)
      if (a->property("karvelToolItem").toInt() == menuItem) return a;
    return nullptr;
  }
};

}  // namespace

TEST(OperationWindow, CommandsThatWouldStartAnotherAreDimmedAndRefused) {
  test::Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  WindowHarness h(sim.tcpResource());
  Ui::MainWindow& f = h.window->form();
  ASSERT_NE(h.toggle(), nullptr);
  QAction* importButton = h.toolButton(item::Import);
  QAction* exportButton = h.toolButton(item::Export);
  ASSERT_NE(importButton, nullptr);
  ASSERT_NE(exportButton, nullptr);
  int checked = 0;
  h.operation.onSay = [&](const QString&) {
    if (checked++) return;
    EXPECT_FALSE(f.actionImport->isEnabled());
    EXPECT_FALSE(f.actionExport->isEnabled());
    EXPECT_FALSE(f.actionCommunication->isEnabled());
    EXPECT_FALSE(h.toggle()->isEnabled());
    EXPECT_FALSE(importButton->isEnabled());
    EXPECT_FALSE(exportButton->isEnabled());
    // Other commands stay: they do not use the link.
    EXPECT_TRUE(f.actionOpen->isEnabled());
    // Asked for anyway (a shortcut, the dispatcher), nothing starts.
    h.window->GestionMenu(item::Import);
    h.window->GestionMenu(item::Export);
    h.window->GestionMenu(item::Communication);
    h.window->InitCom();
  };
  h.toggle()->trigger();
  EXPECT_GT(checked, 0);
  EXPECT_EQ(h.imports + h.exports + h.communications, 0);
  EXPECT_EQ(h.operation.begins, 1);  // the toggle clicked inside did not open a second
  EXPECT_EQ(h.state.sessionOpen, 1);
  EXPECT_TRUE(f.actionImport->isEnabled());
  EXPECT_TRUE(f.actionExport->isEnabled());
  EXPECT_TRUE(f.actionCommunication->isEnabled());
  EXPECT_TRUE(h.toggle()->isEnabled());
  EXPECT_TRUE(importButton->isEnabled());
  h.window->GestionMenu(item::Import);
  EXPECT_EQ(h.imports, 1);
}

TEST(OperationWindow, ExitDuringAnOpeningStopsItThenAsksToQuit) {
  test::Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  WindowHarness h(sim.tcpResource());
  const QString address = h.state.ethernetAddress;
  h.ui.answers.enqueue(0);  // Yes, quit
  h.operation.onSay = [&](const QString& activity) {
    if (!activity.startsWith("Searching")) return;
    EXPECT_FALSE(h.window->Sortir());  // not while the link is held
    EXPECT_TRUE(h.ui.questions.isEmpty());
  };
  h.toggle()->trigger();
  EXPECT_EQ(h.state.sessionOpen, 0);
  EXPECT_TRUE(h.state.lastOperationCancelled);
  EXPECT_TRUE(h.ui.messages.isEmpty());  // the user stopped it: no message 20
  EXPECT_EQ(h.state.ethernetAddress, address);
  EXPECT_FALSE(h.window->quitRequested());
  QCoreApplication::processEvents();  // the quit goes on once the opening is over
  EXPECT_EQ(h.ui.questions.size(), 1);
  EXPECT_TRUE(h.window->quitRequested());
  // The quit asked the application to end outside its loop; that request
  // would end at once every dialog the later tests open. A round of the
  // application's own loop takes it and leaves the next test a clean start.
  QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
}

TEST(OperationWindow, ClosingTheWindowDuringAnOpeningStopsIt) {
  test::Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  WindowHarness h(sim.tcpResource());
  h.ui.answers.enqueue(1);  // No, stay
  h.operation.onSay = [&](const QString& activity) {
    if (activity.startsWith("Searching")) h.window->close();
  };
  h.toggle()->trigger();
  EXPECT_EQ(h.state.sessionOpen, 0);
  EXPECT_TRUE(h.ui.messages.isEmpty());
  QCoreApplication::processEvents();
  EXPECT_EQ(h.ui.questions.size(), 1);
  EXPECT_FALSE(h.window->quitRequested());
  // The window goes on working: the next opening succeeds.
  h.operation.onSay = nullptr;
  h.toggle()->trigger();
  EXPECT_EQ(h.state.sessionOpen, 1);
}

TEST(OperationDialog, SaysWhatRunsAndCancelsByButtonEscapeAndClose) {
  OperationDialog::setShowDelay(0);
  QWidget parent;
  int language = English;
  OperationDialog progress(&parent, &language);
  progress.begin("Searching the instrument on ASRL/dev/ttyUSB0 at 115200 baud ...");
  progress.keepAlive();
  QDialog* dialog = progress.dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  auto* activity = dialog->findChild<QLabel*>("operationActivity");
  auto* cancel = dialog->findChild<QPushButton*>("operationCancel");
  ASSERT_NE(activity, nullptr);
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(activity->text(), "Searching the instrument on ASRL/dev/ttyUSB0 at 115200 baud ...");
  EXPECT_EQ(cancel->text(), "Cancel");
  EXPECT_TRUE(cancel->isDefault());
  progress.say("Setting the instrument up ...");
  EXPECT_EQ(activity->text(), "Setting the instrument up ...");
  EXPECT_FALSE(progress.cancelRequested());
  QTest::keyClick(dialog, Qt::Key_Escape);
  EXPECT_TRUE(progress.cancelRequested());
  EXPECT_EQ(activity->text(), "Cancelling ...");
  EXPECT_TRUE(dialog->isVisible());  // up until the operation is over
  progress.end();
  EXPECT_EQ(progress.dialog(), nullptr);

  // The next operation starts afresh; the button and closing cancel too.
  language = French;
  progress.begin("Recherche ...");
  EXPECT_FALSE(progress.cancelRequested());
  progress.keepAlive();
  cancel = progress.dialog()->findChild<QPushButton*>("operationCancel");
  EXPECT_EQ(cancel->text(), "Annuler");
  cancel->click();
  EXPECT_TRUE(progress.cancelRequested());
  progress.begin("Recherche ...");
  progress.keepAlive();
  progress.dialog()->close();
  EXPECT_TRUE(progress.cancelRequested());
  EXPECT_NE(progress.dialog(), nullptr);
  progress.end();
  OperationDialog::setShowDelay(400);
}

TEST(OperationDialog, CancelEndsTheWaitOfAnInstrumentThatFellSilent) {
  // Identified, then silent at the set-up's mode query (a 2 s time-out):
  // the dialog's Cancel, pressed while the read waits, ends that wait.
  OperationDialog::setShowDelay(0);
  AppState state;
  io::Visa visa;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  QWidget parent;
  int language = English;
  OperationDialog progress(&parent, &language);
  state.visa = &visa;
  state.ui = &ui;
  state.clock = &clock;
  state.operation = &progress;
  state.language = English;
  state.connectionType = Ethernet;
  state.ethernetAddress = "TCPIP0::192.0.2.7::23::SOCKET";
  auto script = std::make_shared<test::Script>();
  script->replies = {"TARVIK,RQ6102,4472318,V2.03\r"};
  int waited = 0;
  int afterCancel = -1;
  script->quiet = [&](int) {
    if (script->written.isEmpty()) return true;  // the line is quiet before the first command
    if (!script->written.endsWith("DEV:MOD?\r")) return false;
    if (afterCancel >= 0) ++afterCancel;
    if (++waited == 3) {
      QDialog* dialog = progress.dialog();
      EXPECT_NE(dialog, nullptr);
      if (dialog) dialog->findChild<QPushButton*>("operationCancel")->click();
      afterCancel = 0;
    }
    return true;
  };
  test::playScript(visa, script);
  EXPECT_EQ(OpenDev(state), -1);
  EXPECT_EQ(waited, 3);
  EXPECT_EQ(afterCancel, 0);  // not one more piece of the wait
  EXPECT_TRUE(state.lastOperationCancelled);
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_EQ(state.sessionOpen, 0);
  EXPECT_EQ(visa.openObjectCount(), 0);
  EXPECT_EQ(progress.dialog(), nullptr);
  script->quiet = {};
  OperationDialog::setShowDelay(400);
}

TEST(OperationDialog, PingStoppedLeavesTheSettingsAndSaysNothing) {
  AppState state;
  io::Visa visa;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  test::ScriptedOperation operation;
  state.visa = &visa;
  state.ui = &ui;
  state.clock = &clock;
  state.operation = &operation;
  state.language = English;
  state.connectionType = USB;
  state.ethernetAddress = "TCPIP0::10.0.0.9::23::SOCKET";
  operation.cancelAt = "Pinging";
  CommunicationDialog dialog(state);
  int pings = 0;
  dialog.ping = [&](const QString&, int) {
    ++pings;
    return operationCancelled(state) ? false : true;
  };
  dialog.hostAddresses = [](QStringList* out) {
    out->append("192.168.0.2");
    return 1;
  };
  dialog.serialPorts = [] { return QStringList{}; };
  dialog.TraducCom();
  dialog.findChild<QComboBox*>("typeSelector")->setCurrentIndex(Ethernet);
  dialog.Communication(CommunicationDialog::Control::Selector, CommunicationDialog::Commit);
  dialog.findChild<QLineEdit*>("addressField")->setText("192");
  dialog.findChild<QLineEdit*>("byte2Field")->setText("168");
  dialog.findChild<QLineEdit*>("byte3Field")->setText("1");
  dialog.findChild<QLineEdit*>("byte4Field")->setText("20");
  dialog.Communication(CommunicationDialog::Control::Connect, CommunicationDialog::Commit);
  EXPECT_EQ(pings, 1);
  EXPECT_EQ(operation.activities, QStringList{"Pinging 192.168.1.20 ..."});
  EXPECT_TRUE(ui.messages.isEmpty());  // no message 32
  EXPECT_EQ(state.connectionType, USB);
  EXPECT_EQ(state.ethernetAddress, "TCPIP0::10.0.0.9::23::SOCKET");
  EXPECT_EQ(visa.openObjectCount(), 0);
}
