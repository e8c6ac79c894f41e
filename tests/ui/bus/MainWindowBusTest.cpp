// SPDX-License-Identifier: GPL-3.0-or-later
// The bus definition panel through the real main window: File > Open, a cell
// edited in the table, a new title, File > Save, the saved file read back,
// and File > Close. Text typed counts from the first key: the tests type
// without leaving the field (no editingFinished) or with the cell's editor
// still open.
#include <gtest/gtest.h>
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "core/bus/BusFile.h"
#include "core/bus/XmlDocument.h"
#include "core/frame/RecentFiles.h"
#include "support/ScriptedInteraction.h"
#include "ui/bus/BusFeature.h"
#include "ui/frame/MainWindow.h"
#include "ui_MainWindow.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

class MainWindowBus : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.ui = &ui;
    state.clock = &clock;
    state.programDir = KARVEL_APPDIR;
    state.settingsPath = dir.filePath("karvel.ini");
    window = std::make_unique<MainWindow>(state);
    attachBusFeature(*window);
    window->GestionMenu(item::FirstLanguage + English);
    window->show();
  }
  void TearDown() override { window.reset(); }

  // A copy of a sample in the test's folder, so saving never touches the sources.
  QString sample(const QString& relative, const QString& name) {
    const QString path = dir.filePath(name);
    QFile::copy(QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/") + relative, path);
    return path;
  }
  QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // The window's action that the key sequence runs.
  QAction* shortcut(const QKeySequence& keys) {
    for (QAction* a : window->findChildren<QAction*>())
      if (a->shortcuts().contains(keys)) return a;
    ADD_FAILURE() << "no action for " << keys.toString().toStdString();
    static QAction none;
    return &none;
  }
  void open(const QString& path) {
    ui.files.enqueue({FileChoice::Kind::Existing, path});
    window->GestionMenu(item::Open);
  }
  UserMemory memory() const { return loadUserMemory(userMemoryPath(state.settingsPath)); }
  // Keys typed at the end of the comment; the field keeps the cursor.
  void typeIntoComment(const QString& keys) {
    QLineEdit* field = window->form().commentField;
    field->end(false);
    QTest::keyClicks(field, keys);
  }
  // Opens the editor of table cell (row, column) and types `keys` over its
  // text; the editor stays open.
  QLineEdit* typeIntoCell(int row, int column, const QString& keys) {
    QTableWidget* table = window->form().busTable;
    table->setCurrentCell(row, column);
    table->editItem(table->item(row, column));
    QLineEdit* editor = nullptr;
    // An editor closed before waits for its deletion, hidden.
    for (QLineEdit* e : table->viewport()->findChildren<QLineEdit*>())
      if (e->isVisible()) editor = e;
    if (!editor) {
      ADD_FAILURE() << "no editor opened on the cell";
      return nullptr;
    }
    editor->selectAll();
    QTest::keyClicks(editor, keys);
    return editor;
  }
  void editACell(const QString& value) {
    QAbstractItemModel* model = window->form().busTable->model();
    ASSERT_TRUE(model->setData(model->index(6, 1), value));
    ASSERT_TRUE(window->isWindowModified());
  }

  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
  std::unique_ptr<MainWindow> window;
};

}  // namespace

