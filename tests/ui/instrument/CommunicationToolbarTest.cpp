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
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "core/frame/AppState.h"
#include "core/frame/Langue.h"
#include "core/frame/Messages.h"
#include "core/frame/OperationProgress.h"
#include "io/Visa.h"
#include "support/AccessibilityAudit.h"
#include "support/ScriptedInteraction.h"
#include "support/Simulator.h"
#include "support/TurnUntil.h"
#include "ui/frame/MainWindow.h"
#include "ui/instrument/CommunicationDialog.h"
#include "ui/instrument/CommunicationFeature.h"
#include "ui/instrument/FileStoreFeature.h"
#include "ui_MainWindow.h"

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

namespace {

using karvel::test::turnUntil;

using karvel::test::mnemonic;

struct WindowHarness {
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
  std::unique_ptr<MainWindow> window;

  WindowHarness(ConnectionType type, const QString& address) {
    state.ui = &ui;
    state.clock = &clock;
    state.programDir = KARVEL_APPDIR;
    state.settingsPath = dir.filePath("karvel.ini");
    state.connectionType = type;
    if (type == Ethernet) state.ethernetAddress = address;
    if (type == RS232) state.serialAddress = address;
    window = std::make_unique<MainWindow>(state);
    attachCommunicationFeature(*window);
    window->GestionMenu(item::FirstLanguage + English);
  }
  QAction* toggle() const { return window->toolbar()->actions()[8]; }
  QString status() const { return window->findChild<QLabel*>("sessionStatus")->text(); }
  QAction* connectItem() const { return window->form().actionConnect; }
};

}  // namespace

// The instrument's link ends while nobody talks to it (the simulator killed:
// its socket or its pseudo-terminal closes): the status bar and the toolbar
// say so at once, and the user learns why, without any command being run.
TEST(CommunicationToolbar, ALinkThatEndsIsShownAtOnce) {
  for (const char* link : {"tcp", "pty"}) {
    SCOPED_TRACE(link);
    const bool tcp = QByteArray(link) == "tcp";
    test::Simulator sim(tcp ? QStringList{"--tcp", "0", "--family", "2"}
                            : QStringList{"--pty", "--family", "2", "--unpaced"});
    ASSERT_TRUE(sim.ready());
    const QString address = tcp ? sim.tcpResource() : sim.ptyResource();
    WindowHarness h(tcp ? Ethernet : RS232, address);
    h.toggle()->trigger();
    ASSERT_EQ(h.state.sessionOpen, 1);
    ASSERT_EQ(h.status(), "Connected: RQ6102 on " + address);

    sim.stop();
    ASSERT_TRUE(turnUntil([&] { return h.state.sessionOpen == 0; }, 5000));
    EXPECT_EQ(h.status(), "Not connected");
    EXPECT_EQ(h.toggle()->objectName(), "stopButton");
    EXPECT_EQ(h.window->toolbar()->actions().size(), 9);  // no indicator left
    EXPECT_EQ(h.connectItem()->text(), "Co&nnect");
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.ui.messages[0].text,
              messageText(20, English) + "\nConnection lost: " + address + ".\n");
    EXPECT_EQ(h.state.visa->openObjectCount(), 0);
  }

  // Closed by the user, then the instrument goes: nothing to tell.
  test::Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  WindowHarness h(Ethernet, sim.tcpResource());
  h.toggle()->trigger();
  ASSERT_EQ(h.state.sessionOpen, 1);
  h.toggle()->trigger();
  ASSERT_EQ(h.state.sessionOpen, 0);
  sim.stop();
  turnUntil([] { return false; }, 300);
  EXPECT_TRUE(h.ui.messages.isEmpty());
  EXPECT_EQ(h.status(), "Not connected");
}

// Options > Connect is the toolbar's toggle by keyboard: its shortcut and its
// mnemonic open and close the session through the same code, its text says
// what it will do, and it is dimmed exactly when the toggle is.
TEST(CommunicationToolbar, OptionsConnectIsTheToggleByKeyboard) {
  test::Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  WindowHarness h(Ethernet, sim.tcpResource());
  QAction* item = h.connectItem();
  EXPECT_TRUE(h.window->form().menuOptions->actions().contains(item));
  EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
  EXPECT_EQ(item->text(), "Co&nnect");
  EXPECT_TRUE(item->isEnabled());

  // The shortcut, from the window as the user has it.
  h.window->show();
  QApplication::setActiveWindow(h.window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(h.window.get()));
  QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : h.window.get();
  QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(h.state.sessionOpen, 1);
  EXPECT_EQ(h.status(), "Connected: RQ6102 on " + sim.tcpResource());
  EXPECT_EQ(h.toggle()->objectName(), "goButton");
  EXPECT_EQ(item->text(), "Disco&nnect");
  EXPECT_TRUE(item->isEnabled());

  // While an operation runs, both are dimmed (and the item does nothing).
  {
    OperationScope operation(h.state, "listing");
    EXPECT_FALSE(h.toggle()->isEnabled());
    EXPECT_FALSE(item->isEnabled());
    item->trigger();
    EXPECT_EQ(h.state.sessionOpen, 1);
  }
  EXPECT_EQ(item->isEnabled(), h.toggle()->isEnabled());
  EXPECT_TRUE(item->isEnabled());

  focus = QApplication::focusWidget() ? QApplication::focusWidget() : h.window.get();
  QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(h.state.sessionOpen, 0);
  EXPECT_EQ(h.status(), "Not connected");
  EXPECT_EQ(h.toggle()->objectName(), "stopButton");
  EXPECT_EQ(item->text(), "Co&nnect");
  EXPECT_TRUE(h.ui.messages.isEmpty());

  // A failed opening from the menu ends as the toggle's does.
  sim.stop();
  h.state.commPanel = h.window.get();  // stands for a dialog already shown
  item->trigger();
  EXPECT_EQ(h.state.sessionOpen, 0);
  ASSERT_EQ(h.ui.messages.size(), 1);
  EXPECT_TRUE(h.ui.messages[0].text.startsWith("Invalid communication"));
  EXPECT_EQ(item->text(), "Co&nnect");

  // Its mnemonic is its own in Options and among the menu bar's titles, in
  // both its texts and in every language.
  for (int language = French; language <= Italian; ++language) {
    for (int open : {0, 1}) {
      h.window->GestionMenu(item::FirstLanguage + language);
      h.window->AfficheCom(open);
      const QString text = item->text();
      EXPECT_EQ(text, menuText(pick(open ? text::kItemDisconnect : text::kItemConnect, language)));
      const QChar m = mnemonic(text);
      ASSERT_FALSE(m.isNull()) << text.toStdString();
      QList<QAction*> others = h.window->menuBar()->actions();
      others += h.window->form().menuOptions->actions();
      for (QAction* other : others) {
        if (other == item || other->isSeparator()) continue;
        EXPECT_NE(mnemonic(other->text()), m)
            << "language " << language << ": " << text.toStdString() << " and "
            << other->text().toStdString();
      }
    }
  }
  h.window->AfficheCom(0);
}
