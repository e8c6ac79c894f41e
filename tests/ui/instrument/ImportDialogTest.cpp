// SPDX-License-Identifier: GPL-3.0-or-later
// The import dialog against the simulator: listing, the pattern, fetching into
// the main window and into results windows, the scroll before a double click,
// and a failed fetch.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "core/frame/Messages.h"
#include "core/instrument/Communication.h"
#include "io/Visa.h"
#include "support/FileSizeLimit.h"
#include "support/StoreSession.h"
#include "ui/bus/BusPanel.h"
#include "ui/frame/MainWindow.h"
#include "ui/instrument/FileStoreFeature.h"
#include "ui/instrument/ImportDialog.h"
#include "ui/results/ResultWindow.h"
#include "ui_ImportDialog.h"
#include "ui_MainWindow.h"

using namespace karvel;
using namespace karvel::ui;
using karvel::test::StoreSession;

namespace {

const QString kSamples = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples");

QList<ResultWindow*> resultWindows() {
  QList<ResultWindow*> out;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* r = qobject_cast<ResultWindow*>(w)) out << r;
  return out;
}

QStringList labels(QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

int rowOf(QListWidget* list, const QString& name) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text() == name) return i;
  return -1;
}

struct ImportHarness {
  explicit ImportHarness(QStringList simArgs, int family = 2) : s(family, simArgs) {
    s.state.settingsPath = s.scratch.filePath("karvel.ini");
    window = std::make_unique<MainWindow>(s.state);
    window->GestionMenu(item::FirstLanguage + English);
  }
  StoreSession s;
  std::unique_ptr<MainWindow> window;
};

}  // namespace

TEST(ImportDialog, ListsTheTypeLastUsedAndRefusesThePattern) {
  ImportHarness h({"--files", kSamples + "/RQ6102", "--sd-files", kSamples});
  ASSERT_TRUE(h.s.ready());
  std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
  Ui::ImportDialog& f = d->form();
  EXPECT_EQ(h.s.state.importPanel, d.get());
  EXPECT_EQ(d->windowTitle(), "Import");
  EXPECT_EQ(f.typeLabel->text(), "Type of Files");
  EXPECT_EQ(f.fileNameField->text(), "*.BUS");
  EXPECT_EQ(labels(f.fileList).size(), 5);

  f.typeSelector->setCurrentIndex(1);
  d->Importer(ImportDialog::Control::TypeSelector, ImportDialog::Commit);
  EXPECT_EQ(h.s.state.importSource, 1);
  EXPECT_EQ(f.fileNameField->text(), "*.HTM");
  EXPECT_EQ(labels(f.fileList), (QStringList{"CAN_HS_PASS.HTM", "LIN_PASS.HTM", "PROFIBUS_FAIL.HTM",
                                             "RS485_FAIL.HTM"}));
  EXPECT_EQ(f.fileList->item(0)->data(Qt::UserRole).toInt(), 1);                 // from the SD card
  EXPECT_EQ(f.fileList->item(0)->data(Qt::UserRole + 1).toString(), "SD card");  // shown beside it
  d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  EXPECT_EQ(h.s.ui.lastMessage(), "Bad Filename\n");
  EXPECT_EQ(h.s.state.sessionOpen, 1);
  d.reset();

  // The next opening lists the type last used.
  std::unique_ptr<ImportDialog> again(prepareImportDialog(h.s.state, h.window.get()));
  EXPECT_EQ(again->form().typeSelector->currentIndex(), 1);
  EXPECT_EQ(again->form().fileNameField->text(), "*.HTM");
}

