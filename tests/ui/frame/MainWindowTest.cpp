// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "core/frame/Langue.h"
#include "support/ScriptedInteraction.h"
#include "ui/bus/BusFeature.h"
#include "ui/frame/AboutDialog.h"
#include "ui/frame/MainWindow.h"
#include "ui_AboutDialog.h"
#include "ui_MainWindow.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.ui = &ui;
    state.clock = &clock;
    state.programDir = KARVEL_APPDIR;
    state.settingsPath = dir.filePath("karvel.ini");
    window = std::make_unique<MainWindow>(state);
    window->GestionMenu(item::FirstLanguage + English);
  }

  QStringList toolbarTips() const {
    QStringList tips;
    const auto actions = window->toolbar()->actions();
    for (QAction* a : actions) tips.append(a->isSeparator() ? QStringLiteral("|") : a->toolTip());
    return tips;
  }

  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
  std::unique_ptr<MainWindow> window;
};

}  // namespace

TEST_F(MainWindowTest, FormHoldsTheNamedElements) {
  Ui::MainWindow& f = window->form();
  EXPECT_EQ(window->windowTitle(), "KARVEL version 2.1");
  EXPECT_TRUE(f.fileField->isReadOnly());
  EXPECT_TRUE(f.maxVoltageField->isReadOnly());
  EXPECT_EQ(f.busTable->columnCount(), 3);
  EXPECT_EQ(f.busTable->horizontalHeaderItem(2)->text(), "Warning");
  EXPECT_FALSE(f.speedNextButton->isEnabled());
  EXPECT_FALSE(f.voltageNextButton->isEnabled());
  EXPECT_EQ(f.speedNextButton->text(), "Next >>>");
  EXPECT_EQ(state.mainPanel, window.get());
  for (int n : {3, 4, 5, 7, 8, 10, 12, 14, 17, 18, 19, 20, 21, 23, 25}) {
    EXPECT_NE(window->menuItem(n), nullptr) << n;
  }
  EXPECT_EQ(f.actionExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

TEST_F(MainWindowTest, ToolbarEndFollowsTheSession) {
  const QStringList fixed = {"Open", "Save", "Import", "Export", "Print", "|", "Help", "|"};
  EXPECT_EQ(toolbarTips(), fixed + QStringList{"Communication"});
  EXPECT_EQ(window->toolbar()->actions().last()->objectName(), "stopButton");

  window->AfficheCom(1);
  ASSERT_EQ(window->toolbar()->actions().size(), 10);
  EXPECT_EQ(toolbarTips().mid(0, 8), fixed);
  EXPECT_EQ(window->toolbar()->actions()[8]->objectName(), "goButton");
  auto* name = window->toolbar()->findChild<QLabel*>("connectionName");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->text(), "USB");

  // Repeating a state never grows the toolbar.
  window->AfficheCom(1);
  EXPECT_EQ(window->toolbar()->actions().size(), 10);
  window->AfficheCom(0);
  EXPECT_EQ(toolbarTips(), fixed + QStringList{"Communication"});
  window->AfficheCom(0);
  EXPECT_EQ(window->toolbar()->actions().size(), 9);

  // The instrument layer reaches it through the state.
  ASSERT_TRUE(state.afficheCom);
  state.connectionType = Ethernet;
  state.afficheCom(1);
  EXPECT_EQ(window->toolbar()->actions().size(), 10);
}

TEST_F(MainWindowTest, LanguageSwitchRebuildsTheToolbarWithItsEnd) {
  state.sessionOpen = 1;
  state.connectionType = RS232;
  window->GestionMenu(item::FirstLanguage + Italian);
  EXPECT_EQ(window->toolbar()->actions().size(), 10);
  EXPECT_EQ(window->toolbar()->actions()[6]->toolTip(), "Aiuto");
  EXPECT_EQ(window->toolbar()->actions()[8]->toolTip(), "Comunicazione");
  EXPECT_EQ(window->toolbar()->findChild<QLabel*>("connectionName")->text(), "RS232");

  state.sessionOpen = 0;
  window->GestionMenu(item::FirstLanguage + Spanish);
  EXPECT_EQ(toolbarTips(), (QStringList{"Abrir", "Guardar", "Importar", "Exportar", "Imprimir", "|",
                                        "Ayunda", "|", "Communicación"}));
  EXPECT_EQ(state.toolbar, window->toolbar());
}

TEST_F(MainWindowTest, FiveLanguagesReachMenusAndLabels) {
  struct Expect {
    int language;
    const char* file;
    const char* exit;
    const char* comments;
    const char* warning;
    const char* help;
  };
  const Expect all[] = {
      {French, "&Fichier", "&Quitter", "Commentaires", "Avertissement", "Aide"},
      {English, "&File", "E&xit", "Comments", "Warning", "Help"},
      {German, "&Datei", "&Beenden", "Kommentare", "Warnung", "Hilfe"},
      {Spanish, "&Fichero", "Sali&r", "Comentarios", "Aviso", "Ayunda"},
      {Italian, "&File", "&Esci", "Commenti", "Avviso", "Aiuto"},
  };
  for (const Expect& e : all) {
    window->GestionMenu(item::FirstLanguage + e.language);
    Ui::MainWindow& f = window->form();
    EXPECT_EQ(state.language, e.language);
    EXPECT_EQ(f.menuFile->title(), e.file);
    EXPECT_EQ(f.actionExit->text(), e.exit);
    EXPECT_EQ(f.commentLabel->text(), e.comments);
    EXPECT_EQ(f.busTable->horizontalHeaderItem(2)->text(), e.warning);
    EXPECT_EQ(window->toolbar()->actions()[6]->toolTip(), e.help);
    EXPECT_EQ(f.speedCaption->text(), pick(text::kCaptionSpeed, e.language));
    // Exactly the chosen language carries the check mark.
    for (int l = 0; l < kLanguageCount; ++l) {
      EXPECT_EQ(window->menuItem(item::FirstLanguage + l)->isChecked(), l == e.language);
    }
  }
  // Choosing the active language keeps its mark.
  window->menuItem(item::FirstLanguage + Italian)->trigger();
  EXPECT_TRUE(window->menuItem(item::FirstLanguage + Italian)->isChecked());
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(MainWindowTest, StandardDialogsSpeakTheChosenLanguage) {
  auto cancelText = [] {
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text();
  };
  window->GestionMenu(item::FirstLanguage + German);
  EXPECT_EQ(cancelText(), "Abbrechen");
  window->GestionMenu(item::FirstLanguage + French);
  EXPECT_EQ(cancelText(), "Annuler");
  window->GestionMenu(item::FirstLanguage + English);
  EXPECT_EQ(cancelText(), "Cancel");
}

// Files dropped on the window follow the Open rule; Open starts in the
// folder of the last file opened; File > Recent files lists them.
TEST_F(MainWindowTest, DroppedFilesOpenAndAreRemembered) {
  QStringList buses, results;
  window->commands().openBus = [&](const QString& p) {
    buses.append(p);
    return 0;
  };
  window->commands().openResult = [&](const QString& p) { results.append(p); };
  QDir(dir.path()).mkpath("data");
  const QString bus = dir.filePath("data/CAN.BUS");
  const QString result = dir.filePath("data/RUN.htm");
  for (const QString& p : {bus, result}) {
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(bus), QUrl::fromLocalFile(result)});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window.get(), &drop);
  EXPECT_EQ(buses, QStringList{bus});
  EXPECT_EQ(results, QStringList{result});

  window->GestionMenu(item::Open);  // cancelled
  EXPECT_EQ(ui.fileRequests.last().folder, dir.filePath("data"));
  auto* recent = window->findChild<QMenu*>("menuRecent");
  ASSERT_TRUE(recent);
  emit recent->aboutToShow();
  ASSERT_EQ(recent->actions().size(), 2);
  EXPECT_TRUE(recent->actions()[0]->text().endsWith(result));  // newest first
  recent->actions()[1]->trigger();
  EXPECT_EQ(buses.size(), 2);
}

