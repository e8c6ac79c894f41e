// SPDX-License-Identifier: GPL-3.0-or-later
// The communication, import and transfer dialogs by keyboard and through the
// accessibility interfaces a screen reader reads, in every language: every
// control named, Tab through every control in reading order, Return presses
// the button the user means, Escape closes; the import list tells which store
// each file is in.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "core/frame/AppState.h"
#include "io/Visa.h"
#include "support/AccessibilityAudit.h"
#include "support/DialogKeys.h"
#include "support/ScriptedInteraction.h"
#include "support/StoreSession.h"
#include "ui/frame/MainWindow.h"
#include "ui/frame/OperationDialog.h"
#include "ui/instrument/CommunicationDialog.h"
#include "ui/instrument/ImportDialog.h"
#include "ui/instrument/TransferProgress.h"
#include "ui/results/ResultWindow.h"
#include "ui_CommunicationDialog.h"
#include "ui_ImportDialog.h"

using namespace karvel;
using namespace karvel::ui;
using karvel::test::auditAccessibility;
using karvel::test::auditFocusChain;
using karvel::test::joinProblems;
using karvel::test::pressKey;
using karvel::test::showActive;
using karvel::test::StoreSession;
using karvel::test::tabStops;
using karvel::test::tabTo;

namespace {

const QString kSamples = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples");

QStringList stopNames(QWidget* window) {
  QStringList names;
  for (QWidget* w : tabStops(window)) names << w->objectName();
  return names;
}

// The communication dialog on its own, with the PC's addresses, the ping and
// the serial ports scripted.
struct CommHarness {
  AppState state;
  io::Visa visa;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  QStringList pinged;
  std::unique_ptr<CommunicationDialog> dialog;

  CommHarness() {
    state.visa = &visa;
    state.ui = &ui;
    state.clock = &clock;
    visa.setPortLister([] { return QList<io::SerialPortEntry>{}; });
  }
  CommunicationDialog& open(int type, int language) {
    state.language = language;
    dialog = std::make_unique<CommunicationDialog>(state);
    dialog->hostAddresses = [](QStringList* out) {
      out->append("192.168.0.2");
      return 1;
    };
    // Nothing answers: Connect stops at the ping, before any session.
    dialog->ping = [this](const QString& a, int) {
      pinged.append(a);
      return false;
    };
    dialog->serialPorts = [] { return QStringList{"/dev/ttyUSB0  CP2102 USB to UART"}; };
    dialog->TraducCom();
    dialog->form().typeSelector->setCurrentIndex(type);
    dialog->Communication(CommunicationDialog::Control::Selector, CommunicationDialog::Commit);
    return *dialog;
  }
};

struct ImportHarness {
  explicit ImportHarness(QStringList simArgs) : s(2, simArgs) {
    s.state.settingsPath = s.scratch.filePath("karvel.ini");
    window = std::make_unique<MainWindow>(s.state);
  }
  StoreSession s;
  std::unique_ptr<MainWindow> window;
};

QList<ResultWindow*> resultWindows() {
  QList<ResultWindow*> out;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* r = qobject_cast<ResultWindow*>(w)) out << r;
  return out;
}

// The names a screen reader gives the list's entries.
QStringList spokenEntries(QListWidget* list) {
  QStringList names;
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list);
  if (!iface) return names;
  for (int i = 0; i < iface->childCount(); ++i) {
    QAccessibleInterface* child = iface->child(i);
    if (child && child->role() != QAccessible::ScrollBar && child->object() == nullptr)
      names << child->text(QAccessible::Name);
  }
  return names;
}

}  // namespace

TEST(CommunicationDialogAccess, EveryTypeInEveryLanguageIsNamedAndTabbedInReadingOrder) {
  for (int language = French; language <= Italian; ++language) {
    for (int type : {RS232, USB, Ethernet}) {
      SCOPED_TRACE(testing::Message() << "language " << language << ", type " << type);
      CommHarness h;
      CommunicationDialog& d = h.open(type, language);
      d.show();
      EXPECT_EQ(joinProblems(auditAccessibility(&d)), "");
      EXPECT_EQ(joinProblems(auditFocusChain(&d)), "");
      // The selector says what it chooses, not the type it shows.
      EXPECT_EQ(d.form().typeSelector->accessibleName(), d.form().typeLabel->text());
      EXPECT_FALSE(d.form().infoBox->accessibleName().isEmpty());
      if (type == Ethernet) {
        EXPECT_EQ(stopNames(&d), (QStringList{"typeSelector", "infoBox", "addressField",
                                              "byte2Field", "byte3Field", "byte4Field", "portField",
                                              "connectButton", "quitButton"}));
        // The port is named as a port, not by its one-word label.
        EXPECT_NE(d.form().portField->accessibleName(), d.form().portLabel->text());
        EXPECT_FALSE(d.form().portField->accessibleDescription().isEmpty());
        // Four fields, four names, each naming its byte.
        QStringList names;
        for (QLineEdit* f :
             {d.form().addressField, d.form().byte2Field, d.form().byte3Field, d.form().byte4Field})
          names << f->accessibleName();
        names.removeDuplicates();
        EXPECT_EQ(names.size(), 4);
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(names[i].contains(QString::number(i + 1)));
        EXPECT_FALSE(d.form().byte3Field->accessibleDescription().isEmpty());
      } else if (type == RS232) {
        EXPECT_EQ(stopNames(&d), (QStringList{"typeSelector", "infoBox", "addressField",
                                              "connectButton", "quitButton"}));
        // "COM" alone says little: the field says it takes a serial port.
        EXPECT_NE(d.form().addressField->accessibleName(), "COM");
      } else {
        EXPECT_EQ(stopNames(&d),
                  (QStringList{"typeSelector", "infoBox", "connectButton", "quitButton"}));
      }
    }
  }
  CommHarness h;
  h.open(Ethernet, English);
  EXPECT_EQ(h.dialog->form().addressField->accessibleName(), "IP address, byte 1");
  EXPECT_EQ(h.dialog->form().byte4Field->accessibleName(), "IP address, byte 4");
  h.open(RS232, German);
  EXPECT_EQ(h.dialog->form().typeSelector->accessibleName(), "Kommunikationsart");
}