// The session ended while the dialog was up (its link went, and the user was
// told): the next listing or fetch asks for the instrument again first,
// rather than talking through a closed session.
TEST(ImportDialog, ASessionEndedWhileTheDialogIsUpIsOpenedAgainFirst) {
  ImportHarness h({"--files", kSamples + "/RQ6102", "--sd-files", kSamples});
  ASSERT_TRUE(h.s.ready());
  h.s.state.connectionType = Ethernet;
  h.s.state.ethernetAddress = h.s.sim().tcpResource();
  h.s.state.importSource = 0;
  std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
  Ui::ImportDialog& f = d->form();
  Tarvik_close(h.s.state, h.s.state.session);
  ASSERT_EQ(h.s.state.sessionOpen, 0);
  f.typeSelector->setCurrentIndex(1);
  d->Importer(ImportDialog::Control::TypeSelector, ImportDialog::Commit);
  EXPECT_EQ(h.s.state.sessionOpen, 1);
  EXPECT_EQ(labels(f.fileList).size(), 4);
  EXPECT_TRUE(h.s.ui.messages.isEmpty()) << h.s.ui.lastMessage().toStdString();

  Tarvik_close(h.s.state, h.s.state.session);
  f.fileList->setCurrentRow(rowOf(f.fileList, "LIN_PASS.HTM"));
  d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  EXPECT_EQ(h.s.state.sessionOpen, 1);
  EXPECT_TRUE(h.s.ui.messages.isEmpty()) << h.s.ui.lastMessage().toStdString();
  const QList<ResultWindow*> fetched = resultWindows();
  EXPECT_EQ(fetched.size(), 1);
  qDeleteAll(fetched);
}

TEST(ImportDialog, ScrollSkipsOneDoubleClickThenAResultIsFetched) {
  ImportHarness h({"--sd-files", kSamples});
  ASSERT_TRUE(h.s.ready());
  h.s.state.importSource = 1;
  std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
  Ui::ImportDialog& f = d->form();
  const int row = rowOf(f.fileList, "LIN_PASS.HTM");
  ASSERT_GE(row, 0);
  f.fileList->setCurrentRow(row);
  EXPECT_EQ(f.fileNameField->text(), "LIN_PASS.HTM");

  d->Importer(ImportDialog::Control::FileList, ImportDialog::VerticalScroll);
  d->Importer(ImportDialog::Control::FileList, ImportDialog::DoubleClick);
  EXPECT_TRUE(resultWindows().isEmpty());
  EXPECT_TRUE(QDir(h.s.state.programDir).entryList({"*.tmp"}, QDir::Files).isEmpty());

  d->Importer(ImportDialog::Control::FileList, ImportDialog::DoubleClick);
  const auto windows = resultWindows();
  ASSERT_EQ(windows.size(), 1);
  const QString temporary = windows[0]->temporaryFile();
  EXPECT_EQ(QFileInfo(temporary).absolutePath(),
            QFileInfo(h.s.state.programDir).absoluteFilePath());
  EXPECT_TRUE(QFileInfo(temporary).fileName().startsWith("LIN_PASS."));
  EXPECT_TRUE(QFile::exists(temporary));
  EXPECT_EQ(windows[0]->windowTitle(), "File : lin_pass.HTM");
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(h.s.state.importPanel, nullptr);
  windows[0]->close();
  delete windows[0];
  EXPECT_FALSE(QFile::exists(temporary));
  EXPECT_TRUE(h.s.ui.messages.isEmpty());
}

TEST(ImportDialog, BusFileGoesIntoTheMainWindowUnderItsInstrumentName) {
  ImportHarness h({"--files", kSamples + "/RQ6102"});
  ASSERT_TRUE(h.s.ready());
  std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
  Ui::ImportDialog& f = d->form();
  // A name typed by hand takes the store of the current item.
  f.fileList->setCurrentRow(0);
  f.fileNameField->setText("LIN.bus");
  d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  EXPECT_TRUE(h.s.ui.messages.isEmpty()) << h.s.ui.lastMessage().toStdString();
  EXPECT_EQ(h.window->form().fileField->text(), "LIN.bus");
  EXPECT_GT(h.window->form().busTable->rowCount(), 0);
  EXPECT_FALSE(QFile::exists(h.s.state.programDir + "/______z_.tmp"));
  EXPECT_TRUE(h.s.state.xmlDocument != nullptr);
}

TEST(ImportDialog, FailedFetchShowsTheTimeOutMessageAndLeavesNothing) {
  ImportHarness h({"--files", kSamples, "--block-fault", "truncated"});
  ASSERT_TRUE(h.s.ready());
  h.s.state.importSource = 1;
  std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
  Ui::ImportDialog& f = d->form();
  f.fileList->setCurrentRow(rowOf(f.fileList, "RS485_FAIL.HTM"));
  d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  ASSERT_EQ(h.s.ui.messages.size(), 1);
  EXPECT_EQ(h.s.ui.messages[0].title, "Error n° -120");
  EXPECT_TRUE(
      h.s.ui.messages[0].text.startsWith("Invalid communication (Time Out : no response)."));
  EXPECT_EQ(h.s.state.sessionOpen, 0);
  EXPECT_EQ(h.s.state.importPanel, d.get());  // the dialog stays
  EXPECT_TRUE(QDir(h.s.state.programDir).entryList(QDir::Files | QDir::Hidden).isEmpty());
  EXPECT_TRUE(resultWindows().isEmpty());
  EXPECT_EQ(h.s.ui.busyDepth, 0);
}

