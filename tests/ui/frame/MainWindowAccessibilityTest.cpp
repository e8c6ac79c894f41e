// SPDX-License-Identifier: GPL-3.0-or-later
// The main window and the two generator dialogs for keyboard and screen
// reader users, in every language: every control named (through QAccessible,
// as AT-SPI reads it), Tab reaching every control in reading order and
// leaving the bus table, the Edit menu, default buttons, and focus visible in
// a light and a dark palette.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "core/bus/BusTexts.h"
#include "core/frame/Langue.h"
#include "support/AccessibilityAudit.h"
#include "support/ScriptedInteraction.h"
#include "ui/bus/BusPanel.h"
#include "ui/frame/Features.h"
#include "ui/frame/FocusStyle.h"
#include "ui/frame/MainWindow.h"
#include "ui_MainWindow.h"
#include "ui_NewSpeedDialog.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

// The window the keyboard goes to; Qt Test's own wait asks the platform
// window only, and the offscreen platform says yes before Qt has moved focus.
bool becomesActive(QWidget* w) {
  return w && QTest::qWaitFor([w] { return QApplication::activeWindow() == w->window(); });
}

constexpr int kLanguages[] = {French, English, German, Spanish, Italian};

class MainWindowAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.ui = &ui;
    state.clock = &clock;
    state.programDir = KARVEL_APPDIR;
    state.settingsPath = dir.filePath("karvel.ini");
    window = std::make_unique<MainWindow>(state);
    attachFeatures(*window);
    window->GestionMenu(item::FirstLanguage + English);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(becomesActive(window.get()));
  }
  void TearDown() override { window.reset(); }

  void open(const char* sample) {
    const QString path = dir.filePath(QString::fromLatin1(sample).section('/', -1));
    QFile::copy(QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/") + sample, path);
    ui.files.enqueue({FileChoice::Kind::Existing, path});
    window->GestionMenu(item::Open);
    ASSERT_TRUE(state.xmlDocument) << ui.lastMessage().toStdString();
  }
  void language(int l) { window->GestionMenu(item::FirstLanguage + l); }
  BusPanel& panel() { return *BusPanel::of(window.get()); }
  Ui::MainWindow& f() { return window->form(); }

  static void expectClean(QWidget* root, const std::string& where) {
    const auto names = test::auditAccessibility(root);
    EXPECT_TRUE(names.empty()) << where << ":\n" << test::joinProblems(names);
    const auto chain = test::auditFocusChain(root);
    EXPECT_TRUE(chain.empty()) << where << ":\n" << test::joinProblems(chain);
  }

  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
  std::unique_ptr<MainWindow> window;
};

using karvel::test::mnemonic;

}  // namespace

TEST_F(MainWindowAccess, EveryControlNamedAndReachedInEveryLanguage) {
  for (int l : kLanguages) {
    language(l);
    expectClean(window.get(), "no file, language " + std::to_string(l));
  }
  open("RQ4102/CAN_HS.BUS");
  for (int l : kLanguages) {
    language(l);
    const std::string where = "CAN_HS.BUS, language " + std::to_string(l);
    expectClean(window.get(), where);
    // Names follow the language, and the generator buttons say what they
    // generate while starting with what they show (speech input says it).
    EXPECT_EQ(f().busTable->accessibleName(), pick(text::kNameBusTable, l)) << where;
    const QString shown = f().speedNextButton->text().remove(u'>').trimmed();
    EXPECT_TRUE(f().speedNextButton->accessibleName().startsWith(shown)) << where;
    EXPECT_TRUE(f().voltageNextButton->accessibleName().startsWith(shown)) << where;
    EXPECT_NE(f().speedNextButton->accessibleName(), f().voltageNextButton->accessibleName());
    EXPECT_EQ(f().busPicture->accessibleDescription(), f().busField->text()) << where;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(f().busTable);
    EXPECT_EQ(table->text(QAccessible::Name), pick(text::kNameBusTable, l));
    EXPECT_FALSE(table->text(QAccessible::Description).isEmpty());
    // Read-only fields are named by their labels.
    QAccessibleInterface* frequency = QAccessible::queryAccessibleInterface(f().frequencyField);
    EXPECT_EQ(frequency->text(QAccessible::Name), pick(text::kLabelFrequency, l)) << where;
  }
}

