// SPDX-License-Identifier: GPL-3.0-or-later
// Filing from the windows: the place proposed for a bus, the segments that
// may take the result, the technician's name asked once and kept in the
// settings, a result filed twice, the results window's item and the import
// dialog's offer.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "RegisterUiFixture.h"
#include "core/frame/Settings.h"
#include "core/register/RegisterTexts.h"
#include "core/results/ResultReader.h"
#include "ui/register/FileInRegisterDialog.h"
#include "ui/register/RegisterFeature.h"

using namespace karvel;
using namespace karvel::test;
using karvel::ui::FileInRegisterDialog;
using karvel::ui::RegisterWindow;
using karvel::ui::ResultWindow;

namespace {

class FileInRegister : public RegisterUi {
 protected:
  // A results window of a result file the user opened.
  ResultWindow* openResult(const QString& name, const QByteArray& bytes) {
    const QString path = writeResult(dir, name, bytes);
    ResultWindow* w = ui::ReadHTMLFile(state, path);
    EXPECT_NE(w, nullptr) << ui.lastMessage().toStdString();
    return w;
  }
  // Answers the dialog: site, segment and note typed, then File; what it
  // proposed and offered is kept.
  ui::PlaceChooser choose(const QString& site, const QString& segment, const QString& note = {}) {
    return [=, this](FileInRegisterDialog& d) {
      proposed = d.place();
      offered.clear();
      for (int i = 0; i < d.segmentBox()->count(); ++i) offered << d.segmentBox()->itemText(i);
      d.siteBox()->setEditText(site);
      offeredAfter.clear();
      for (int i = 0; i < d.segmentBox()->count(); ++i) offeredAfter << d.segmentBox()->itemText(i);
      d.segmentBox()->setEditText(segment);
      d.noteField()->setText(note);
      if (!d.fileButton()->isEnabled()) return false;
      return true;
    };
  }
  std::vector<RegisterEntry> filed() {
    Register reg;
    QString error;
    EXPECT_TRUE(reg.open(state.registerPath, English, &error));
    return reg.list({}, &error).value_or(std::vector<RegisterEntry>{});
  }

  ui::RegisterPlace proposed;
  QStringList offered, offeredAfter;
};

}  // namespace

TEST_F(FileInRegister, TheTechnicianIsAskedOnceAndKeptInTheSettings) {
  // A settings file as the program reads it at start.
  state.settingsPath = dir.filePath("karvel.ini");
  ValeurParDefaut(state);
  ASSERT_TRUE(SauvegardeIni(state.settingsPath, state, kZoomedGeometry));
  WindowGeometry place;
  ASSERT_TRUE(readSettingsFile(state.settingsPath, state, place));
  ASSERT_TRUE(state.technician.isEmpty());

  ResultWindow* w = openResult("LINE1.HTM", resultBytes("52.1", dateLine(1)));
  ASSERT_NE(w, nullptr);
  // Cancel on the name files nothing.
  ui.texts.enqueue(std::nullopt);
  EXPECT_FALSE(ui::fileResultInRegister(state, *w, choose("Depot", "Line 1")));
  EXPECT_TRUE(filed().empty());

  ui.texts.enqueue(QStringLiteral("  Jean   Martin "));
  const auto outcome = ui::fileResultInRegister(state, *w, choose("Depot", "Line 1", "first"));
  ASSERT_TRUE(outcome) << ui.lastMessage().toStdString();
  EXPECT_EQ(ui.textQuestions.size(), 2);
  EXPECT_EQ(ui.textQuestions.last().text, pick(registertext::kTechnicianQuestion, English));
  EXPECT_EQ(
      ui.lastMessage(),
      pick(registertext::kFiled, English).arg("LINE1.HTM").arg(outcome->id).arg("Depot", "Line 1"));
  ASSERT_EQ(filed().size(), 1u);
  EXPECT_EQ(filed()[0].technician, "Jean Martin");
  EXPECT_EQ(filed()[0].note, "first");
  EXPECT_EQ(filed()[0].fileName, "LINE1.HTM");

  AppState reread;
  ASSERT_TRUE(readSettingsFile(state.settingsPath, reread, place));
  EXPECT_EQ(reread.technician, "Jean Martin");

  // Known now: the next filing does not ask.
  ResultWindow* w2 = openResult("LINE1B.HTM", resultBytes("52.2", dateLine(2)));
  ASSERT_TRUE(ui::fileResultInRegister(state, *w2, choose("Depot", "Line 1")));
  EXPECT_EQ(ui.textQuestions.size(), 2);
  EXPECT_EQ(filed().back().technician, "Jean Martin");
}