TEST_F(MainWindowBus, OpenEditSaveAndReadBack) {
  const QString path = sample("RQ4102/CAN_HS.BUS", "CAN_HS.BUS");
  const QByteArray original = read(path);
  open(path);
  Ui::MainWindow& f = window->form();
  ASSERT_TRUE(ui.messages.isEmpty()) << ui.lastMessage().toStdString();
  EXPECT_EQ(ui.fileRequests.last().pattern, "*.BUS");
  EXPECT_EQ(f.fileField->text(), path);
  EXPECT_EQ(f.busField->text(), "CAN High Speed 500 kbit/s");
  ASSERT_EQ(f.busTable->rowCount(), 10);
  EXPECT_EQ(f.busTable->verticalHeaderItem(6)->text(), "Bit time");
  EXPECT_EQ(f.frequencyField->text(), "500.000 kHz");
  EXPECT_EQ(f.maxVoltageField->text(), "8.00 V");
  EXPECT_FALSE(f.busPicture->pixmap().isNull());
  EXPECT_EQ(f.busTable->item(1, 0)->background().color(), QColor(0xD0, 0xD0, 0xD0));
  EXPECT_EQ(f.busTable->item(2, 2)->background().color(), QColor(Qt::white));
  EXPECT_TRUE(f.busTable->item(0, 0)->flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(f.speedNextButton->isEnabled());
  EXPECT_TRUE(f.voltageCaption->isEnabled());
  EXPECT_EQ(state.lastOpenKind, 0);

  // The table's editor commits through the model, as this does.
  QAbstractItemModel* model = f.busTable->model();
  ASSERT_TRUE(model->setData(model->index(6, 1), QString::fromUtf8("2.1 \xC2\xB5s")));
  EXPECT_EQ(f.busTable->item(6, 1)->text(), QString::fromUtf8("2.10 \xC2\xB5s"));
  ASSERT_TRUE(model->setData(model->index(7, 0), "none"));
  EXPECT_EQ(f.busTable->item(7, 0)->text(), "---");
  f.busField->setText("CAN HS edited");
  emit f.busField->editingFinished();
  // Typed into the comment, the cursor still in it: an edit already.
  typeIntoComment(" checked");
  EXPECT_TRUE(window->isWindowModified());

  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("edited.bus")});
  window->GestionMenu(item::Save);
  EXPECT_EQ(ui.fileRequests.last().confirm, FileRequest::Confirm::Save);
  EXPECT_TRUE(ui.fileRequests.last().forceExtension);
  const QString saved = dir.filePath("edited.BUS");  // first family: upper case
  ASSERT_TRUE(QFile::exists(saved));
  QByteArray expected = original;
  expected.replace("<LimiteMax a=\"0.00000204\"/>", "<LimiteMax a=\"0.0000021\"/>");
  expected.replace("<TITLE a=\"CAN High Speed 500 kbit/s\"/>", "<TITLE a=\"CAN HS edited\"/>");
  expected.replace("bit time 2 \xB5s\"/>", "bit time 2 \xB5s checked\"/>");
  EXPECT_EQ(read(saved), expected);  // "N/A" stored again as "N/A"

  // Read back through the window: the edits are in the file.
  open(saved);
  EXPECT_EQ(f.busField->text(), "CAN HS edited");
  EXPECT_TRUE(f.commentField->text().endsWith(QString::fromUtf8("2 \xC2\xB5s checked")));
  EXPECT_EQ(f.busTable->item(6, 1)->text(), QString::fromUtf8("2.10 \xC2\xB5s"));

  window->GestionMenu(item::Close);
  EXPECT_EQ(f.busTable->rowCount(), 0);
  EXPECT_TRUE(f.fileField->text().isEmpty());
  EXPECT_FALSE(state.xmlDocument);
  EXPECT_FALSE(f.speedNextButton->isEnabled());
  EXPECT_EQ(f.maxVoltageField->text(), "8.00 V");
  EXPECT_TRUE(f.busPicture->pixmap().isNull());
  f.speedNextButton->click();
  EXPECT_FALSE(state.speedPanel);  // nothing to generate from
}

TEST_F(MainWindowBus, SecondFamilyFilesAreSavedInLowerCase) {
  open(sample("RQ6102/LIN.bus", "LIN.bus"));
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("Copy.BUS")});
  window->GestionMenu(item::Save);
  EXPECT_TRUE(QFile::exists(dir.filePath("Copy.bus")));
  EXPECT_EQ(read(dir.filePath("Copy.bus")), read(dir.filePath("LIN.bus")));
  // A failed write is reported and loses nothing.
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("no/such/folder/x.BUS")});
  window->GestionMenu(item::Save);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(ui.lastMessage().startsWith("The file could not be written"));
}

TEST_F(MainWindowBus, AMalformedFileLeavesTheWindowEmpty) {
  open(sample("RQ4102/CAN_LS.BUS", "CAN_LS.BUS"));
  Ui::MainWindow& f = window->form();
  EXPECT_FALSE(f.speedNextButton->isEnabled());  // LockedSpeed 1
  const QString bad = dir.filePath("bad.BUS");
  QFile file(bad);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<BUSFILE><BUS><TITLE a=\"x\"/></BUSFILE>");
  file.close();
  open(bad);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].title, "XML Error");
  EXPECT_EQ(f.busTable->rowCount(), 0);
  EXPECT_TRUE(f.busField->text().isEmpty());
  EXPECT_FALSE(state.xmlDocument);
  EXPECT_FALSE(f.voltageNextButton->isEnabled());
  // Save without a document does nothing.
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("nothing.BUS")});
  window->GestionMenu(item::Save);
  EXPECT_FALSE(QFile::exists(dir.filePath("nothing.BUS")));
}