TEST_F(MainWindowAccess, GeneratorDialogsNamedAndReachedInEveryLanguage) {
  open("RQ4102/CAN_HS.BUS");
  for (int l : kLanguages) {
    language(l);
    for (bool speed : {true, false}) {
      QPointer<QDialog> dialog = panel().CreationFichier(speed);
      ASSERT_TRUE(dialog);
      ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
      expectClean(dialog, (speed ? "speed dialog, language " : "voltage dialog, language ") +
                              std::to_string(l));
      if (speed) {
        auto* field = dialog->findChild<QWidget*>("kiloField");
        EXPECT_EQ(QAccessible::queryAccessibleInterface(field)->text(QAccessible::Name),
                  pick(bustext::kNameSpeedKilo, l));
      }
      dialog->close();
      QTest::qWait(0);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      EXPECT_FALSE(dialog);
    }
  }
}

TEST_F(MainWindowAccess, TabVisitsTheControlsInReadingOrder) {
  open("RQ4102/CAN_HS.BUS");
  const std::vector<QWidget*> expected = {
      f().fileField,       f().busField,        f().commentField,
      f().busTable,        f().frequencyField,  f().bitTimeField,
      f().maxVoltageField, f().speedNextButton, f().voltageNextButton};
  EXPECT_EQ(test::tabStops(window.get()), expected);

  // The same with real key presses, round the window and back.
  f().fileField->setFocus(Qt::TabFocusReason);
  for (std::size_t i = 1; i <= expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), expected[i % expected.size()]) << "Tab " << i;
  }
}

TEST_F(MainWindowAccess, TabShiftTabAndCtrlTabLeaveTheBusTableArrowsMoveInside) {
  open("RQ4102/CAN_HS.BUS");
  QTableWidget* table = f().busTable;
  auto enterTable = [&] {
    table->setFocus(Qt::TabFocusReason);
    table->setCurrentCell(2, 0);
    ASSERT_EQ(QApplication::focusWidget(), table);
  };
  enterTable();
  QTest::keyClick(table, Qt::Key_Down);
  QTest::keyClick(table, Qt::Key_Right);
  EXPECT_EQ(table->currentRow(), 3);
  EXPECT_EQ(table->currentColumn(), 1);
  EXPECT_EQ(QApplication::focusWidget(), table);

  QTest::keyClick(table, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), f().frequencyField);
  enterTable();
  QTest::keyClick(table, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), f().commentField);
  enterTable();
  QTest::keyClick(table, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), f().frequencyField);
  enterTable();
  QTest::keyClick(table, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), f().commentField);
}