TEST(ImportDialog, FirstFamilyFetchesFromEitherStore) {
  ImportHarness h({"--files", kSamples, "--sd-files", kSamples + "/RQ4102"}, 1);
  ASSERT_TRUE(h.s.ready());
  std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
  Ui::ImportDialog& f = d->form();
  ASSERT_EQ(f.fileList->count(), 5);
  f.fileList->setCurrentRow(rowOf(f.fileList, "CAN_LS.BUS"));
  EXPECT_EQ(f.fileList->currentItem()->data(Qt::UserRole).toInt(), 1);
  d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  EXPECT_TRUE(h.s.ui.messages.isEmpty()) << h.s.ui.lastMessage().toStdString();
  EXPECT_EQ(h.window->form().fileField->text(), "CAN_LS.BUS");
  EXPECT_TRUE(h.s.writes.contains("MEM:DATA? \"CAN_LS.BUS\"\r"));
  EXPECT_FALSE(QFile::exists(h.s.state.programDir + "/______z_.tmp"));

  h.s.state.importSource = 1;
  std::unique_ptr<ImportDialog> results(prepareImportDialog(h.s.state, h.window.get()));
  Ui::ImportDialog& r = results->form();
  ASSERT_EQ(r.fileList->count(), 4);
  r.fileList->setCurrentRow(rowOf(r.fileList, "PROFIBUS_FAIL.HTM"));
  results->Importer(ImportDialog::Control::FileList, ImportDialog::DoubleClick);
  const auto windows = resultWindows();
  ASSERT_EQ(windows.size(), 1);
  const QString temporary = windows[0]->temporaryFile();
  EXPECT_TRUE(QFileInfo(temporary).fileName().startsWith("PROFIBUS_FAIL."));
  EXPECT_TRUE(QFile::exists(temporary));
  windows[0]->close();
  delete windows[0];
  EXPECT_FALSE(QFile::exists(temporary));
}

TEST(ImportDialog, TwoWindowsOfOneResultKeepTheirOwnFiles) {
  ImportHarness h({"--files", kSamples + "/RQ6102", "--sd-files", kSamples});
  ASSERT_TRUE(h.s.ready());
  h.s.state.importSource = 1;
  for (int i = 0; i < 2; ++i) {
    std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
    d->form().fileList->setCurrentRow(rowOf(d->form().fileList, "RS485_FAIL.HTM"));
    d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  }
  auto windows = resultWindows();
  ASSERT_EQ(windows.size(), 2);
  ASSERT_NE(windows[0]->temporaryFile(), windows[1]->temporaryFile());
  const QString second = windows[1]->temporaryFile();
  windows[0]->close();
  delete windows[0];
  EXPECT_TRUE(QFile::exists(second));

  // The second window still saves its result.
  QTemporaryDir out;
  h.s.ui.files.enqueue({FileChoice::Kind::New, out.filePath("copy.htm")});
  windows[1]->saveAs();
  EXPECT_TRUE(h.s.ui.messages.isEmpty()) << h.s.ui.lastMessage().toStdString();
  EXPECT_EQ(QFileInfo(out.filePath("copy.htm")).size(),
            QFileInfo(kSamples + "/RS485_FAIL.HTM").size());
  windows[1]->close();
  delete windows[1];
  EXPECT_FALSE(QFile::exists(second));
}