TEST_F(MainWindowBus, TheNextButtonsOpenTheGenerators) {
  open(sample("RQ4102/RS485.BUS", "RS485.BUS"));
  Ui::MainWindow& f = window->form();
  // The generator starts from the document with what was just typed in it.
  typeIntoComment(" checked");
  f.voltageNextButton->click();
  ASSERT_TRUE(state.voltagePanel);
  auto* dialog = qobject_cast<QWidget*>(state.voltagePanel.data());
  ASSERT_TRUE(dialog && dialog->isVisible());
  dialog->close();
  QApplication::processEvents();
  f.speedNextButton->click();
  ASSERT_TRUE(state.speedPanel);
  auto* speed = qobject_cast<QWidget*>(state.speedPanel.data());
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("RS485_9600.BUS")});
  speed->findChild<QSpinBox*>("speedField")->setValue(9600);
  speed->findChild<QPushButton*>("generateButton")->click();
  EXPECT_EQ(f.fileField->text(), dir.filePath("RS485_9600.BUS"));
  EXPECT_EQ(f.frequencyField->text(), "9600.00 Hz");
  EXPECT_TRUE(read(dir.filePath("RS485_9600.BUS")).contains(" checked\"/>"));
  EXPECT_TRUE(f.commentField->text().endsWith(" checked"));
}

// Save writes "bus1.BUS" for a first-family file named "bus1.bus" in the
// dialog: a different, existing file must not go without a question.
TEST_F(MainWindowBus, SaveAsksBeforeReplacingAFileTheUserDidNotPick) {
  open(sample("RQ4102/CAN_HS.BUS", "CAN_HS.BUS"));
  const QString other = dir.filePath("bus1.BUS");
  QFile f(other);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("precious");
  f.close();
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("bus1.bus")});
  ui.answers.enqueue(1);  // No
  window->GestionMenu(item::Save);
  ASSERT_EQ(ui.questions.size(), 1);
  EXPECT_TRUE(ui.questions[0].text.contains("bus1.BUS"));
  EXPECT_EQ(read(other), "precious");
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("bus1.bus")});
  ui.answers.enqueue(0);  // Yes
  window->GestionMenu(item::Save);
  EXPECT_EQ(read(other), read(dir.filePath("CAN_HS.BUS")));
  // The file picked in the dialog itself is the user's choice: no question.
  ui.files.enqueue({FileChoice::Kind::Existing, other});
  window->GestionMenu(item::Save);
  EXPECT_EQ(ui.questions.size(), 2);
}

TEST_F(MainWindowBus, AGeneratorAsksBeforeReplacingAFile) {
  open(sample("RQ4102/RS485.BUS", "RS485.BUS"));
  const QString out = dir.filePath("out.BUS");
  QFile f(out);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("precious");
  f.close();
  window->form().speedNextButton->click();
  auto* speed = qobject_cast<QWidget*>(state.speedPanel.data());
  ASSERT_TRUE(speed);
  speed->findChild<QSpinBox*>("speedField")->setValue(9600);
  ui.files.enqueue({FileChoice::Kind::Existing, out});
  ui.answers.enqueue(1);  // No
  speed->findChild<QPushButton*>("generateButton")->click();
  EXPECT_EQ(ui.questions.size(), 1);
  EXPECT_EQ(read(out), "precious");
}