TEST_F(MainWindowTest, OpenSendsBusAndResultFilesToTheirCommands) {
  QStringList buses, results;
  window->commands().openBus = [&](const QString& p) {
    buses.append(p);
    return 0;
  };
  window->commands().openResult = [&](const QString& p) { results.append(p); };
  auto open = [&](const QString& path) {
    ui.files.enqueue({FileChoice::Kind::Existing, path});
    window->GestionMenu(item::Open);
  };
  open("C:\\data\\can.bus");
  EXPECT_EQ(ui.fileRequests.last().pattern, "*.BUS");
  open("C:\\data\\RESULT.htm");
  open("C:\\data\\notes.txt");
  EXPECT_EQ(ui.fileRequests.last().pattern, "*.HTM");  // a result was opened last
  open("C:\\x.bus\\r1.htm");
  EXPECT_EQ(buses, (QStringList{"C:\\data\\can.bus", "C:\\x.bus\\r1.htm"}));
  EXPECT_EQ(results, QStringList{"C:\\data\\RESULT.htm"});
  EXPECT_EQ(ui.fileRequests.first().title, "BUS File");
  EXPECT_EQ(ui.fileRequests.first().types, (QStringList{"BUS files (*.BUS)", "HTM files (*.HTM)"}));

  // A failed load is reported and does not count as the last file opened.
  window->commands().openBus = [](const QString&) { return -12; };
  state.lastOpenKind = 1;
  open("C:\\data\\bad.BUS");
  EXPECT_EQ(ui.messages.last().title, "Error");
  EXPECT_EQ(state.lastOpenKind, 1);

  // A cancelled dialog does nothing.
  window->GestionMenu(item::Open);
  EXPECT_EQ(ui.messages.size(), 1);
}