TEST(CommunicationDialogAccess, ReturnConnectsFromAnyFieldAndEscapeCloses) {
  CommHarness h;
  h.state.ethernetAddress = "TCPIP0::10.0.0.9::23::SOCKET";
  CommunicationDialog& d = h.open(Ethernet, English);
  ASSERT_TRUE(showActive(&d));
  EXPECT_TRUE(d.form().connectButton->isDefault());

  // Return in the last byte field presses Connect: the ping goes out.
  ASSERT_TRUE(tabTo(d.form().byte4Field));
  pressKey(Qt::Key_Return);
  EXPECT_EQ(h.pinged, QStringList{"10.0.0.9"});
  EXPECT_EQ(h.ui.lastMessage(), "This IP address has not response.\n");
  EXPECT_TRUE(d.isVisible());

  // The info box can be read by keyboard, and Return there still connects.
  ASSERT_TRUE(tabTo(d.form().infoBox));
  pressKey(Qt::Key_Return);
  EXPECT_EQ(h.pinged.size(), 2);

  // Return on the focused Quit button is Quit, not Connect.
  ASSERT_TRUE(tabTo(d.form().quitButton));
  pressKey(Qt::Key_Return);
  EXPECT_EQ(h.pinged.size(), 2);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(h.state.commPanel, nullptr);

  // Escape closes it as Quit does.
  CommunicationDialog& again = h.open(USB, English);
  EXPECT_EQ(h.state.commPanel, &again);
  ASSERT_TRUE(showActive(&again));
  pressKey(Qt::Key_Escape);
  EXPECT_FALSE(again.isVisible());
  EXPECT_EQ(h.state.commPanel, nullptr);
}

TEST(ImportDialogAccess, NamedAndTabbedInEveryLanguageAndEachEntrySaysItsStore) {
  ImportHarness h({"--files", kSamples, "--sd-files", kSamples});
  ASSERT_TRUE(h.s.ready());
  const QStringList memory{"dans la mémoire interne", "in the internal memory",
                           "im internen Speicher", "en la memoria interna",
                           "nella memoria interna"};
  for (int language = French; language <= Italian; ++language) {
    SCOPED_TRACE(testing::Message() << "language " << language);
    h.s.state.language = language;
    h.s.state.importSource = 1;
    std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
    Ui::ImportDialog& f = d->form();
    d->show();
    EXPECT_EQ(joinProblems(auditAccessibility(d.get())), "");
    EXPECT_EQ(joinProblems(auditFocusChain(d.get())), "");
    EXPECT_EQ(stopNames(d.get()), (QStringList{"typeSelector", "fileList", "fileNameField",
                                               "fetchButton", "quitButton"}));
    EXPECT_EQ(f.typeSelector->accessibleName(), f.typeLabel->text());
    EXPECT_FALSE(f.fileList->accessibleName().isEmpty());
    EXPECT_TRUE(f.fetchButton->isDefault());
    // Each result is in both stores; the names shown are the same, what a
    // screen reader says tells them apart.
    ASSERT_EQ(f.fileList->count(), 8);
    const QStringList spoken = spokenEntries(f.fileList);
    ASSERT_EQ(spoken.size(), 8);
    for (int i = 0; i < f.fileList->count(); ++i) {
      EXPECT_EQ(f.fileList->item(i)->text().right(4), ".HTM");  // what shows is unchanged
      EXPECT_TRUE(spoken[i].startsWith(f.fileList->item(i)->text())) << spoken[i].toStdString();
      EXPECT_EQ(spoken[i].contains(memory[language]),
                f.fileList->item(i)->data(Qt::UserRole).toInt() == 0)
          << spoken[i].toStdString();
    }
    EXPECT_EQ(QSet<QString>(spoken.begin(), spoken.end()).size(), 8);
  }
  h.s.state.language = English;
  std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
  const QStringList spoken = spokenEntries(d->form().fileList);
  EXPECT_TRUE(spoken.contains("LIN_PASS.HTM, in the internal memory"));
  EXPECT_TRUE(spoken.contains("LIN_PASS.HTM, on the SD card"));
}