TEST_F(FileInRegister, TheLastPlaceOfTheBusIsProposedAndOnlySegmentsThatTakeItAreOffered) {
  state.technician = QStringLiteral("Ana Ruiz");
  file("North", "A", 1);
  file("North", "B", 2, "green", "CAN - 500 kbit/s");
  file("South", "C", 3);
  ResultWindow* w = openResult("NEW.HTM", resultBytes("51.9", dateLine(9)));
  ASSERT_NE(w, nullptr);
  // A CAN segment of North is not offered for a LIN result.
  ASSERT_TRUE(ui::fileResultInRegister(state, *w, choose("North", "A")));
  EXPECT_EQ(proposed.site, "South");
  EXPECT_EQ(proposed.segment, "C");
  EXPECT_EQ(offered, (QStringList{"C"}));
  EXPECT_EQ(offeredAfter, (QStringList{"A"}));

  // Filed last: North / A is proposed now, whatever the dates.
  ResultWindow* w2 = openResult("NEXT.HTM", resultBytes("51.8", dateLine(7)));
  ASSERT_TRUE(ui::fileResultInRegister(state, *w2, choose("East", "New segment")));
  EXPECT_EQ(proposed.site, "North");
  EXPECT_EQ(proposed.segment, "A");
  EXPECT_EQ(filed().front().site, "East") << "a site typed new is made";

  // An empty segment cannot be filed.
  ResultWindow* w3 = openResult("THIRD.HTM", resultBytes("51.7", dateLine(8)));
  EXPECT_FALSE(ui::fileResultInRegister(state, *w3, choose("East", "  ")));
  EXPECT_EQ(filed().size(), 5u);
}

TEST_F(FileInRegister, AResultFiledTwiceIsToldWhereAndWhenItIsAlready) {
  state.technician = QStringLiteral("Ana Ruiz");
  const qint64 id = file("North", "A", 4);
  // The same bytes under another name, opened by the user.
  ResultWindow* w = openResult("COPY.HTM", resultBytes("52.4", dateLine(4)));
  ASSERT_NE(w, nullptr);
  // Said as the dialog opens, with where and when; no place to choose and
  // no File to press.
  QString notice, site;
  bool fileOffered = true, closeIsDefault = false;
  const auto outcome = ui::fileResultInRegister(state, *w, [&](FileInRegisterDialog& d) {
    notice = d.notice()->isVisibleTo(&d) ? d.notice()->text() : QString();
    site = d.siteBox()->currentText();
    fileOffered = d.fileButton()->isVisibleTo(&d) || d.siteBox()->isEnabled();
    closeIsDefault = d.cancelButton()->isDefault();
    return choose("South", "B")(d);
  });
  EXPECT_EQ(notice, pick(registertext::kAlreadyFiledNotice, English)
                        .arg("COPY.HTM")
                        .arg(id)
                        .arg("North", "A", "2026-11-04 09:00"));
  EXPECT_EQ(site, "North");
  EXPECT_FALSE(fileOffered);
  EXPECT_TRUE(closeIsDefault);
  ASSERT_TRUE(outcome);
  EXPECT_TRUE(outcome->alreadyFiled);
  EXPECT_EQ(outcome->id, id);
  EXPECT_EQ(outcome->site, "North");
  EXPECT_TRUE(ui.messages.isEmpty()) << "said once, in the dialog";
  EXPECT_EQ(filed().size(), 1u);
}