TEST_F(MainWindowTest, AttachedCommandsRunAndUnattachedOnesDoNothing) {
  for (int n : {4, 5, 7, 8, 14, 0, 1, 99}) window->GestionMenu(n);
  EXPECT_TRUE(ui.messages.isEmpty());
  QList<int> ran;
  window->commands().save = [&] { ran.append(4); };
  window->commands().close = [&] { ran.append(5); };
  window->commands().importFiles = [&] { ran.append(7); };
  window->commands().exportFile = [&] { ran.append(8); };
  window->commands().communication = [&] { ran.append(14); };
  for (int n : {4, 5, 7, 8, 14}) window->menuItem(n)->trigger();
  window->toolbar()->actions()[1]->trigger();  // the toolbar's Save
  EXPECT_EQ(ran, (QList<int>{4, 5, 7, 8, 14, 4}));
}

TEST_F(MainWindowTest, ConnectToggleRunsTheSessionCommand) {
  window->commands().toggleSession = [&] { state.sessionOpen = !state.sessionOpen; };
  window->toolbar()->actions()[8]->trigger();
  EXPECT_EQ(state.sessionOpen, 1);
  EXPECT_EQ(window->toolbar()->actions().size(), 10);
  window->toolbar()->actions()[8]->trigger();
  EXPECT_EQ(window->toolbar()->actions().size(), 9);

  // A failed opening leaves the stop button, unpressed.
  window->commands().toggleSession = [] {};
  window->toolbar()->actions()[8]->trigger();
  ASSERT_EQ(window->toolbar()->actions().size(), 9);
  EXPECT_FALSE(window->toolbar()->actions()[8]->isChecked());
}