TEST_F(MainWindowBus, UnsavedEditsAreAskedForBeforeTheyAreDropped) {
  const QString path = sample("RQ4102/CAN_HS.BUS", "CAN_HS.BUS");
  const QByteArray original = read(path);
  open(path);
  Ui::MainWindow& f = window->form();
  auto* marker = window->findChild<QLabel*>("modifiedLabel");
  ASSERT_TRUE(marker);
  EXPECT_TRUE(marker->text().isEmpty());
  QAbstractItemModel* model = f.busTable->model();
  ASSERT_TRUE(model->setData(model->index(6, 1), "2,5 us"));
  EXPECT_EQ(marker->text(), "Modified");

  ui.answers.enqueue(2);  // Cancel: the edit stays
  window->GestionMenu(item::Close);
  EXPECT_TRUE(state.xmlDocument);
  EXPECT_EQ(f.busTable->rowCount(), 10);
  ui.answers.enqueue(2);
  EXPECT_FALSE(window->Sortir());  // Exit is cancelled as well

  ui.answers.enqueue(0);  // Save
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("kept.BUS")});
  window->GestionMenu(item::Close);
  EXPECT_FALSE(state.xmlDocument);
  EXPECT_NE(read(dir.filePath("kept.BUS")), original);

  open(path);
  ASSERT_TRUE(model->setData(model->index(6, 1), "3"));
  ui.answers.enqueue(1);  // Discard
  open(path);             // another Open asks too
  EXPECT_EQ(ui.questions.size(), 4);
  EXPECT_EQ(f.busTable->item(6, 1)->text(), QString::fromUtf8("2.04 \xC2\xB5s"));
  EXPECT_EQ(read(path), original);

  // Typed and not left: the comment's cursor still in it, a cell's editor
  // still open. The title and the status bar say so, Exit asks, and Save
  // writes what was typed.
  typeIntoComment(" checked");
  EXPECT_EQ(marker->text(), "Modified");
  ASSERT_TRUE(typeIntoCell(6, 1, "2.5 ms"));
  EXPECT_TRUE(window->isWindowModified());
  ui.answers.enqueue(0);  // Save
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("typed.BUS")});
  ui.answers.enqueue(1);  // No to the quit question
  EXPECT_FALSE(window->Sortir());
  ASSERT_EQ(ui.questions.size(), 6);
  EXPECT_EQ(ui.questions[4].title, "Unsaved changes");
  const QByteArray typed = read(dir.filePath("typed.BUS"));
  EXPECT_TRUE(typed.contains("<LimiteMax a=\"0.0025\"/>"));
  EXPECT_TRUE(typed.contains(" checked\"/>"));
  // The window shows the file written, the typed value formatted.
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(f.busTable->item(6, 1)->text(), "2.50 ms");
  EXPECT_TRUE(f.commentField->text().endsWith(" checked"));

  // Escape in a cell's editor takes back what was typed there.
  QLineEdit* editor = typeIntoCell(6, 1, "7");
  ASSERT_TRUE(editor);
  EXPECT_TRUE(window->isWindowModified());
  QTest::keyClick(editor, Qt::Key_Escape);
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(f.busTable->item(6, 1)->text(), "2.50 ms");
  EXPECT_FALSE(shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z))->isEnabled());

  // A character that the file's encoding (windows-1252) cannot hold is refused
  // as it is typed: the user is told why, and the field shows only what the
  // document holds.
  const QString kept = f.commentField->text();
  const qsizetype told = ui.messages.size();
  f.commentField->end(false);
  QTest::sendKeyEvent(QTest::Click, f.commentField, Qt::Key_unknown, QString::fromUtf8("\xCE\xA9"),
                      Qt::NoModifier);
  ASSERT_EQ(ui.messages.size(), told + 1);
  EXPECT_TRUE(ui.lastMessage().contains("cannot store")) << ui.lastMessage().toStdString();
  EXPECT_EQ(f.commentField->text(), kept);
  EXPECT_FALSE(window->isWindowModified());
}

TEST_F(MainWindowBus, UndoGivesBackTheExactBytes) {
  const QString path = sample("RQ6102/CAN_HS.bus", "CAN_HS.bus");
  const QByteArray original = read(path);
  open(path);
  Ui::MainWindow& f = window->form();
  QAbstractItemModel* model = f.busTable->model();
  const QString before = f.busTable->item(2, 0)->text();
  ASSERT_TRUE(model->setData(model->index(2, 0), "1,25"));
  f.busField->setText("renamed");
  emit f.busField->editingFinished();
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Z))->trigger();  // the title
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Z))->trigger();  // the cell
  EXPECT_EQ(f.busTable->item(2, 0)->text(), before);
  EXPECT_NE(f.busField->text(), "renamed");
  EXPECT_TRUE(window->findChild<QLabel*>("modifiedLabel")->text().isEmpty());
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("undone.bus")});
  window->GestionMenu(item::Save);
  EXPECT_EQ(read(dir.filePath("undone.bus")), original);
  // And redo brings the edit back.
  shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z))->trigger();
  EXPECT_NE(f.busTable->item(2, 0)->text(), before);
}