// Installed: fetched files wait in the user's cache folder, never in the
// program's folder.
TEST(ImportDialog, InstalledFetchesGoIntoTheUsersFolder) {
  ImportHarness h({"--files", kSamples + "/RQ6102", "--sd-files", kSamples});
  ASSERT_TRUE(h.s.ready());
  QTemporaryDir cache;
  h.s.state.temporaryDir = cache.path();
  h.s.state.installed = true;
  const QStringList programFiles = QDir(h.s.state.programDir).entryList(QDir::Files);

  std::unique_ptr<ImportDialog> bus(prepareImportDialog(h.s.state, h.window.get()));
  bus->form().fileList->setCurrentRow(rowOf(bus->form().fileList, "LIN.bus"));
  bus->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  EXPECT_TRUE(h.s.ui.messages.isEmpty()) << h.s.ui.lastMessage().toStdString();
  ASSERT_NE(BusPanel::of(h.window.get()), nullptr);
  EXPECT_FALSE(BusPanel::of(h.window.get())->screen().view.rows.empty());

  h.s.state.importSource = 1;
  std::unique_ptr<ImportDialog> results(prepareImportDialog(h.s.state, h.window.get()));
  results->form().fileList->setCurrentRow(rowOf(results->form().fileList, "LIN_PASS.HTM"));
  results->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  const auto windows = resultWindows();
  ASSERT_EQ(windows.size(), 1);
  EXPECT_EQ(QFileInfo(windows[0]->temporaryFile()).absolutePath(),
            QFileInfo(cache.path()).absoluteFilePath());
  EXPECT_FALSE(windows[0]->table().rows.empty());
  delete windows[0];
  EXPECT_TRUE(QDir(cache.path()).entryList(QDir::Files).isEmpty());
  EXPECT_EQ(QDir(h.s.state.programDir).entryList(QDir::Files), programFiles);
}