TEST_F(MainWindowTest, QuitWritesTheSettingsWhateverTheAnswer) {
  // Text typed into the bus panel's comment, the cursor still in the field:
  // the settings are written, then the unsaved edit is asked for before the
  // quit question, and Cancel goes on with the program.
  attachBusFeature(*window);
  window->show();
  const QString bus = dir.filePath("CAN_HS.BUS");
  ASSERT_TRUE(QFile::copy(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/CAN_HS.BUS", bus));
  ui.files.enqueue({FileChoice::Kind::Existing, bus});
  window->GestionMenu(item::Open);
  ASSERT_TRUE(state.xmlDocument);
  QLineEdit* comment = window->form().commentField;
  comment->end(false);
  QTest::keyClicks(comment, " checked");
  ui.answers.enqueue(2);  // Cancel
  window->GestionMenu(item::Exit);
  ASSERT_EQ(ui.questions.size(), 1);
  EXPECT_EQ(ui.questions[0].title, "Unsaved changes");
  EXPECT_FALSE(window->quitRequested());
  EXPECT_TRUE(QFile::exists(state.settingsPath));
  EXPECT_TRUE(comment->text().endsWith(" checked"));
  ui.answers.enqueue(1);  // Discard, on Close
  window->GestionMenu(item::Close);
  ASSERT_EQ(ui.questions.size(), 2);
  EXPECT_FALSE(state.xmlDocument);
  ui.questions.clear();
  QFile::remove(state.settingsPath);

  state.languageChosen = 1;
  window->GestionMenu(item::FirstLanguage + German);
  ui.answers.enqueue(1);  // No
  window->GestionMenu(item::Exit);
  ASSERT_EQ(ui.questions.size(), 1);
  EXPECT_EQ(ui.questions[0].title, "Beenden");
  EXPECT_EQ(ui.questions[0].text, "Wollen sie KARVEL beenden ?\n");
  EXPECT_FALSE(window->quitRequested());
  QFile file(state.settingsPath);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
  const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
  EXPECT_EQ(lines[0], "1 1");
  EXPECT_EQ(lines[2], "2");
  file.close();
  QFile::remove(state.settingsPath);

  // Closing the window is the same question; Yes ends the program.
  bool spreadsheetClosed = false;
  window->commands().closeSpreadsheet = [&] { spreadsheetClosed = true; };
  state.excelRunning = 1;
  ui.answers.enqueue(0);
  window->close();
  EXPECT_TRUE(window->quitRequested());
  EXPECT_TRUE(spreadsheetClosed);
  EXPECT_TRUE(QFile::exists(state.settingsPath));
}

TEST_F(MainWindowTest, ContentsOpensTheHelpOfTheLanguage) {
  window->GestionMenu(item::Contents);
  window->GestionMenu(item::FirstLanguage + German);
  window->toolbar()->actions()[6]->trigger();
  ASSERT_EQ(ui.opened.size(), 2);
  EXPECT_EQ(ui.opened[0].toLocalFile(), QString(KARVEL_APPDIR) + "/help/KARVEL_gb.pdf");
  EXPECT_EQ(ui.opened[1].toLocalFile(), QString(KARVEL_APPDIR) + "/help/KARVEL_de.pdf");
}

TEST_F(MainWindowTest, AboutShowsTheDateAndItsLinksOpenTheSupportPage) {
  AboutDialog about(state);
  about.setBuildDate("01-12-2016", 2016);
  window->setAboutPanel(&about);
  about.showAsSplash();
  EXPECT_FALSE(about.form().dateText->isVisibleTo(&about));
  EXPECT_TRUE(about.form().startupText->isVisibleTo(&about));
  about.hide();

  window->GestionMenu(item::About);
  EXPECT_TRUE(about.isVisible());
  EXPECT_TRUE(about.form().dateText->isVisible());
  EXPECT_FALSE(about.form().startupText->isVisible());
  EXPECT_EQ(about.form().dateText->text(), "01-12-2016");
  EXPECT_TRUE(about.form().noticeText->text().contains("2016"));

  state.language = Spanish;
  about.Presentation(AboutDialog::Control::SupportLink);
  state.language = French;
  about.Presentation(AboutDialog::Control::SupportLink);
  about.Presentation(AboutDialog::Control::MakerLink);
  ASSERT_EQ(ui.opened.size(), 3);
  EXPECT_TRUE(ui.opened[0].toString().endsWith("txtLangue=uk"));
  EXPECT_TRUE(ui.opened[1].toString().endsWith("txtLangue=fr"));
  EXPECT_EQ(ui.opened[0].host(), ui.opened[2].host());
  EXPECT_TRUE(about.form().supportLink->styleSheet().contains("#800080"));
  EXPECT_EQ(clock.waits, (QList<int>{2000, 2000, 2000}));

  about.Presentation(AboutDialog::Control::Close);
  EXPECT_FALSE(about.isVisible());
}

TEST_F(MainWindowTest, PrintRemembersTheDialogChoicesOnlyAfterPrinting) {
  // Cancelled: nothing changes.
  ui.printAnswers.enqueue(false);
  window->GestionMenu(item::Print);
  EXPECT_EQ(state.printOption1, 2);

  ui.printAnswers.enqueue(true);
  ui.printReply.colourMode = 1;
  ui.printReply.duplex = 1;
  ui.printReply.outputFile = dir.filePath("window.pdf");
  window->resize(800, 600);
  window->GestionMenu(item::Print);
  EXPECT_TRUE(ui.messages.isEmpty());
  EXPECT_EQ(state.printOption1, 1);
  EXPECT_EQ(state.printOption2, 1);
  QFile pdf(dir.filePath("window.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));

  // A printer that cannot start: the error box, the options stay.
  ui.printAnswers.enqueue(true);
  ui.printReply.colourMode = 0;
  ui.printReply.outputFile = dir.filePath("no-such-folder/x.pdf");
  window->GestionMenu(item::Print);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].title, "Error");
  EXPECT_EQ(state.printOption1, 1);
}

TEST_F(MainWindowTest, GeometryPlacesAndMaximises) {
  // (The test screen is 800 pixels wide and high.)
  window->placeWindow({40, 20, 620, 760, 0});
  const WindowGeometry g = window->windowGeometry();
  EXPECT_EQ(g, (WindowGeometry{40, 20, 620, 760, 0}));
  window->placeWindow({30, 30, 550, 490, kZoomMaximised});
  EXPECT_EQ(window->windowGeometry().zoom, kZoomMaximised);
  // All zeros (a rebuilt file) keep the designed size as far as the screen
  // holds it: the height here, not the width.
  MainWindow other(state);
  const QSize designed = other.size();
  other.placeWindow({});
  EXPECT_EQ(other.height(), designed.height());
  EXPECT_LT(other.width(), designed.width());
  EXPECT_TRUE(other.screen()->availableGeometry().contains(other.geometry()));
}
