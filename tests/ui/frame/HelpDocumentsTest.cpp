// SPDX-License-Identifier: GPL-3.0-or-later
// The help documents rendered into the program folder at build time: the
// Contents command and the results window's help button must find a real PDF
// under the very name they compute, in every language.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include "core/results/ResultCommands.h"
#include "core/results/ResultReader.h"
#include "support/ScriptedInteraction.h"
#include "ui/frame/MainWindow.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

// Empty when `path` holds a PDF document, else what is wrong with it.
QString pdfProblemText(const QString& path) {
  QFile file(path);
  if (!file.exists()) return QStringLiteral("missing: ") + path;
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("unreadable: ") + path;
  const QByteArray head = file.read(4);
  if (head != "%PDF") return QStringLiteral("not a PDF: ") + path;
  // A page of text takes some kilobytes; a few hundred bytes is an empty page.
  if (file.size() < 2000) return QStringLiteral("too small to hold a page: ") + path;
  return {};
}

std::string pdfProblem(const QString& path) { return pdfProblemText(path).toStdString(); }

// Sorted and joined, so that a difference reads as file names.
std::string names(QStringList list) {
  list.sort();
  return list.join(QStringLiteral("\n")).toStdString();
}

class HelpDocumentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.ui = &ui;
    state.clock = &clock;
    state.programDir = KARVEL_APPDIR;
    state.settingsPath = dir.filePath("karvel.ini");
  }

  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
};

}  // namespace

TEST_F(HelpDocumentsTest, ContentsOpensAGuideInEveryLanguage) {
  MainWindow window(state);
  for (int language = 0; language < kLanguageCount; ++language) {
    window.GestionMenu(item::FirstLanguage + language);
    window.GestionMenu(item::Contents);
  }
  ASSERT_EQ(ui.opened.size(), kLanguageCount);
  QSet<QString> guides;
  for (const QUrl& url : ui.opened) {
    EXPECT_EQ(pdfProblem(url.toLocalFile()), std::string());
    guides.insert(url.toLocalFile());
  }
  EXPECT_EQ(guides.size(), kLanguageCount);  // one document per language, not one for all
}

TEST_F(HelpDocumentsTest, EveryBusHasASheetInEveryLanguageAndNoOtherSheetExists) {
  QStringList expected;
  for (int bus = 0; bus < int(kHelpBusNames.size()); ++bus) {
    for (int language = 0; language < kLanguageCount; ++language) {
      const QString path =
          QDir::fromNativeSeparators(helpDocumentPath(KARVEL_APPDIR, bus, language));
      EXPECT_EQ(pdfProblem(path), std::string());
      expected.append(QFileInfo(path).fileName());
    }
  }
  EXPECT_EQ(QSet<QString>(expected.begin(), expected.end()).size(), 85);

  // A sheet under a name the help button never computes (a bus name spelt
  // differently) would be dead weight beside a missing one.
  const QStringList present =
      QDir(QString(KARVEL_APPDIR) + "/help").entryList({"*_BUS_*.pdf"}, QDir::Files);
  EXPECT_EQ(names(present), names(expected));
}

TEST_F(HelpDocumentsTest, HelpButtonOpensAnExistingSheetForARealHeading) {
  // The blank in this bus name is part of the file name.
  state.language = German;
  EXPECT_EQ(HelpDiag(state, "Bus : ETHER 100BASE-T 100 Mbit/s"), 0);
  state.language = Italian;
  EXPECT_EQ(HelpDiag(state, "CANHIGHSPEED 500 kbit/s"), 0);
  ASSERT_EQ(ui.opened.size(), 2);
  EXPECT_TRUE(ui.opened[0].toLocalFile().endsWith("/help/ETHER 100BASE-T_BUS_de.pdf"));
  EXPECT_EQ(pdfProblem(ui.opened[0].toLocalFile()), std::string());
  EXPECT_EQ(pdfProblem(ui.opened[1].toLocalFile()), std::string());
}

TEST_F(HelpDocumentsTest, EveryShippedResultSampleFindsItsBusSheet) {
  // The help button of a sample's window must lead somewhere: its heading
  // names one of the buses that have a sheet, in every language.
  const QDir samples(QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples"));
  const QStringList files = samples.entryList({"*.HTM", "*.htm"}, QDir::Files);
  ASSERT_FALSE(files.isEmpty());
  for (const QString& name : files) {
    ResultTable table;
    QString error;
    ASSERT_TRUE(loadResultFile(samples.filePath(name), English, table, &error))
        << error.toStdString();
    const int bus = helpBusIndex(table.busHeading);
    ASSERT_GE(bus, 0) << name.toStdString() << ": no bus sheet for the heading \""
                      << table.busHeading.toStdString() << "\"";
    for (int language = 0; language < kLanguageCount; ++language) {
      EXPECT_EQ(
          pdfProblem(QDir::fromNativeSeparators(helpDocumentPath(KARVEL_APPDIR, bus, language))),
          std::string())
          << name.toStdString();
    }
  }
  // The CAN high-speed sample is the one users try first.
  ResultTable can;
  ASSERT_TRUE(loadResultFile(samples.filePath("CAN_HS_PASS.HTM"), English, can, nullptr));
  EXPECT_EQ(QString(kHelpBusNames[std::size_t(helpBusIndex(can.busHeading))]), "CANHIGHSPEED");
}