// A file that cannot be written on this PC is a file error: the transfer
// itself went well, so the session stays open and the next command works.
TEST(ImportDialog, AFolderThatCannotTakeTheFileIsAFileErrorNotALinkFailure) {
  ImportHarness h({"--files", kSamples + "/RQ6102", "--sd-files", kSamples});
  ASSERT_TRUE(h.s.ready());
  QTemporaryDir cache;
  auto fetch = [&](int kind, const QString& name) {
    h.s.state.importSource = kind;
    std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
    d->form().fileList->setCurrentRow(rowOf(d->form().fileList, name));
    d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  };
  // No such folder (as one that cannot be written): before and after the transfer.
  h.s.state.temporaryDir = cache.filePath("gone");
  fetch(1, "RS485_FAIL.HTM");
  fetch(0, "CAN_HS.bus");
  ASSERT_EQ(h.s.ui.messages.size(), 2);
  for (const auto& m : h.s.ui.messages) {
    EXPECT_TRUE(m.text.startsWith("Cannot write the file\n")) << m.text.toStdString();
    EXPECT_TRUE(m.text.contains("gone"));
  }
  EXPECT_EQ(h.s.state.sessionOpen, 1);
  EXPECT_TRUE(resultWindows().isEmpty());

  // A disk that fills up while the file is written.
  h.s.ui.messages.clear();
  h.s.state.temporaryDir = cache.path();
  {
    test::FileSizeLimit full(100);
    ASSERT_TRUE(full.active());
    fetch(1, "RS485_FAIL.HTM");
  }
  ASSERT_EQ(h.s.ui.messages.size(), 1);
  EXPECT_TRUE(h.s.ui.messages[0].text.contains("RS485_FAIL."))
      << h.s.ui.lastMessage().toStdString();
  EXPECT_EQ(h.s.state.sessionOpen, 1);
  EXPECT_TRUE(QDir(cache.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

  // The session goes on.
  h.s.ui.messages.clear();
  fetch(1, "RS485_FAIL.HTM");
  EXPECT_TRUE(h.s.ui.messages.isEmpty()) << h.s.ui.lastMessage().toStdString();
  const auto windows = resultWindows();
  ASSERT_EQ(windows.size(), 1);
  delete windows[0];
}

TEST(ImportDialog, AFetchedResultIsShownSavedAndPrintedUnderItsInstrumentName) {
  ImportHarness h({"--sd-files", kSamples});
  ASSERT_TRUE(h.s.ready());
  // Installed: fetched files wait in a hidden cache folder.
  const QString cache = h.s.scratch.filePath(".cache/karvel");
  ASSERT_TRUE(QDir().mkpath(cache));
  h.s.state.temporaryDir = cache;
  h.s.state.workingDir = h.s.scratch.path();
  h.s.state.importSource = 1;
  std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
  d->form().fileList->setCurrentRow(rowOf(d->form().fileList, "CAN_HS_PASS.HTM"));
  d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  const auto windows = resultWindows();
  ASSERT_EQ(windows.size(), 1);
  ResultWindow* w = windows[0];
  EXPECT_TRUE(w->temporaryFile().startsWith(QDir::toNativeSeparators(cache)));
  EXPECT_EQ(w->instrumentName(), "CAN_HS_PASS.HTM");
  EXPECT_EQ(w->windowTitle(), "File : can_hs_pass.HTM");
  EXPECT_EQ(w->findChild<QLineEdit*>("sourcePath")->text(),
            "CAN_HS_PASS.HTM (from the instrument)");
  EXPECT_EQ(w->findChild<QLabel*>("resultDate")->text(), "Date: 2026-11-23 14:02:51");

  // The print is named after the result, its PDF proposed in the home folder.
  h.s.ui.printAnswers.enqueue(false);
  w->printWindow();
  ASSERT_EQ(h.s.ui.printRequests.size(), 1);
  EXPECT_EQ(h.s.ui.printRequests[0].documentName, "CAN_HS_PASS.HTM");
  EXPECT_EQ(h.s.ui.printRequests[0].proposedFile,
            QDir::toNativeSeparators(QDir::home().filePath("CAN_HS_PASS.pdf")));

  // Save proposes the instrument's name in the working folder, never the
  // cache folder cut at its dot; Enter there writes a visible file.
  h.s.ui.files.enqueue({FileChoice::Kind::New, h.s.scratch.filePath("CAN_HS_PASS.HTM")});
  w->saveAs();
  ASSERT_EQ(h.s.ui.fileRequests.size(), 1);
  EXPECT_EQ(h.s.ui.fileRequests[0].defaultFile,
            QDir::toNativeSeparators(h.s.scratch.filePath("CAN_HS_PASS.HTM")));
  EXPECT_TRUE(QFileInfo::exists(h.s.scratch.filePath("can_hs_pass.htm")));
  EXPECT_TRUE(QDir(h.s.scratch.path()).entryList({".*"}, QDir::Files | QDir::Hidden).isEmpty());
  w->close();
  delete w;
}

// Once a fetched result shows and the dialog is gone, the site register
// (when attached) may offer to file it.
TEST(ImportDialog, AFetchedResultIsOfferedToTheRegisterOnceTheDialogIsGone) {
  ImportHarness h({"--sd-files", kSamples});
  ASSERT_TRUE(h.s.ready());
  QList<QObject*> offered;
  bool dialogVisible = true;
  std::unique_ptr<ImportDialog> d;
  h.s.state.offerFiling = [&](QObject* window) {
    offered << window;
    dialogVisible = d->isVisible();
  };
  h.s.state.importSource = 1;
  // What the session's identification read.
  h.s.state.identificationReply = "TARVIK,RQ6102,4472318,V2.01\r\n";
  d.reset(prepareImportDialog(h.s.state, h.window.get()));
  d->show();
  d->form().fileList->setCurrentRow(rowOf(d->form().fileList, "LIN_PASS.HTM"));
  d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  const auto windows = resultWindows();
  ASSERT_EQ(windows.size(), 1);
  ASSERT_EQ(offered.size(), 1);
  EXPECT_EQ(offered[0], windows[0]);
  EXPECT_FALSE(dialogVisible);
  // The instrument it came from goes with it into the register.
  EXPECT_EQ(windows[0]->instrumentIdentification(), "TARVIK,RQ6102,4472318,V2.01\r\n");
  delete windows[0];
}

TEST(ImportDialog, ASilentInstrumentStopsImportAtTheIdentification) {
  // File > Import with a peer that never answers: the link's message with
  // its cause, and no catalogue asked (its 60 s time-out) nor dialog shown.
  test::Simulator sim({"--tcp", "0", "--fault", "silent"});
  ASSERT_TRUE(sim.ready());
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  io::Visa visa;
  AppState state;
  state.ui = &ui;
  state.clock = &clock;
  state.visa = &visa;
  state.programDir = KARVEL_APPDIR;
  state.settingsPath = dir.filePath("karvel.ini");
  state.connectionType = Ethernet;
  state.ethernetAddress = sim.tcpResource();
  QList<QByteArray> writes;
  visa.setTrace([&](const io::TraceEvent& e) {
    if (e.kind == io::TraceEvent::Kind::Write) writes.append(e.data);
  });
  MainWindow window(state);
  attachFileStoreFeature(window);
  window.GestionMenu(item::FirstLanguage + English);
  // Were the import dialog to open after all, it is closed rather than left
  // waiting (the operation dialog is left alone: closing it would cancel).
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (auto* import = qobject_cast<ImportDialog*>(QApplication::activeModalWidget()))
      import->close();
  });
  closer.start(100);
  window.GestionMenu(item::Import);
  EXPECT_EQ(writes, QList<QByteArray>{"\r*IDN?\r"});
  EXPECT_TRUE(clock.waits.isEmpty());
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].text, messageText(20, English) + "\nNo answer within the time-out: " +
                                     sim.tcpResource() + ".\n");
  EXPECT_EQ(state.sessionOpen, 0);
  EXPECT_EQ(state.importPanel, nullptr);
}