TEST_F(MainWindowAccess, EditMenuBetweenFileAndOptionsInEveryLanguage) {
  const QList<QAction*> bar = window->menuBar()->actions();
  ASSERT_EQ(bar.size(), 4);
  EXPECT_EQ(bar[0], f().menuFile->menuAction());
  EXPECT_EQ(bar[1], f().menuEdit->menuAction());
  EXPECT_EQ(bar[2], f().menuOptions->menuAction());
  EXPECT_EQ(bar[3], f().menuHelp->menuAction());

  const QList<QAction*> edit = f().menuEdit->actions();
  ASSERT_EQ(edit.size(), 5);
  EXPECT_EQ(edit[0], f().actionUndo);
  EXPECT_EQ(edit[1], f().actionRedo);
  EXPECT_TRUE(edit[2]->isSeparator());
  EXPECT_EQ(edit[3], f().actionNewSpeed);
  EXPECT_EQ(edit[4], f().actionNewVoltage);
  EXPECT_EQ(f().actionUndo->shortcut(), QKeySequence(QKeySequence::Undo));
  EXPECT_TRUE(f().actionRedo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
  EXPECT_TRUE(f().actionRedo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
  EXPECT_FALSE(f().actionNewSpeed->shortcut().isEmpty());
  EXPECT_FALSE(f().actionNewVoltage->shortcut().isEmpty());

  // No shortcut of the window runs two items.
  QList<QKeySequence> keys;
  for (QAction* a : window->findChildren<QAction*>()) {
    for (const QKeySequence& k : a->shortcuts()) {
      EXPECT_FALSE(keys.contains(k)) << k.toString().toStdString();
      keys.append(k);
    }
  }

  for (int l : kLanguages) {
    language(l);
    EXPECT_EQ(f().menuEdit->title(), menuText(pick(text::kMenuEdit, l)));
    EXPECT_EQ(f().actionNewSpeed->text(), menuText(pick(text::kItemNewSpeed, l)));
    EXPECT_EQ(f().actionNewVoltage->text(), menuText(pick(text::kItemNewVoltage, l)));
    QList<QChar> top;
    for (QAction* a : window->menuBar()->actions()) {
      const QChar m = mnemonic(a->text());
      EXPECT_FALSE(m.isNull()) << a->text().toStdString();
      EXPECT_FALSE(top.contains(m)) << "language " << l << ": " << a->text().toStdString();
      top.append(m);
    }
    QList<QChar> items;
    for (QAction* a : edit) {
      if (a->isSeparator()) continue;
      const QChar m = mnemonic(a->text());
      EXPECT_FALSE(m.isNull()) << a->text().toStdString();
      EXPECT_FALSE(items.contains(m) || top.contains(m))
          << "language " << l << ": " << a->text().toStdString();
      items.append(m);
    }
  }

  // The dispatcher's items keep their menus, order and texts.
  language(English);
  QStringList file;
  for (QAction* a : f().menuFile->actions())
    if (a->property("karvelItem").isValid()) file.append(a->text());
  EXPECT_EQ(file, QStringList({"&Open ...", "S&ave ...", "&Close", "&Import ...", "&Export ...",
                               "Prin&t ...", "E&xit"}));
  EXPECT_EQ(f().menuOptions->actions().first(), window->menuItem(item::Communication));
}

TEST_F(MainWindowAccess, EditItemsRunWhenTheButtonsAndTheUndoStackAllow) {
  for (QAction* a : {f().actionUndo, f().actionRedo, f().actionNewSpeed, f().actionNewVoltage})
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
  for (const char* sample :
       {"RQ4102/CAN_HS.BUS", "RQ4102/LIN.BUS", "RQ6102/RS485.bus", "RQ4102/PROFIBUS_DP.BUS"}) {
    open(sample);
    EXPECT_EQ(f().actionNewSpeed->isEnabled(), f().speedNextButton->isEnabled()) << sample;
    EXPECT_EQ(f().actionNewVoltage->isEnabled(), f().voltageNextButton->isEnabled()) << sample;
    EXPECT_FALSE(f().actionUndo->isEnabled());
  }
  open("RQ4102/CAN_HS.BUS");
  QAbstractItemModel* model = f().busTable->model();
  const QString before = f().busTable->item(6, 1)->text();
  ASSERT_TRUE(model->setData(model->index(6, 1), QString::fromUtf8("2.1 \xC2\xB5s")));
  const QString edited = f().busTable->item(6, 1)->text();
  ASSERT_NE(edited, before);
  EXPECT_TRUE(f().actionUndo->isEnabled());
  EXPECT_FALSE(f().actionRedo->isEnabled());
  f().actionUndo->trigger();
  EXPECT_EQ(f().busTable->item(6, 1)->text(), before);
  EXPECT_FALSE(f().actionUndo->isEnabled());
  EXPECT_TRUE(f().actionRedo->isEnabled());
  f().actionRedo->trigger();
  EXPECT_EQ(f().busTable->item(6, 1)->text(), edited);

  f().actionNewSpeed->trigger();
  auto* speed = qobject_cast<QWidget*>(state.speedPanel.data());
  ASSERT_TRUE(speed);
  EXPECT_TRUE(speed->isVisible());
  speed->close();
  f().actionNewVoltage->trigger();
  auto* voltage = qobject_cast<QWidget*>(state.voltagePanel.data());
  ASSERT_TRUE(voltage);
  EXPECT_TRUE(voltage->isVisible());
  voltage->close();

  // Closed (the edit given up): nothing to generate, nothing to undo.
  ui.answers.enqueue(1);
  window->GestionMenu(item::Close);
  for (QAction* a : {f().actionUndo, f().actionNewSpeed, f().actionNewVoltage})
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
}

TEST_F(MainWindowAccess, GeneratorDialogsReturnGeneratesEscapeCancels) {
  open("RQ4102/CAN_HS.BUS");
  for (bool speed : {true, false}) {
    // Return in the number field presses Generate: the file name is asked.
    QPointer<QDialog> dialog = panel().CreationFichier(speed);
    ASSERT_TRUE(becomesActive(dialog));
    QWidget* field = QApplication::focusWidget();
    ASSERT_TRUE(field && dialog->isAncestorOf(field));
    const qsizetype asked = ui.fileRequests.size();
    ui.files.enqueue({FileChoice::Kind::None, QString()});  // then cancelled
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(ui.fileRequests.size(), asked + 1) << (speed ? "speed" : "voltage");

    // Return on Quit quits without generating; Escape cancels.
    dialog = panel().CreationFichier(speed);
    ASSERT_TRUE(becomesActive(dialog));
    auto* quit = dialog->findChild<QPushButton*>("quitButton");
    quit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(quit, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog);
    EXPECT_EQ(ui.fileRequests.size(), asked + 1);

    dialog = panel().CreationFichier(speed);
    ASSERT_TRUE(becomesActive(dialog));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog);
    EXPECT_EQ(ui.fileRequests.size(), asked + 1);
  }
}

namespace {

// WCAG 2 relative luminance and contrast ratio.
double luminance(const QColor& c) {
  auto linear = [](double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How far the widget's look changes when Tab brings the focus to it: the
// largest contrast between a pixel with and without focus.
double focusChange(QWidget* w) {
  QWidget* start = w->window()->findChild<QLineEdit*>("busField");
  start->setFocus(Qt::OtherFocusReason);
  const QImage without = w->grab().toImage();
  QWidget* target = w->focusProxy() ? w->focusProxy() : w;
  for (int i = 0; i < 12 && QApplication::focusWidget() != target; ++i)
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  if (QApplication::focusWidget() != target) return 0.0;
  const QImage with = w->grab().toImage();
  double most = 1.0;
  if (with.size() != without.size()) return most;
  for (int y = 0; y < with.height(); ++y)
    for (int x = 0; x < with.width(); ++x)
      most = std::max(most, contrast(with.pixelColor(x, y), without.pixelColor(x, y)));
  return most;
}

QPalette palette(bool dark) {
  QPalette p;
  if (dark) {
    // As dark desktop themes set it.
    p.setColor(QPalette::Window, QColor(53, 53, 53));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, QColor(35, 35, 35));
    p.setColor(QPalette::AlternateBase, QColor(45, 45, 45));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Button, QColor(53, 53, 53));
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
  } else {
    p.setColor(QPalette::Window, QColor(0xEF, 0xEF, 0xEF));
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, QColor(0xF7, 0xF7, 0xF7));
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Button, QColor(0xEF, 0xEF, 0xEF));
    p.setColor(QPalette::ButtonText, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0x30, 0x8C, 0xC6));
    p.setColor(QPalette::HighlightedText, Qt::white);
  }
  return p;
}

}  // namespace

// A focus indicator must change the look by at least 3:1 somewhere.
TEST_F(MainWindowAccess, FocusIsVisibleInLightAndDarkPalettes) {
  useProgramStyle();
  open("RQ4102/CAN_HS.BUS");
  for (bool dark : {false, true}) {
    window->setPalette(palette(dark));
    const char* where = dark ? "dark" : "light";
    EXPECT_GE(focusChange(f().speedNextButton), 3.0) << where;
    EXPECT_GE(focusChange(f().commentField), 3.0) << where;
    EXPECT_GE(focusChange(f().frequencyField), 3.0) << where;
    // The table shows which cell has the focus as soon as Tab enters it,
    // also when its rows were rebuilt since (here by an undo).
    QAbstractItemModel* model = f().busTable->model();
    ASSERT_TRUE(model->setData(model->index(6, 1), QString::fromUtf8("2.1 \xC2\xB5s")));
    f().actionUndo->trigger();
    f().busTable->setCurrentCell(-1, -1);
    f().busTable->clearSelection();
    EXPECT_GE(focusChange(f().busTable->viewport()), 3.0) << where;
    EXPECT_EQ(QApplication::focusWidget(), f().busTable) << where;
  }
}
