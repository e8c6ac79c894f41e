// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer dialog (the file, the bytes, Cancel), a fetch cancelled from
// it in the import dialog, and File > Export's confirmation, against the
// simulator.
#include <gtest/gtest.h>

#include <QPointer>

#include <QApplication>
#include <QDirIterator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/instrument/FileTransfer.h"
#include "support/StoreSession.h"
#include "ui/bus/BusFeature.h"
#include "ui/frame/MainCommands.h"
#include "ui/frame/MainWindow.h"
#include "ui/instrument/FileStoreFeature.h"
#include "ui/instrument/ImportDialog.h"
#include "ui/instrument/TransferProgress.h"
#include "ui/results/ResultWindow.h"
#include "ui_ImportDialog.h"
#include "ui_MainWindow.h"

using namespace karvel;
using namespace karvel::ui;
using karvel::test::StoreSession;

namespace {

using Direction = TransferProgress::Direction;

QString labelText(QDialog* dialog, const char* name) {
  auto* label = dialog ? dialog->findChild<QLabel*>(name) : nullptr;
  return label ? label->text() : QString();
}

QPushButton* cancelButton(QDialog* dialog) {
  return dialog ? dialog->findChild<QPushButton*>("transferCancel") : nullptr;
}

QStringList filesBelow(const QString& dir) {
  QStringList out;
  QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) out << QDir(dir).relativeFilePath(it.next());
  return out;
}

int resultWindowCount() {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<ResultWindow*>(w)) ++n;
  return n;
}

// Dialogs appear at once, so that a test sees them in a transfer of a moment.
struct ShowAtOnce {
  ShowAtOnce() { TransferProgressDialog::setShowDelay(0); }
  ~ShowAtOnce() { TransferProgressDialog::setShowDelay(400); }
};

// Clicks Cancel in the transfer dialog as soon as one is up, from the event
// loop the transfer keeps turning, and notes what the dialog said then.
struct CancelWhenShown {
  CancelWhenShown() {
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog || dialog->objectName() != "transferProgress" || !dialog->isVisible()) continue;
        name = labelText(dialog, "transferName");
        if (QPushButton* button = cancelButton(dialog); button && button->isEnabled()) {
          button->click();
          ++clicks;
        }
      }
    });
    timer.start();
  }
  QTimer timer;
  QString name;
  int clicks = 0;
};

}  // namespace

TEST(TransferProgressDialog, NamesTheFileCountsTheBytesAndCancels) {
  ShowAtOnce quick;
  TransferProgressDialog progress(nullptr, English);
  progress.keepAlive();  // nothing begun: nothing shown
  EXPECT_EQ(progress.dialog(), nullptr);

  progress.begin("RES01.HTM", 0, Direction::FromInstrument);
  progress.keepAlive();
  QDialog* dialog = progress.dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->isModal());
  EXPECT_EQ(dialog->windowTitle(), "Transfer");
  EXPECT_EQ(labelText(dialog, "transferName"), "Fetching RES01.HTM from the oscilloscope");
  EXPECT_EQ(labelText(dialog, "transferBytes"), "Waiting for the oscilloscope ...");
  progress.advance(0, 102400);
  EXPECT_EQ(labelText(dialog, "transferBytes"), "0 of 102,400 bytes");
  progress.advance(51200, 102400);
  EXPECT_EQ(labelText(dialog, "transferBytes"), "51,200 of 102,400 bytes");
  EXPECT_EQ(dialog->findChild<QProgressBar*>()->value(), 500);

  QPushButton* cancel = cancelButton(dialog);
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(cancel->text(), "Cancel");
  EXPECT_FALSE(progress.cancelRequested());
  cancel->click();
  EXPECT_TRUE(progress.cancelRequested());
  EXPECT_FALSE(cancel->isEnabled());
  EXPECT_EQ(labelText(dialog, "transferBytes"), "Cancelling ...");
  // The dialog stays until the transfer has cleared up.
  EXPECT_TRUE(dialog->isVisible());
  progress.end();
  EXPECT_EQ(progress.dialog(), nullptr);

  // Escape and the window's close button cancel too; the dialog stays.
  progress.begin("CAN.bus", 2048, Direction::ToInstrument);
  progress.keepAlive();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(progress.dialog(), &escape);
  EXPECT_TRUE(progress.cancelRequested());
  EXPECT_TRUE(progress.dialog()->isVisible());
  progress.begin("CAN.bus", 2048, Direction::ToInstrument);
  progress.keepAlive();
  EXPECT_FALSE(progress.cancelRequested());
  progress.dialog()->close();
  EXPECT_TRUE(progress.cancelRequested());
  EXPECT_TRUE(progress.dialog()->isVisible());
}

TEST(TransferProgressDialog, SpeaksTheLanguageInForce) {
  ShowAtOnce quick;
  TransferProgressDialog progress(nullptr, French);
  progress.begin("CAN.bus", 2048, Direction::ToInstrument);
  progress.advance(1024, 2048);
  progress.keepAlive();
  QDialog* dialog = progress.dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Transfert");
  EXPECT_EQ(labelText(dialog, "transferName"),
            QString::fromUtf8("Envoi de CAN.bus à l'oscilloscope"));
  const QLocale french(QLocale::French);
  EXPECT_EQ(labelText(dialog, "transferBytes"),
            french.toString(1024) + " octets sur " + french.toString(2048));
  EXPECT_EQ(cancelButton(dialog)->text(), "Annuler");
}

TEST(TransferProgressDialog, KeepAliveLetsTheEventLoopRun) {
  TransferProgressDialog progress(nullptr, English);
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  progress.keepAlive();
  EXPECT_TRUE(ran);
}

