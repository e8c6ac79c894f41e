// The import dialog against the simulator: listing, the pattern, fetching into
// the main window and into results windows, the scroll before a double click,
// and a failed fetch.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>

#include "support/StoreSession.h"
#include "ui/bus/BusPanel.h"
#include "ui/instrument/ImportDialog.h"
#include "ui/frame/MainWindow.h"
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
  EXPECT_EQ(f.fileList->item(0)->data(Qt::UserRole).toInt(), 1);  // from the SD card
  d->Importer(ImportDialog::Control::FetchButton, ImportDialog::Commit);
  EXPECT_EQ(h.s.ui.lastMessage(), "Bad Filename\n");
  EXPECT_EQ(h.s.state.sessionOpen, 1);
  d.reset();

  // The next opening lists the type last used.
  std::unique_ptr<ImportDialog> again(prepareImportDialog(h.s.state, h.window.get()));
  EXPECT_EQ(again->form().typeSelector->currentIndex(), 1);
  EXPECT_EQ(again->form().fileNameField->text(), "*.HTM");
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