TEST_F(FileInRegister, TheResultsWindowsItemFilesAndAnOpenRegisterWindowShowsIt) {
  state.technician = QStringLiteral("Ana Ruiz");
  file("North", "A", 1);
  RegisterWindow* r = ui::openRegisterWindow(state);
  ASSERT_NE(r, nullptr);
  ResultWindow* w = openResult("MENU.HTM", resultBytes("52.6", dateLine(6)));
  ASSERT_NE(w, nullptr);
  auto* item = w->findChild<QAction*>("actionFileInRegister");
  ASSERT_NE(item, nullptr);
  EXPECT_FALSE(item->isEnabled()) << "dimmed while no register is attached";

  QObject* asker = nullptr;
  state.fileInRegister = [&](QObject* window) {
    asker = ui.dialogOwner();
    ui::fileResultInRegister(state, *qobject_cast<ResultWindow*>(window),
                             choose("North", "A", "from the menu"));
  };
  w->findChild<QMenu*>("menuFile")->aboutToShow();
  ASSERT_TRUE(item->isEnabled());
  item->trigger();
  EXPECT_EQ(asker, w) << "the register's dialogs belong to the results window";
  EXPECT_EQ(r->model()->rowCount(), 2) << "the open register window is read again";
  EXPECT_EQ(filed().back().note, "from the menu");
}

TEST_F(FileInRegister, TheDialogsDefaultButtonFilesAndEscapeCancels) {
  state.technician = QStringLiteral("Ana Ruiz");
  ResultWindow* w = openResult("KEYS.HTM", resultBytes("52.7", dateLine(7)));
  ASSERT_NE(w, nullptr);
  // The dialog as the user meets it, answered with keys alone.
  auto typeAndPress = [](int key) {
    QTimer::singleShot(0, [key] {
      auto* d = qobject_cast<FileInRegisterDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      d->siteBox()->setEditText("Quay");
      d->segmentBox()->setEditText("Crane 2");
      QTest::keyClick(d->noteField(), Qt::Key(key));
    });
  };
  typeAndPress(Qt::Key_Escape);
  EXPECT_FALSE(ui::fileResultInRegister(state, *w));
  EXPECT_TRUE(filed().empty());
  typeAndPress(Qt::Key_Return);
  ASSERT_TRUE(ui::fileResultInRegister(state, *w)) << ui.lastMessage().toStdString();
  ASSERT_EQ(filed().size(), 1u);
  EXPECT_EQ(filed()[0].segment, "Crane 2");
  EXPECT_EQ(filed()[0].sourcePath, QFileInfo(w->sourcePath()).absoluteFilePath())
      << "the user's own file is where it came from";

  // Return typed in the segment, an editable combo box whose completion
  // takes the key for itself once it completed a name: it files there.
  ResultWindow* w2 = openResult("KEYS2.HTM", resultBytes("52.8", dateLine(8)));
  ASSERT_NE(w2, nullptr);
  QTimer::singleShot(0, [] {
    auto* d = qobject_cast<FileInRegisterDialog*>(QApplication::activeModalWidget());
    if (!d) return;
    d->siteBox()->setEditText("Quay");
    d->segmentBox()->setEditText("");
    QTest::keyClicks(d->segmentBox(), "Cra");
    QTest::keyClick(d->segmentBox(), Qt::Key_Return);
    // Still open when Return did nothing: closed, so that the test fails
    // rather than waits.
    if (d->isVisible()) d->reject();
  });
  ASSERT_TRUE(ui::fileResultInRegister(state, *w2)) << ui.lastMessage().toStdString();
  ASSERT_EQ(filed().size(), 2u);
  EXPECT_EQ(filed()[1].segment, "Crane 2") << "the name as completed";
}

TEST_F(FileInRegister, TheImportOfferFilesOnlyWhenAcceptedWithTheInstrument) {
  state.technician = QStringLiteral("Ana Ruiz");
  ResultWindow* w = openResult("FETCHED.HTM", resultBytes("52.8", dateLine(8)));
  ASSERT_NE(w, nullptr);
  w->setInstrumentIdentification("TARVIK,RQ4102,4471052,V5.12\r\n");
  ui.answers.enqueue(1);  // Not now
  ui::offerFiling(state, *w, choose("North", "A"));
  ASSERT_EQ(ui.questions.size(), 1);
  EXPECT_EQ(ui.questions[0].text, pick(registertext::kOfferFiling, English).arg("FETCHED.HTM"));
  EXPECT_TRUE(filed().empty());
  ui.answers.enqueue(0);  // File ...
  ui::offerFiling(state, *w, choose("North", "A"));
  ASSERT_EQ(filed().size(), 1u);
  EXPECT_EQ(filed()[0].site, "North");
  EXPECT_EQ(filed()[0].instrument.model, "RQ4102");
  EXPECT_EQ(filed()[0].instrument.serial, "4471052");
  EXPECT_EQ(filed()[0].instrument.firmware, "V5.12");
}