TEST(TransferProgressDialog, AFetchCancelledFromTheImportDialogLeavesNothing) {
  ShowAtOnce quick;
  StoreSession s(2);
  ASSERT_TRUE(s.ready());
  s.state.settingsPath = s.scratch.filePath("karvel.ini");
  MainWindow window(s.state);
  window.GestionMenu(item::FirstLanguage + English);
  s.ask("MMEM:CDIR \"/bus\"\r*OPC?\r");
  const QByteArray data = test::patternBytes(100 * 1024);
  s.store("RES01.HTM", data);
  s.state.importSource = kKindResult;
  ImportDialog* dialog = prepareImportDialog(s.state, &window);
  Ui::ImportDialog& f = dialog->form();
  ASSERT_EQ(f.fileList->count(), 1);
  f.fileList->setCurrentRow(0);
  const int windowsBefore = resultWindowCount();
  {
    CancelWhenShown user;
    dialog->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
    EXPECT_EQ(user.clicks, 1);
    EXPECT_EQ(user.name, "Fetching RES01.HTM from the oscilloscope");
  }
  // Nothing opened, nothing left on disk, no message; the dialog stays for
  // another choice and the session for another command.
  EXPECT_EQ(resultWindowCount(), windowsBefore);
  EXPECT_TRUE(filesBelow(s.state.programDir).isEmpty());
  EXPECT_TRUE(s.ui.messages.isEmpty()) << s.ui.lastMessage().toStdString();
  EXPECT_EQ(s.state.importPanel, dialog);
  EXPECT_EQ(s.state.sessionOpen, 1);
  EXPECT_EQ(s.ui.busyDepth, 0);
  dialog->Importer(ImportDialog::Control::TypeSelector, ImportDialog::Commit);
  ASSERT_EQ(f.fileList->count(), 1);
  f.fileList->setCurrentRow(0);
  dialog->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  EXPECT_EQ(resultWindowCount(), windowsBefore + 1);
  // Closing one window may take others with it: hold them by guarded pointers.
  QList<QPointer<ResultWindow>> windows;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* r = qobject_cast<ResultWindow*>(w)) windows.append(r);
  for (const QPointer<ResultWindow>& r : windows) delete r.data();
  delete dialog;
}

TEST(TransferProgressDialog, ASuccessfulExportSaysSo) {
  StoreSession s(2);
  ASSERT_TRUE(s.ready());
  s.state.settingsPath = s.scratch.filePath("karvel.ini");
  MainWindow window(s.state);
  attachFileStoreFeature(window);
  window.GestionMenu(item::FirstLanguage + German);
  const QString path = s.pcFile("CAN HS.BUS", "<?xml version=\"1.0\"?><BUS><vsofttarvikiv/></BUS>");
  s.ui.files.enqueue({FileChoice::Kind::Existing, path});
  window.commands().exportFile();
  ASSERT_EQ(s.ui.messages.size(), 1) << s.ui.lastMessage().toStdString();
  EXPECT_EQ(s.ui.messages[0].title, "Exportieren");
  EXPECT_EQ(s.ui.messages[0].text, "CAN HS.BUS wurde als CAN_HS.bus an das Oszilloskop gesendet.");
  EXPECT_EQ(s.ui.busyDepth, 0);

  // A refused file is no success: its own message only.
  s.ui.files.enqueue({FileChoice::Kind::Existing, s.pcFile("OLD.BUS", "<BUS/>")});
  window.commands().exportFile();
  ASSERT_EQ(s.ui.messages.size(), 2);
  EXPECT_FALSE(s.ui.messages[1].text.contains("gesendet"));

  // The file shown, with a comment typed and the cursor still in the field:
  // the instrument would get the file without it, so the user is asked.
  attachBusFeature(window);
  window.GestionMenu(item::FirstLanguage + English);
  const QString shown = s.scratch.filePath("LIN.bus");
  ASSERT_TRUE(QFile::copy(KARVEL_SOURCE_DIR "/resources/samples/RQ6102/LIN.bus", shown));
  QFile::setPermissions(shown, QFile::permissions(shown) | QFile::WriteOwner);
  s.ui.files.enqueue({FileChoice::Kind::Existing, shown});
  window.GestionMenu(item::Open);
  ASSERT_TRUE(s.state.xmlDocument);
  QLineEdit* comment = window.form().commentField;
  comment->end(false);
  QTest::keyClicks(comment, " typed on site");
  const auto sendShown = [&](int answer) {
    const qsizetype from = s.writes.size();
    s.ui.files.enqueue({FileChoice::Kind::Existing, shown});
    s.ui.answers.enqueue(answer);
    window.commands().exportFile();
    return s.writtenSince(from);
  };
  const qsizetype asked = s.ui.questions.size();
  EXPECT_FALSE(sendShown(2).contains("MMEM:DATA"));  // Cancel sends nothing
  ASSERT_EQ(s.ui.questions.size(), asked + 1);
  EXPECT_TRUE(s.ui.questions.last().text.startsWith("LIN.bus has changes that are not saved"));
  const QByteArray asSaved = sendShown(1);  // the file as it is on disk
  EXPECT_TRUE(asSaved.contains("MMEM:DATA"));
  EXPECT_FALSE(asSaved.contains("typed on site"));
  EXPECT_TRUE(window.isWindowModified());
  s.ui.files.enqueue({FileChoice::Kind::Existing, shown});  // Save's own dialog
  s.ui.answers.enqueue(0);                                  // replacing the instrument's copy: Yes
  EXPECT_TRUE(sendShown(0).contains("typed on site"));
  EXPECT_FALSE(window.isWindowModified());
  EXPECT_TRUE(karvel::test::readAll(shown).contains("typed on site"));
}
