// SPDX-License-Identifier: GPL-3.0-or-later
// Results window commands without widgets: the cascade, saving under a new
// name and the per-bus help document.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include "core/results/ResultCommands.h"
#include "core/results/ResultTexts.h"
#include "support/ScriptedInteraction.h"

using namespace karvel;
using karvel::test::ScriptedInteraction;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(bytes);
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct ResultSaveFlow : ::testing::Test {
  QTemporaryDir dir;
  ScriptedInteraction ui;
  AppState state;
  QString source;

  void SetUp() override {
    state.ui = &ui;
    source = dir.filePath("CAN_01.HTM");
    writeFile(source, "<H1>result</H1>\r\n");
  }
  void answerFile(FileChoice::Kind kind, const QString& path) { ui.files.enqueue({kind, path}); }
};

}  // namespace

TEST(ResultCascade, FirstAndTwentyFirstWindows) {
  EXPECT_EQ(resultWindowPosition(0), QPoint(80, 80));
  EXPECT_EQ(resultWindowPosition(1), QPoint(100, 100));
  EXPECT_EQ(resultWindowPosition(19), QPoint(460, 460));
  EXPECT_EQ(resultWindowPosition(20), QPoint(480, 80));  // the 21st: top back, left on
  EXPECT_EQ(resultWindowPosition(40), QPoint(80, 80));
  AppState state;
  state.resultWindowCount = 20;
  EXPECT_EQ(takeResultWindowPosition(state), QPoint(480, 80));
  EXPECT_EQ(takeResultWindowPosition(state), QPoint(500, 100));
  EXPECT_EQ(state.resultWindowCount, 22);
}

TEST(ResultSave, ProposalStopsAtTheFirstDotOfThePath) {
  // The first dot of the file's name: a dotted folder does not cut it.
  EXPECT_EQ(proposedSaveName("C:\\My.Data\\bus.htm"), "C:\\My.Data\\bus.HTM");
  EXPECT_EQ(proposedSaveName("/home/u/.local/run.2.htm"), "/home/u/.local/run.HTM");
  EXPECT_EQ(proposedSaveName("/home/u/.hidden.htm"), "/home/u/hidden.HTM");
  EXPECT_EQ(proposedSaveName("C:\\karvel\\CAN_01.tmp"), "C:\\karvel\\CAN_01.HTM");
  EXPECT_EQ(proposedSaveName("/data/result"), "/data/result.HTM");
}

TEST_F(ResultSaveFlow, NewNameCopiesUnderLowerCaseName) {
  answerFile(FileChoice::Kind::New, dir.filePath("Saved.HTM"));
  const std::optional<QString> title = saveResultAs(state, source);
  ASSERT_TRUE(title.has_value());
  const QString saved = dir.filePath("saved.htm");
  EXPECT_EQ(*title, "File : " + QDir::toNativeSeparators(saved));
  EXPECT_EQ(readFile(saved), readFile(source));
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("Saved.HTM")));
  EXPECT_TRUE(ui.questions.isEmpty());
  ASSERT_EQ(ui.fileRequests.size(), 1);
  EXPECT_EQ(ui.fileRequests[0].defaultFile, proposedSaveName(source));
  EXPECT_EQ(ui.fileRequests[0].pattern, "*.HTM");
  EXPECT_EQ(ui.fileRequests[0].title, "Enter a filename to save in a file");
  EXPECT_TRUE(ui.fileRequests[0].forceExtension);
}

TEST_F(ResultSaveFlow, ExistingFileAsksAndNoBringsTheDialogBack) {
  const QString other = dir.filePath("other.htm");
  writeFile(other, "keep me");
  answerFile(FileChoice::Kind::Existing, other);
  ui.answers.enqueue(1);  // No
  // The second dialog is cancelled: nothing changes.
  EXPECT_FALSE(saveResultAs(state, source).has_value());
  ASSERT_EQ(ui.questions.size(), 1);
  EXPECT_EQ(ui.questions[0].title, "Save");
  EXPECT_EQ(ui.questions[0].text, "File already exists !   Replace existing file ?\n");
  ASSERT_EQ(ui.fileRequests.size(), 2);
  EXPECT_EQ(ui.fileRequests[1].defaultFile, ui.fileRequests[0].defaultFile);
  EXPECT_EQ(readFile(other), "keep me");
}

TEST_F(ResultSaveFlow, YesReplacesTheExistingFile) {
  const QString other = dir.filePath("other.htm");
  writeFile(other, "old");
  answerFile(FileChoice::Kind::Existing, other);
  ui.answers.enqueue(0);  // Yes
  ASSERT_TRUE(saveResultAs(state, source).has_value());
  EXPECT_EQ(readFile(other), readFile(source));
}