// After Save under a new name the window speaks of the file written: the old
// file does not hold the edits, and nothing may suggest it does.
TEST_F(MainWindowBus, AfterSaveTheWindowShowsTheFileWritten) {
  const QString path = sample("RQ4102/CAN_HS.BUS", "CAN_HS.BUS");
  const QByteArray original = read(path);
  open(path);
  Ui::MainWindow& f = window->form();
  auto* marker = window->findChild<QLabel*>("modifiedLabel");
  EXPECT_EQ(window->windowTitle(), "CAN_HS.BUS[*] - KARVEL version 2.1");
  EXPECT_FALSE(window->isWindowModified());
  editACell("3");
  EXPECT_EQ(marker->text(), "Modified");

  QDir(dir.path()).mkpath("copies");
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("copies/edited.bus")});
  window->GestionMenu(item::Save);
  // The dialog started beside the file shown, with its name.
  EXPECT_EQ(ui.fileRequests.last().folder, dir.path());
  EXPECT_EQ(ui.fileRequests.last().defaultFile, "CAN_HS.BUS");
  const QString saved = dir.filePath("copies/edited.BUS");
  ASSERT_TRUE(QFile::exists(saved));
  EXPECT_EQ(f.fileField->text(), saved);
  EXPECT_EQ(window->windowTitle(), "edited.BUS[*] - KARVEL version 2.1");
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_TRUE(marker->text().isEmpty());
  EXPECT_EQ(read(path), original);
  EXPECT_EQ(memory().recentFiles, (QStringList{saved, path}));

  // Saved again: the dialog proposes the file now shown.
  ui.files.enqueue({});
  window->GestionMenu(item::Save);
  EXPECT_EQ(ui.fileRequests.last().folder, dir.filePath("copies"));
  EXPECT_EQ(ui.fileRequests.last().defaultFile, "edited.BUS");

  // A generator's backup dialog too, and the file it writes is the one shown.
  f.speedNextButton->click();
  auto* speed = qobject_cast<QWidget*>(state.speedPanel.data());
  ASSERT_TRUE(speed);
  speed->findChild<QSpinBox*>("speedField")->setValue(250000);
  const QString generated = dir.filePath("copies/CAN_250k.BUS");
  ui.files.enqueue({FileChoice::Kind::New, generated});
  speed->findChild<QPushButton*>("generateButton")->click();
  EXPECT_EQ(ui.fileRequests.last().folder, dir.filePath("copies"));
  EXPECT_EQ(ui.fileRequests.last().defaultFile, "edited.BUS");
  EXPECT_EQ(f.fileField->text(), generated);
  EXPECT_EQ(window->windowTitle(), "CAN_250k.BUS[*] - KARVEL version 2.1");
  EXPECT_EQ(memory().recentFiles.first(), generated);

  // A failed save changes nothing of it.
  editACell("5");
  ui.files.enqueue({FileChoice::Kind::New, dir.filePath("no/such/folder/x.BUS")});
  window->GestionMenu(item::Save);
  EXPECT_EQ(f.fileField->text(), generated);
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(memory().recentFiles.first(), generated);

  ui.answers.enqueue(1);  // Discard
  window->GestionMenu(item::Close);
  EXPECT_EQ(window->windowTitle(), "KARVEL version 2.1");
}

// Recent files and the Open folder keep only files actually opened.
TEST_F(MainWindowBus, AFileNotOpenedIsNotRemembered) {
  const QString first = sample("RQ4102/CAN_HS.BUS", "CAN_HS.BUS");
  QDir(dir.path()).mkpath("other");
  const QString second = sample("RQ6102/LIN.bus", "other/LIN.bus");
  open(first);
  ASSERT_EQ(memory().recentFiles, QStringList{first});
  editACell("3");
  state.lastOpenKind = 1;  // as after a result file

  ui.answers.enqueue(2);  // Cancel: the edits stay shown
  open(second);
  EXPECT_EQ(ui.questions.size(), 1);
  EXPECT_EQ(window->form().fileField->text(), first);
  EXPECT_EQ(memory().recentFiles, QStringList{first});
  EXPECT_EQ(memory().lastFolder, dir.path());
  EXPECT_EQ(state.lastOpenKind, 1);

  // Nor is a file refused in the "XML Error" box.
  const QString bad = dir.filePath("other/bad.BUS");
  QFile file(bad);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<BUSFILE><BUS></BUSFILE>");
  file.close();
  ui.answers.enqueue(1);  // Discard
  open(bad);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].title, "XML Error");
  EXPECT_EQ(memory().recentFiles, QStringList{first});
  EXPECT_EQ(memory().lastFolder, dir.path());
  EXPECT_EQ(window->windowTitle(), "KARVEL version 2.1");

  open(second);
  EXPECT_EQ(memory().recentFiles, (QStringList{second, first}));
  EXPECT_EQ(memory().lastFolder, dir.filePath("other"));
  EXPECT_EQ(state.lastOpenKind, 0);
}