TEST(ImportDialogAccess, ArrowsPickAFileReturnFetchesItAndEscapeCloses) {
  ImportHarness h({"--sd-files", kSamples});
  ASSERT_TRUE(h.s.ready());
  h.s.state.language = English;
  h.s.state.importSource = 1;
  ImportDialog* d = prepareImportDialog(h.s.state, h.window.get());
  d->setAttribute(Qt::WA_DeleteOnClose);
  Ui::ImportDialog& f = d->form();
  ASSERT_TRUE(showActive(d));

  ASSERT_TRUE(tabTo(f.fileList));
  pressKey(Qt::Key_Down);
  ASSERT_NE(f.fileList->currentItem(), nullptr);
  const QString picked = f.fileList->currentItem()->text();
  EXPECT_EQ(f.fileNameField->text(), picked);
  pressKey(Qt::Key_Return);
  const auto windows = resultWindows();
  ASSERT_EQ(windows.size(), 1);
  EXPECT_EQ(windows[0]->windowTitle().toUpper(), ("File : " + picked).toUpper());
  EXPECT_EQ(h.s.state.importPanel, nullptr);
  windows[0]->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  // Return in the name field with the pattern still there: the fetch says why.
  ImportDialog* again = prepareImportDialog(h.s.state, h.window.get());
  again->setAttribute(Qt::WA_DeleteOnClose);
  ASSERT_TRUE(showActive(again));
  // Backwards from the selector, so that the list (whose focus picks its
  // first file) is not passed.
  pressKey(Qt::Key_Backtab);
  pressKey(Qt::Key_Backtab);
  pressKey(Qt::Key_Backtab);
  ASSERT_EQ(QApplication::focusWidget(), again->form().fileNameField);
  pressKey(Qt::Key_Return);
  EXPECT_EQ(h.s.ui.lastMessage(), "Bad Filename\n");
  EXPECT_TRUE(again->isVisible());
  pressKey(Qt::Key_Escape);
  EXPECT_EQ(h.s.state.importPanel, nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(TransferProgressAccess, TheBarSaysWhatMovesAndReturnCancels) {
  QWidget owner;
  for (int language = French; language <= Italian; ++language) {
    SCOPED_TRACE(testing::Message() << "language " << language);
    TransferProgressDialog::setShowDelay(0);
    TransferProgressDialog progress(&owner, language);
    progress.begin("RES01.HTM", 4096, TransferProgress::Direction::FromInstrument);
    progress.keepAlive();
    QDialog* dialog = progress.dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(joinProblems(auditAccessibility(dialog)), "");
    EXPECT_EQ(joinProblems(auditFocusChain(dialog)), "");
    auto* bar = dialog->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->accessibleName().isEmpty());
    // What it is moving: the same words as the line above it.
    EXPECT_EQ(bar->accessibleDescription(), dialog->findChild<QLabel*>("transferName")->text());
    EXPECT_TRUE(bar->accessibleDescription().contains("RES01.HTM"));
    progress.end();
  }
  TransferProgressDialog progress(&owner, English);
  progress.begin("CAN.bus", 2048, TransferProgress::Direction::ToInstrument);
  progress.keepAlive();
  ASSERT_TRUE(showActive(progress.dialog()));
  EXPECT_EQ(progress.dialog()->findChild<QProgressBar*>()->accessibleDescription(),
            "Sending CAN.bus to the oscilloscope");
  EXPECT_EQ(progress.dialog()->findChild<QProgressBar*>()->accessibleName(), "Transfer progress");
  pressKey(Qt::Key_Return);
  EXPECT_TRUE(progress.cancelRequested());
  progress.end();
  TransferProgressDialog::setShowDelay(400);
}

// The dialog of an instrument operation: its activity and Cancel are read out
// and reached in every language, the activity line being the dialog's words.
TEST(OperationDialogAccess, ActivityAndCancelNamedAndReachedInEveryLanguage) {
  QWidget owner;
  OperationDialog::setShowDelay(0);
  for (int language = French; language <= Italian; ++language) {
    SCOPED_TRACE(testing::Message() << "language " << language);
    OperationDialog progress(&owner, &language);
    progress.begin("Reading the SD card catalogue ...");
    progress.keepAlive();
    QDialog* dialog = progress.dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(joinProblems(auditAccessibility(dialog)), "");
    EXPECT_EQ(joinProblems(auditFocusChain(dialog)), "");
    EXPECT_FALSE(dialog->windowTitle().isEmpty());
    progress.end();
  }
  OperationDialog::setShowDelay(400);
}