TEST_F(ResultSaveFlow, NewNameWhoseLowerCaseFileExistsIsAskedFor) {
  writeFile(dir.filePath("twin.htm"), "old");
  answerFile(FileChoice::Kind::New, dir.filePath("TWIN.HTM"));
  ui.answers.enqueue(1);  // No, then cancel
  EXPECT_FALSE(saveResultAs(state, source).has_value());
  EXPECT_EQ(ui.questions.size(), 1);
  EXPECT_EQ(readFile(dir.filePath("twin.htm")), "old");
}

TEST_F(ResultSaveFlow, FailedCopyIsReportedAndKeepsTheTarget) {
  // Saving into a folder that does not exist.
  answerFile(FileChoice::Kind::New, dir.filePath("missing/out.htm"));
  EXPECT_FALSE(saveResultAs(state, source).has_value());
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].title, "Error");
  EXPECT_TRUE(ui.messages[0].text.contains("out.htm"));

  // A source that vanished: the existing target keeps its content.
  const QString other = dir.filePath("other.htm");
  writeFile(other, "precious");
  QFile::remove(source);
  answerFile(FileChoice::Kind::Existing, other);
  ui.answers.enqueue(0);
  EXPECT_FALSE(saveResultAs(state, source).has_value());
  EXPECT_EQ(readFile(other), "precious");
  ASSERT_EQ(ui.messages.size(), 2);
  // The message names the missing source, not the folder the user chose.
  EXPECT_TRUE(ui.messages[1].text.startsWith("Cannot read the result file"));
  EXPECT_TRUE(ui.messages[1].text.contains("CAN_01.HTM"));
  EXPECT_FALSE(ui.messages[1].text.contains("other.htm"));
}

TEST_F(ResultSaveFlow, SavingOverItsOwnSourceKeepsTheContent) {
  const QString lower = dir.filePath("own.htm");
  writeFile(lower, "same bytes\r\n");
  answerFile(FileChoice::Kind::Existing, lower);
  ui.answers.enqueue(0);
  ASSERT_TRUE(saveResultAs(state, lower).has_value());
  EXPECT_EQ(readFile(lower), "same bytes\r\n");
}

TEST_F(ResultSaveFlow, QuestionAndTitleFollowTheLanguage) {
  state.language = German;
  writeFile(dir.filePath("x.htm"), "old");
  answerFile(FileChoice::Kind::Existing, dir.filePath("x.htm"));
  ui.answers.enqueue(0);
  const std::optional<QString> title = saveResultAs(state, source);
  ASSERT_TRUE(title.has_value());
  EXPECT_TRUE(title->startsWith("Datei : "));
  EXPECT_EQ(ui.questions[0].text, QString::fromUtf8("Datei existiert! Löschen ?\n"));
}

TEST(ResultHelp, FirstBusNameInTableOrderWins) {
  EXPECT_EQ(helpBusIndex("MIL-STD-1553 bus A"), 11);
  EXPECT_EQ(helpBusIndex("PROFIBUS DP 1.5 Mbit/s"), -1);  // the blank breaks the name
  EXPECT_EQ(helpBusIndex("profibusdp"), 12);
  EXPECT_EQ(helpBusIndex("CAN HIGH SPEED"), -1);
  EXPECT_EQ(helpBusIndex("CANHIGHSPEED basic"), 1);  // "basic" holds ASI, which comes first
  EXPECT_EQ(helpBusIndex("Slinky"), 10);             // LIN inside a word
  EXPECT_EQ(helpBusIndex("RS485 over USB"), 15);
  EXPECT_EQ(helpBusIndex("ETHER 100BASE-T"), 7);
  EXPECT_EQ(helpBusIndex(""), -1);
}

TEST(ResultHelp, DocumentPathPerLanguage) {
  const QString dir = "/opt/karvel";
  auto path = [&](int bus, int language) {
    return QDir::fromNativeSeparators(helpDocumentPath(dir, bus, language));
  };
  EXPECT_EQ(path(2, English), "/opt/karvel/help/CANHIGHSPEED_BUS_gb.pdf");
  EXPECT_EQ(path(11, English), "/opt/karvel/help/MIL-STD-1553_BUS_gb.pdf");
  EXPECT_EQ(path(7, German), "/opt/karvel/help/ETHER 100BASE-T_BUS_de.pdf");
  EXPECT_TRUE(path(0, French).endsWith("_BUS_fr.pdf"));
  EXPECT_TRUE(path(0, Italian).endsWith("_BUS_it.pdf"));
  EXPECT_TRUE(path(0, Spanish).endsWith("_BUS_es.pdf"));
  EXPECT_TRUE(helpDocumentPath(dir, 17, English).isEmpty());
}

