// SPDX-License-Identifier: GPL-3.0-or-later
// Bus files at the edges of what the loader and the document layer accept:
// limits before any measurement, the ends of the Windows-1252 high half, line
// breaks in the title and comment, and edits that would change how a file reads.
#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include "core/bus/BusFile.h"
#include "core/bus/XmlDocument.h"
#include "support/ScriptedInteraction.h"

using namespace karvel;

namespace {

class BusFileEdge : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  AppState app;
  BusScreen screen;

  void SetUp() override {
    app.ui = &ui;
    app.programDir = QStringLiteral(KARVEL_APPDIR);
  }
  QString write(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
};

}  // namespace

TEST_F(BusFileEdge, LimitsBeforeTheFirstMeasurementNameHaveNoRowAndAreIgnored) {
  const QString path = write(
      "early.BUS",
      "<R><V/><BUS><TITLE a=\"t\"/><COMMENT a=\"c\"/><LimiteMax a=\"5\"/><LimiteMin a=\"1\"/>"
      "<Warning a=\"3\"/></BUS><SETUP/>"
      "<MESURE0><D><NameMesure a=\"m\" unit=\"V\"/><X/><LimiteMax a=\"2\"/><LimiteMin a=\"N/A\"/>"
      "<Warning a=\"10\"/></D></MESURE0></R>");
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
  EXPECT_TRUE(ui.messages.isEmpty());
  ASSERT_EQ(screen.view.rows.size(), 1u);
  EXPECT_EQ(screen.view.rows[0].cells, (std::array<QString, 3>{"---", "2.00 V", "10.0 %"}));
}

TEST_F(BusFileEdge, Windows1252HighBytesAtBothEndsReadAndWriteAsThemselves) {
  // 0x80 and 0x9F are the ends of the code page's own table, 0xA0 and 0xFF
  // the ends of the part shared with Latin-1.
  const QByteArray original =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
      "<R><V/><BUS><TITLE a=\"x\xA0y\xFF\"/><COMMENT a=\"\x80\x9F\"/></BUS></R>\r\n";
  const QString path = write("cp.BUS", original);
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
  EXPECT_EQ(screen.view.title, QString::fromUtf8("x\xC2\xA0y\xC3\xBF"));
  EXPECT_EQ(screen.view.comment, QString::fromUtf8("\xE2\x82\xAC\xC5\xB8"));
  EXPECT_EQ(app.xmlDocument->bytes(), original);

  ASSERT_TRUE(ModifTitle(app, screen, QString::fromUtf8("\xC3\xBF\xC2\xA0"),
                         QString::fromUtf8("\xC5\xB8\xE2\x82\xAC")));
  QByteArray expected = original;
  expected.replace("x\xA0y\xFF", "\xFF\xA0").replace("\"\x80\x9F\"", "\"\x9F\x80\"");
  EXPECT_EQ(app.xmlDocument->bytes(), expected);
}

TEST_F(BusFileEdge, LineBreaksInTitleAndCommentSurviveSaveAndReload) {
  const QString title = QStringLiteral("Line 1\nLine 2");
  const QString comment = QStringLiteral("a\r\nb\tc\rd");
  for (const char* sample : {"RQ4102/LIN.BUS", "RQ6102/LIN.bus"}) {
    SCOPED_TRACE(sample);
    ASSERT_EQ(ConvertAndRenderXMLFileInTree(
                  app, screen, QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/") + sample),
              0);
    ASSERT_TRUE(ModifTitle(app, screen, title, comment));
    QString written;
    ASSERT_EQ(SaveBusDocument(app, dir.filePath("lines.BUS"), &written, nullptr), 0);
    // Written as references: a raw line break in an attribute reads back as a blank.
    EXPECT_TRUE(read(written).contains("Line 1&#10;Line 2"));
    ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, written), 0);
    EXPECT_EQ(screen.view.title, title);
    EXPECT_EQ(screen.view.comment, comment);
  }
  EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(BusFileEdge, AnEditThatLeavesAWindows1252FileValidUtf8KeepsItsTextsOnReload) {
  // The comment holds the only byte that is not UTF-8, so the file reads as
  // Windows-1252 and the measurement's name as "Ã©"; typed over in plain
  // letters, the comment would leave a file that reads as UTF-8, "é".
  const QByteArray body =
      "<R><V/><BUS><TITLE a=\"t\"/><COMMENT a=\"\xE9t\xE9\"/></BUS><SETUP/>"
      "<MESURE0><D><NameMesure a=\"\xC3\xA9\" unit=\"V\"/><X/><LimiteMax a=\"2\"/>"
      "<LimiteMin a=\"1\"/><Warning a=\"10\"/></D></MESURE0></R>\r\n";
  const QByteArray declared = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>";
  const struct {
    QByteArray head;
    QByteArray written;
  } cases[] = {
      {"", declared + "\r\n"},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n", declared + "\r\n"},
      {"<?xml version='1.0' standalone=\"yes\"?>\n",
       "<?xml version='1.0' encoding=\"windows-1252\" standalone=\"yes\"?>\n"},
      {"\xEF\xBB\xBF", "\xEF\xBB\xBF" + declared + "\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.head.toStdString());
    const QString path = write("typed.BUS", c.head + body);
    ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
    ASSERT_EQ(screen.view.rows.size(), 1u);
    EXPECT_EQ(screen.view.rows[0].label, QString::fromUtf8("\xC3\x83\xC2\xA9"));
    // Key by key, as the panel stores them.
    const QString typed = QStringLiteral("ete");
    for (qsizetype keys = 0; keys <= typed.size(); ++keys)
      ASSERT_TRUE(ModifTitle(app, screen, screen.view.title, typed.left(keys)));
    modifValXML(app, screen, 1, 2, QStringLiteral("3"));
    QString written;
    ASSERT_EQ(SaveBusDocument(app, dir.filePath("typed-saved.BUS"), &written, nullptr), 0);
    EXPECT_TRUE(read(written).startsWith(c.written));

    ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, written), 0);
    ASSERT_EQ(screen.view.rows.size(), 1u);
    EXPECT_EQ(screen.view.rows[0].label, QString::fromUtf8("\xC3\x83\xC2\xA9"));
    EXPECT_EQ(screen.view.comment, typed);
    EXPECT_EQ(screen.view.rows[0].cells[1], QStringLiteral("3.00 V"));
    EXPECT_EQ(app.xmlDocument->encodingName(), QStringLiteral("windows-1252"));
  }
  EXPECT_TRUE(ui.messages.isEmpty());
}