TEST(ImportDialog, HostileNamesAreShownEscapedAndRefusedWithoutClosingTheSession) {
  ImportHarness h({"--files", kSamples, "--hostile-names"});
  ASSERT_TRUE(h.s.ready());
  h.s.state.importSource = 1;
  std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
  Ui::ImportDialog& f = d->form();
  // Every name whole, the carriage return's included, control characters
  // written visibly.
  const QStringList shown = labels(f.fileList);
  for (const char* name : {"\\x1b]0;owned\\x07TITLE.HTM", "\\x1b[2J\\x1b[HCLEAR.HTM",
                           "LINE\\nFEED.HTM", "CARRIAGE\\rRETURN.HTM", "QUOTE\"D.HTM"})
    EXPECT_TRUE(shown.contains(name)) << shown.join(" | ").toStdString();
  for (const QString& label : shown)
    for (QChar c : label) EXPECT_GE(c.unicode(), 0x20) << label.toStdString();
  const qsizetype writesBefore = h.s.writes.size();
  const QList<QPair<QString, QString>> refused = {
      {"\\x1b[2J\\x1b[HCLEAR.HTM", "its name holds control characters"},
      {"CARRIAGE\\rRETURN.HTM", "its name holds control characters"},
      {"QUOTE\"D.HTM", "its name holds a double quote (\")"},
  };
  for (const auto& [name, why] : refused) {
    SCOPED_TRACE(name.toStdString());
    h.s.ui.messages.clear();
    f.fileList->setCurrentRow(rowOf(f.fileList, name));
    d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
    ASSERT_EQ(h.s.ui.messages.size(), 1);
    EXPECT_EQ(h.s.ui.messages[0].text,
              "The file " + name + " cannot be fetched: " + why +
                  ", which a command to the oscilloscope cannot carry. Rename it on the "
                  "oscilloscope.");
  }
  EXPECT_EQ(h.s.writes.size(), writesBefore);  // nothing was asked of the instrument
  EXPECT_EQ(h.s.state.sessionOpen, 1);
  EXPECT_TRUE(resultWindows().isEmpty());
  // The session is in step: a plain name listed after them is fetched.
  f.fileList->setCurrentRow(rowOf(f.fileList, "RS485_FAIL.HTM"));
  h.s.ui.messages.clear();
  d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  EXPECT_TRUE(h.s.ui.messages.isEmpty()) << h.s.ui.lastMessage().toStdString();
  const auto windows = resultWindows();
  ASSERT_EQ(windows.size(), 1);
  delete windows[0];
}

TEST(ImportDialog, AMalformedBlockIsNamedAsSuchAndTheSessionStays) {
  const QList<QPair<const char*, QString>> faults = {
      {"garbage", "the data block does not start with \"#\" but with \"XQ\""},
      {"huge", "the block announces 987654321 bytes, more than the 67108864 a file may have"},
  };
  for (const auto& [fault, what] : faults) {
    SCOPED_TRACE(fault);
    ImportHarness h({"--files", kSamples, "--block-fault", fault});
    ASSERT_TRUE(h.s.ready());
    h.s.state.importSource = 1;
    std::unique_ptr<ImportDialog> d(prepareImportDialog(h.s.state, h.window.get()));
    Ui::ImportDialog& f = d->form();
    f.fileList->setCurrentRow(rowOf(f.fileList, "RS485_FAIL.HTM"));
    d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
    ASSERT_EQ(h.s.ui.messages.size(), 1);
    EXPECT_EQ(h.s.ui.messages[0].text,
              "Malformed reply from the oscilloscope for the file RS485_FAIL.HTM: " + what + ".");
    EXPECT_EQ(h.s.state.sessionOpen, 1);
    EXPECT_TRUE(QDir(h.s.state.programDir).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(resultWindows().isEmpty());
    EXPECT_EQ(h.s.ui.busyDepth, 0);
  }
}