TEST(ResultHelp, HelpDiagOpensTheDocumentOrNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("help"));
  writeFile(dir.filePath("help/FLEXRAY_BUS_es.pdf"), "%PDF-1.4\n");
  ScriptedInteraction ui;
  AppState state;
  state.ui = &ui;
  state.programDir = dir.path();
  state.language = Spanish;
  EXPECT_EQ(HelpDiag(state, "FlexRay 10 Mbit/s"), 0);
  ASSERT_EQ(ui.opened.size(), 1);
  EXPECT_EQ(ui.opened[0].toLocalFile(), dir.filePath("help/FLEXRAY_BUS_es.pdf"));
  EXPECT_EQ(HelpDiag(state, "Unknown bus"), 0);
  EXPECT_EQ(ui.opened.size(), 1);
  EXPECT_TRUE(ui.messages.isEmpty());
}

TEST(ResultTexts, WindowTextsPerLanguage) {
  const ResultWindowTexts en = TraducMenu2(English);
  EXPECT_EQ(en.save, "S__ave ...");
  EXPECT_EQ(en.print, "Prin__t ...");
  EXPECT_EQ(en.exportExcel, "__Export to EXCEL ...");
  // No two items of the menu share a mnemonic, in any language.
  for (int l = 0; l < 5; ++l) {
    const ResultWindowTexts t = TraducMenu2(l);
    QSet<QChar> keys;
    for (const QString& item : {t.save, t.print, t.exportExcel, t.exit}) {
      const qsizetype at = item.indexOf(QStringLiteral("__"));
      ASSERT_GE(at, 0) << item.toStdString();
      EXPECT_FALSE(keys.contains(item[at + 2].toLower())) << item.toStdString();
      keys.insert(item[at + 2].toLower());
    }
  }
  EXPECT_EQ(en.exit, "E__xit");
  EXPECT_EQ(en.columnHeadings,
            (QStringList{"", "", "Min tolerance", "Max tolerance", "Measurements", "Distance"}));
  EXPECT_EQ(TraducMenu2(Italian).exit, "__Esci");
  for (int language = 0; language < kLanguageCount; ++language) {
    const ResultWindowTexts t = TraducMenu2(language);
    EXPECT_EQ(t.columnHeadings.size(), 6);
    for (const QString& s : {t.fileMenu, t.save, t.print, t.exportExcel, t.exit}) {
      EXPECT_EQ(s.count(QStringLiteral("__")), 1) << s.toStdString();
    }
  }
}

TEST_F(ResultSaveFlow, AFetchedResultProposesItsInstrumentNameWhereTheUserSaves) {
  // Installed: the fetched copy waits in a hidden cache folder.
  ASSERT_TRUE(QDir(dir.path()).mkpath(".cache/karvel"));
  const QString fetched = dir.filePath(".cache/karvel/RES01.Ab12Cd.tmp");
  writeFile(fetched, "<H1>result</H1>\r\n");
  ASSERT_TRUE(QDir(dir.path()).mkpath("work"));
  state.workingDir = dir.filePath("work");

  // First the working folder, under the instrument's name.
  answerFile(FileChoice::Kind::New, dir.filePath("Kept/RES01.HTM"));
  ASSERT_TRUE(QDir(dir.path()).mkpath("Kept"));
  ASSERT_TRUE(saveResultAs(state, fetched, "RES01.HTM").has_value());
  ASSERT_EQ(ui.fileRequests.size(), 1);
  EXPECT_EQ(ui.fileRequests[0].defaultFile,
            QDir::toNativeSeparators(dir.filePath("work/RES01.HTM")));
  EXPECT_EQ(readFile(dir.filePath("Kept/res01.htm")), "<H1>result</H1>\r\n");
  EXPECT_EQ(state.resultSaveFolder, dir.filePath("Kept"));

  // Then the folder saved to last.
  ui.files.enqueue({FileChoice::Kind::None, QString()});
  EXPECT_FALSE(saveResultAs(state, fetched, "RES01.HTM").has_value());
  EXPECT_EQ(ui.fileRequests[1].defaultFile,
            QDir::toNativeSeparators(dir.filePath("Kept/RES01.HTM")));
  EXPECT_EQ(state.resultSaveFolder, dir.filePath("Kept")) << "a cancel changes nothing";

  // Never a hidden name, and no folder that is gone.
  EXPECT_EQ(proposedSaveName(fetched, "..", dir.filePath("gone"), state.workingDir),
            QDir::toNativeSeparators(dir.filePath("work/RESULT.HTM")));
  EXPECT_EQ(proposedSaveName(fetched, "..LIN.HTM", QString(), dir.filePath("gone")),
            QDir::toNativeSeparators(QDir::home().filePath("LIN.HTM")));
  for (const QString& name : {QString(), QStringLiteral("RES01.HTM"), QStringLiteral(".x")}) {
    const QString proposal = proposedSaveName(fetched, name, QString(), state.workingDir);
    EXPECT_FALSE(QFileInfo(proposal).fileName().startsWith(u'.')) << proposal.toStdString();
  }
}
