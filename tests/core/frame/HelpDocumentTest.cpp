// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a help document: a missing file is named in full, the desktop's
// viewer comes first, the program's own viewer when the desktop has none.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/frame/HelpDocument.h"
#include "core/results/ResultCommands.h"
#include "support/ScriptedInteraction.h"

using namespace karvel;
using karvel::test::ScriptedInteraction;

namespace {

class HelpDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.ui = &ui;
    state.programDir = dir.path();
    ASSERT_TRUE(QDir(dir.path()).mkdir("help"));
    document = dir.filePath("help/KNX_BUS_gb.pdf");
    QFile file(document);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4\n");
  }
  // The program's own viewer, recording what it was asked to show.
  void ownViewer(bool shows) {
    state.showDocument = [this, shows](const QString& path) {
      shown.append(path);
      return shows;
    };
  }

  QTemporaryDir dir;
  ScriptedInteraction ui;
  AppState state;
  QString document;
  QStringList shown;
};

}  // namespace

TEST_F(HelpDocumentTest, MissingDocumentIsNamedInFullInTheCurrentLanguage) {
  ownViewer(true);
  const QString missing = dir.filePath("help/KARVEL_de.pdf");
  state.language = German;
  EXPECT_EQ(openHelpDocument(state, missing), HelpShown::Missing);
  state.language = French;
  EXPECT_EQ(openHelpDocument(state, QDir::toNativeSeparators(missing)), HelpShown::Missing);
  ASSERT_EQ(ui.messages.size(), 2);
  const QString full = QDir::toNativeSeparators(missing);
  EXPECT_EQ(ui.messages[0].title, "Hilfe");
  EXPECT_EQ(ui.messages[0].text, "Das Hilfedokument wurde nicht gefunden:\n" + full);
  EXPECT_EQ(ui.messages[1].title, "Aide");
  EXPECT_TRUE(ui.messages[1].text.endsWith(":\n" + full)) << ui.messages[1].text.toStdString();
  EXPECT_TRUE(ui.opened.isEmpty());  // nothing was handed to a viewer
  EXPECT_TRUE(shown.isEmpty());
}

TEST_F(HelpDocumentTest, AFolderOfThatNameIsNoDocument) {
  ASSERT_TRUE(QDir(dir.path()).mkdir("help/USB_BUS_gb.pdf"));
  EXPECT_EQ(openHelpDocument(state, dir.filePath("help/USB_BUS_gb.pdf")), HelpShown::Missing);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(
      ui.lastMessage().contains(QDir::toNativeSeparators(dir.filePath("help/USB_BUS_gb.pdf"))));
}

TEST_F(HelpDocumentTest, DesktopViewerComesFirst) {
  ownViewer(true);
  EXPECT_EQ(openHelpDocument(state, document), HelpShown::Desktop);
  ASSERT_EQ(ui.opened.size(), 1);
  EXPECT_EQ(ui.opened[0].toLocalFile(), document);
  EXPECT_TRUE(shown.isEmpty());
  EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(HelpDocumentTest, OwnViewerTakesOverWhenTheDesktopCannotOpenIt) {
  ui.openSucceeds = false;
  ownViewer(true);
  EXPECT_EQ(openHelpDocument(state, QDir::toNativeSeparators(document)), HelpShown::OwnViewer);
  EXPECT_EQ(ui.opened.size(), 1);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0], document);
  EXPECT_TRUE(ui.messages.isEmpty());

  // The viewer could not read it: it has said why, nothing is added here.
  ownViewer(false);
  EXPECT_EQ(openHelpDocument(state, document), HelpShown::NotShown);
  EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(HelpDocumentTest, NoViewerAtAllIsSaid) {
  ui.openSucceeds = false;
  state.language = Italian;
  EXPECT_EQ(openHelpDocument(state, document), HelpShown::NotShown);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].title, "Aiuto");
  EXPECT_EQ(ui.messages[0].text, "Nessun programma può mostrare il documento della guida\n" +
                                     QDir::toNativeSeparators(document));
}

TEST_F(HelpDocumentTest, HelpButtonNamesTheMissingBusSheet) {
  // The sheet of another bus exists; this one does not.
  state.language = Spanish;
  EXPECT_EQ(HelpDiag(state, "FLEXRAY 10 Mbit/s"), 0);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(
      ui.lastMessage().contains(QDir::toNativeSeparators(dir.filePath("help/FLEXRAY_BUS_es.pdf"))))
      << ui.lastMessage().toStdString();
  EXPECT_TRUE(ui.opened.isEmpty());

  // Its own sheet is there: it opens, and nothing more is said.
  state.language = English;
  EXPECT_EQ(HelpDiag(state, "KNX TP1"), 0);
  ASSERT_EQ(ui.opened.size(), 1);
  EXPECT_EQ(ui.messages.size(), 1);
}
