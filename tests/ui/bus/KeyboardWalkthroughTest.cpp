// SPDX-License-Identifier: GPL-3.0-or-later
// One session by keyboard alone, with key events only: open a bus file, move
// to a limit and edit it, undo, generate a file for a new speed through the
// Edit menu's shortcut and its dialog, open a result, read its help, type a
// comment and quit from inside the field, saving what was typed. The file
// dialogs and questions go through the Interaction.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "support/ScriptedInteraction.h"
#include "ui/frame/Features.h"
#include "ui/frame/MainWindow.h"
#include "ui_MainWindow.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

// The window the keyboard goes to; Qt Test's own wait asks the platform
// window only, and the offscreen platform says yes before Qt has moved focus.
bool becomesActive(QWidget* w) {
  return w && QTest::qWaitFor([w] { return QApplication::activeWindow() == w->window(); });
}

// Keys go where the keyboard's focus is, as the user's do.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* target = QApplication::focusWidget();
  if (!target) target = QApplication::activeWindow();
  ASSERT_TRUE(target) << "no window has the keyboard";
  QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
  // What the key queued (an editor's commit) runs, as in the event loop.
  QCoreApplication::processEvents();
}

QMainWindow* shownResultWindow(QWidget* mainWindow) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* candidate = qobject_cast<QMainWindow*>(w);
    if (candidate && candidate != mainWindow && candidate->isVisible() &&
        candidate->inherits("karvel::ui::ResultWindow"))
      return candidate;
  }
  return nullptr;
}

}  // namespace

TEST(KeyboardWalkthrough, OpenEditUndoGenerateOpenAResultAndClose) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
  state.ui = &ui;
  state.clock = &clock;
  state.programDir = KARVEL_APPDIR;
  state.settingsPath = dir.filePath("karvel.ini");
  auto window = std::make_unique<MainWindow>(state);
  attachFeatures(*window);
  window->GestionMenu(item::FirstLanguage + English);
  window->show();
  window->activateWindow();
  ASSERT_TRUE(becomesActive(window.get()));
  Ui::MainWindow& f = window->form();

  // Ctrl+O, and the file dialog answers with a bus file.
  const QString bus = dir.filePath("CAN_HS.BUS");
  ASSERT_TRUE(QFile::copy(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/CAN_HS.BUS", bus));
  ui.files.enqueue({FileChoice::Kind::Existing, bus});
  press(Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(f.fileField->text(), bus) << ui.lastMessage().toStdString();

  // Tab to the table, arrows to the maximum bit time, F2, a new value, Return.
  for (int i = 0; i < 12 && QApplication::focusWidget() != f.busTable; ++i) press(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), f.busTable);
  for (int i = 0; i < 12 && f.busTable->currentRow() < 6; ++i) press(Qt::Key_Down);
  for (int i = 0; i < 12 && f.busTable->currentRow() > 6; ++i) press(Qt::Key_Up);
  for (int i = 0; i < 3 && f.busTable->currentColumn() < 1; ++i) press(Qt::Key_Right);
  for (int i = 0; i < 3 && f.busTable->currentColumn() > 1; ++i) press(Qt::Key_Left);
  ASSERT_EQ(f.busTable->currentRow(), 6);
  ASSERT_EQ(f.busTable->currentColumn(), 1);
  const QString before = f.busTable->item(6, 1)->text();
  press(Qt::Key_F2);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_TRUE(editor) << "F2 opened no editor";
  press(Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, QString::fromUtf8("2.1 \xC2\xB5s"));
  press(Qt::Key_Return);
  EXPECT_EQ(f.busTable->item(6, 1)->text(), QString::fromUtf8("2.10 \xC2\xB5s"));
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(QApplication::focusWidget(), f.busTable);

  // Edit > Undo by its shortcut.
  press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(f.busTable->item(6, 1)->text(), before);
  EXPECT_FALSE(window->isWindowModified());

  // Edit > New file for another speed, by its shortcut: the dialog has the
  // keyboard; a new speed, Return, and the save dialog answers.
  press(f.actionNewSpeed->shortcut()[0].key(), f.actionNewSpeed->shortcut()[0].keyboardModifiers());
  QPointer<QDialog> dialog = qobject_cast<QDialog*>(state.speedPanel.data());
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(becomesActive(dialog));
  ASSERT_TRUE(dialog->isAncestorOf(QApplication::focusWidget()));
  press(Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(QApplication::focusWidget(), "250000");
  const QString generated = dir.filePath("CAN_250K.BUS");
  ui.files.enqueue({FileChoice::Kind::New, generated});
  press(Qt::Key_Return);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(dialog);
  ASSERT_TRUE(QFileInfo::exists(generated)) << ui.lastMessage().toStdString();
  EXPECT_EQ(f.fileField->text(), generated);
  EXPECT_EQ(f.frequencyField->text(), "250.000 kHz");
  window->activateWindow();
  ASSERT_TRUE(becomesActive(window.get()));

  // Ctrl+O again, a result this time.
  const QString result = dir.filePath("CAN_HS_PASS.HTM");
  ASSERT_TRUE(QFile::copy(KARVEL_SOURCE_DIR "/resources/samples/CAN_HS_PASS.HTM", result));
  ui.files.enqueue({FileChoice::Kind::Existing, result});
  press(Qt::Key_O, Qt::ControlModifier);
  QPointer<QMainWindow> results = shownResultWindow(window.get());
  ASSERT_TRUE(results) << ui.lastMessage().toStdString();
  results->activateWindow();
  ASSERT_TRUE(becomesActive(results));

  // F1 reads the help of the result's bus (or says why it cannot).
  {
    const qsizetype opened = ui.opened.size();
    const qsizetype said = ui.messages.size();
    press(Qt::Key_F1);
    EXPECT_TRUE(ui.opened.size() > opened || ui.messages.size() > said);
  }

  // Ctrl+W closes the result.
  press(Qt::Key_W, Qt::ControlModifier);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(!results || !results->isVisible());
  window->activateWindow();
  ASSERT_TRUE(becomesActive(window.get()));

  // Tab to the comment, type at its end and, the cursor still there, Ctrl+Q:
  // the typing is an unsaved edit, Save writes it, then Yes to the question.
  for (int i = 0; i < 12 && QApplication::focusWidget() != f.commentField; ++i) press(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), f.commentField);
  press(Qt::Key_End);
  QTest::keyClicks(f.commentField, " checked");
  EXPECT_TRUE(window->isWindowModified());
  const qsizetype asked = ui.questions.size();
  const QString typed = dir.filePath("CAN_250K_CHECKED.BUS");
  ui.answers.enqueue(0);  // Save
  ui.files.enqueue({FileChoice::Kind::New, typed});
  ui.answers.enqueue(0);  // Yes
  press(Qt::Key_Q, Qt::ControlModifier);
  ASSERT_EQ(ui.questions.size(), asked + 2);
  EXPECT_EQ(ui.questions[asked].title, "Unsaved changes");
  QFile saved(typed);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_TRUE(saved.readAll().contains(" checked\"/>"));
  EXPECT_TRUE(window->quitRequested());
  EXPECT_TRUE(ui.messages.isEmpty() || !ui.lastMessage().contains("rror"))
      << ui.lastMessage().toStdString();
}
