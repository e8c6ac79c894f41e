// SPDX-License-Identifier: GPL-3.0-or-later
// The result reader: both page variants, the colour and status rules, the
// exact pieces it copies, and files that are cut or shuffled.
#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstring>
#include <memory>

#include "core/frame/AppState.h"
#include "core/results/ResultReader.h"

using namespace karvel;

namespace {

QByteArray row(const char* name, const char* cls, const char* value) {
  return QByteArray("<TR class=\"r\"><TD>") + name + "</TD><TD>1</TD><TD>2</TD><TD class=" + cls +
         ">" + value + "</TD><TD>7 %</TD></TR>\n";
}

QByteArray titled(const QByteArray& rows, const QByteArray& verdictTag = "<H2 class=\"green\">") {
  return "<HTML><HEAD><TITLE>TarvikIV result</TITLE></HEAD><BODY>\n"
         "<H1>CAN HIGH SPEED 500 kbit/s</H1>\n<H3>CANHIGHSPEED</H3>\n" +
         verdictTag + "Diagnostic : PASSED</H2>\n<TABLE><TBODY>\n" + rows +
         "</TBODY></TABLE></BODY></HTML>\n";
}

QByteArray untitled(const QByteArray& rows, const QByteArray& verdictTag = "<H4 class=\"red\">") {
  return "<HTML><BODY>\n<H1>RESULTS</H1>\n<H2>RS485 115200</H2>\n" + verdictTag +
         "Out of limits</H4>\n<TABLE><TBODY>\n" + rows + "</TBODY></TABLE></BODY></HTML>\n";
}

ResultTable read(const QByteArray& text, const QString& path = "C:\\data\\CAN_01.HTM") {
  return readResultText(resultTextFromBytes(text), path, English);
}

QByteArray sample(const char* name) {
  QFile f(QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/") + name);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
  return f.readAll();
}

}  // namespace

TEST(ResultReader, TitledPageGivesLabelHeadingVerdictAndRows) {
  const ResultTable t =
      read(titled(row("Bit time", "\"green\"", "2.00") + row("Rise time", "\"yellow\"", "180") +
                  row("Overshoot", "\"red\"", "12 %")));
  EXPECT_EQ(t.title, "File : can_01.HTM");
  EXPECT_EQ(t.tableLabel, "BUS DIAGNOSTIC RESULT CANHIGHSPEED");
  EXPECT_EQ(t.busHeading, "CAN HIGH SPEED 500 kbit/s");
  EXPECT_EQ(t.verdict, "PASSED");
  EXPECT_EQ(t.verdictColour, Status::Green);
  ASSERT_EQ(t.rows.size(), 3u);
  EXPECT_EQ(t.rows[0].cells, (std::array<QString, 5>{"Bit time", "1", "2", "2.00", "7 %"}));
  EXPECT_EQ(t.rows[0].status, Status::Green);
  EXPECT_EQ(t.rows[1].status, Status::Yellow);
  EXPECT_EQ(t.rows[2].status, Status::Red);
  EXPECT_EQ(t.rows[2].cells[3], "12 %");
  EXPECT_TRUE(t.problemMarker.isEmpty());
}

TEST(ResultReader, UntitledPageTakesLabelFromH1AndVerdictFromH4) {
  const ResultTable t = read(untitled(row("Idle", "green", "0.8")));
  EXPECT_EQ(t.tableLabel, "RESULTS");  // no prefix in this variant
  EXPECT_EQ(t.busHeading, "RS485 115200");
  EXPECT_EQ(t.verdict, "Out of limits");
  EXPECT_EQ(t.verdictColour, Status::Red);
  ASSERT_EQ(t.rows.size(), 1u);
  EXPECT_EQ(t.rows[0].cells[0], "Idle");
}

TEST(ResultReader, TitleMarkerCountsOnlyExactlyAndWithinFirst300Bytes) {
  QByteArray page = titled(row("A", "green", "1"));
  page.replace("<TITLE>TarvikIV", "<TITLE>TARVIKIV");
  // Read as the untitled variant: the label is the H1 and the verdict the H4 (none here).
  EXPECT_EQ(read(page).tableLabel, "CAN HIGH SPEED 500 kbit/s");

  // The marker must end within the first 300 bytes.
  const QByteArray base = titled(row("A", "green", "1"));
  const qsizetype at = base.indexOf("<TITLE>TarvikIV");
  QByteArray inside = base;
  inside.insert(0, QByteArray(285 - at, ' '));
  EXPECT_EQ(read(inside).tableLabel, "BUS DIAGNOSTIC RESULT CANHIGHSPEED");
  QByteArray outside = base;
  outside.insert(0, QByteArray(286 - at, ' '));
  EXPECT_EQ(read(outside).tableLabel, "CAN HIGH SPEED 500 kbit/s");
}

TEST(ResultReader, TitledLabelKeepsEnglishPrefixInEveryLanguage) {
  const ResultTable t = readResultText(titled(row("A", "green", "1")), "C:\\r\\CAN.HTM", French);
  EXPECT_EQ(t.tableLabel, "BUS DIAGNOSTIC RESULT CANHIGHSPEED");
  EXPECT_EQ(t.title, "Fichier : can.HTM");
}

TEST(ResultReader, CellStatusWordsInAnyCaseQuotedOrNot) {
  const ResultTable t =
      read(titled(row("a", "\"GREEN\"", "1") + row("b", "Red", "1") + row("c", "'Yellow'", "1") +
                  row("d", "\"blue\"", "1") + row("e", "\"greenish\"", "1")));
  ASSERT_EQ(t.rows.size(), 5u);
  EXPECT_EQ(t.rows[0].status, Status::Green);
  EXPECT_EQ(t.rows[1].status, Status::Red);
  EXPECT_EQ(t.rows[2].status, Status::Yellow);
  EXPECT_EQ(t.rows[3].status, Status::None);   // unknown word: no icon, no colour
  EXPECT_EQ(t.rows[4].status, Status::Green);  // a plain substring test
  EXPECT_EQ(t.rows[3].cells[3], "1");
}

TEST(ResultReader, CellStatusOrderAndClassWindow) {
  // Green is looked for first, then red: both within the window gives green.
  EXPECT_EQ(read(titled(row("a", "red green", "1"))).rows[0].status, Status::Green);
  // The word must lie wholly inside the 10 bytes from the "=".
  EXPECT_EQ(read(titled(row("a", "\"xx yellow\"", "1"))).rows[0].status, Status::None);
  EXPECT_EQ(read(titled(row("a", "\"x yellow\"", "1"))).rows[0].status, Status::Yellow);
  // A status cell without a class attribute has no status, its value is still read.
  QByteArray plain = "<TR class=x><TD>n</TD><TD>1</TD><TD>2</TD><TD>3.5</TD><TD>9</TD></TR>";
  const ResultTable t = read(titled(plain));
  ASSERT_EQ(t.rows.size(), 1u);
  EXPECT_EQ(t.rows[0].status, Status::None);
  EXPECT_EQ(t.rows[0].cells[3], "3.5");
  EXPECT_EQ(t.rows[0].cells[4], "9");
}

TEST(ResultReader, HeadingAndCellMarkersAreCaseSensitive) {
  QByteArray page = titled(row("A", "green", "1"));
  page.replace("<TR class=", "<tr class=");
  EXPECT_TRUE(read(page).rows.empty());
  QByteArray heading = titled(row("A", "green", "1"));
  heading.replace("<H1>", "<h1>");
  EXPECT_TRUE(read(heading).busHeading.isEmpty());
  EXPECT_EQ(read(heading).problemMarker, "<H1>");
}

TEST(ResultReader, VerdictColourRedBeforeGreenWithin15Bytes) {
  EXPECT_EQ(read(titled("", "<H2 c=\"green red\">")).verdictColour, Status::Red);
  EXPECT_EQ(read(titled("", "<H2 class=\"GREEN\">")).verdictColour, Status::Green);
  EXPECT_EQ(read(titled("", "<H2 class=\"ok\">")).verdictColour, Status::Yellow);
  // "red" ending after the 15 bytes that follow "<H2" does not count.
  EXPECT_EQ(read(titled("", "<H2 class=\"greenxxxred\">")).verdictColour, Status::Green);
  EXPECT_EQ(read(titled("", "<H2 style=\"x\" class=\"red\">")).verdictColour, Status::Yellow);
  EXPECT_EQ(read(untitled("", "<H4 c=\"green red\">")).verdictColour, Status::Red);
}

TEST(ResultReader, CrLfAndLfFilesGiveTheSameTable) {
  const QByteArray lf = titled(row("Bit\ntime", "green", "1") + row("B", "red", "2"));
  QByteArray crlf = lf;
  crlf.replace("\n", "\r\n");
  const ResultTable a = read(lf);
  const ResultTable b = read(crlf);
  EXPECT_EQ(a.busHeading, b.busHeading);
  EXPECT_EQ(a.verdict, b.verdict);
  ASSERT_EQ(a.rows.size(), b.rows.size());
  for (std::size_t i = 0; i < a.rows.size(); ++i) {
    EXPECT_EQ(a.rows[i].cells, b.rows[i].cells);
    EXPECT_EQ(a.rows[i].status, b.rows[i].status);
  }
  EXPECT_EQ(b.rows[0].cells[0], "Bit\ntime");  // a multi-line cell keeps its line feed
  // A lone carriage return is not a line end and stays.
  EXPECT_EQ(read(titled(row("a\rb", "green", "1"))).rows[0].cells[0], "a\rb");
}

TEST(ResultReader, PiecesAreVerbatimAndDecodedFromWindows1252) {
  const ResultTable t = read(titled(row(" &lt;5 &amp; <B>bold</B> ", "green", "\x80 \x92 \xB5s")));
  EXPECT_EQ(t.rows[0].cells[0], " &lt;5 &amp; <B>bold</B> ");
  EXPECT_EQ(t.rows[0].cells[3], QString::fromUtf8("€ ’ µs"));
}

TEST(ResultReader, PiecesAreCutTo299Characters) {
  const QByteArray longText(600, 'x');
  const ResultTable t = read(titled(row(longText.constData(), "green", "1")));
  EXPECT_EQ(t.rows[0].cells[0].size(), 299);
  EXPECT_EQ(t.rows[0].cells[1], "1");  // the walk goes on after the cut piece
  QByteArray page = titled("");
  page.replace("<H3>CANHIGHSPEED", "<H3>" + longText);
  EXPECT_EQ(read(page).tableLabel.size(), 299);
}

TEST(ResultReader, TitleStopsAtTheNamesFirstDot) {
  EXPECT_EQ(resultWindowTitle("C:\\Data\\run.2.htm", English), "File : run.HTM");
  EXPECT_EQ(resultWindowTitle("C:\\My.Data\\CAN_01.HTM", English), "File : can_01.HTM");
  EXPECT_EQ(resultWindowTitle("/opt/karvel/CAN_01.tmp", German), "Datei : can_01.HTM");
  EXPECT_EQ(resultWindowTitle("noext", Spanish), "Fichero : noext.HTM");
}

TEST(ResultReader, TextEndsAtTheFirstZeroByte) {
  QByteArray page = titled(row("A", "green", "1"));
  page.insert(page.indexOf("<TBODY>"), '\0');
  const ResultTable t = read(page);
  EXPECT_TRUE(t.rows.empty());
  EXPECT_EQ(t.problemMarker, "<TBODY>");
}

TEST(ResultReader, SampleFilesBothVariantsPassAndFail) {
  const QByteArray can = sample("CAN_HS_PASS.HTM");
  ASSERT_TRUE(can.contains("\r\n"));
  const ResultTable pass = read(can, "CAN_HS_PASS.HTM");
  EXPECT_EQ(pass.verdictColour, Status::Green);
  EXPECT_EQ(pass.tableLabel, "BUS DIAGNOSTIC RESULT CANHIGHSPEED");
  EXPECT_EQ(pass.rows.size(), 9u);
  EXPECT_EQ(pass.rows[0].cells[1], QString::fromUtf8("1.90 µs"));
  EXPECT_TRUE(pass.problemMarker.isEmpty());

  const ResultTable fail = read(sample("RS485_FAIL.HTM"), "RS485_FAIL.HTM");
  EXPECT_EQ(fail.verdictColour, Status::Red);
  EXPECT_EQ(fail.verdict, "Bus out of limits");
  ASSERT_EQ(fail.rows.size(), 6u);
  EXPECT_EQ(fail.rows[2].status, Status::Yellow);
  EXPECT_EQ(fail.rows[3].status, Status::Red);
  EXPECT_TRUE(fail.problemMarker.isEmpty());
}

TEST(ResultReader, FileThatCannotBeReadGivesAMessage) {
  ResultTable t;
  QString error;
  EXPECT_FALSE(loadResultFile("/nonexistent/folder/r.HTM", English, t, &error));
  EXPECT_TRUE(error.contains("/nonexistent/folder/r.HTM"));
  QTemporaryDir dir;
  EXPECT_FALSE(loadResultFile(dir.path(), English, t, &error));
}

TEST(ResultReader, LoadsAFileWithCrLfAsTheWalkSeesIt) {
  QTemporaryDir dir;
  const QString path = dir.filePath("R.HTM");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  QByteArray page = untitled(row("Two\r\nlines", "yellow", "1"));
  page.replace("\n", "\r\n");
  page.replace("\r\r\n", "\r\n");
  f.write(page);
  f.close();
  ResultTable t;
  ASSERT_TRUE(loadResultFile(path, English, t, nullptr));
  EXPECT_EQ(t.sourcePath, path);
  ASSERT_EQ(t.rows.size(), 1u);
  EXPECT_EQ(t.rows[0].cells[0], "Two\nlines");
}

TEST(ResultReader, FilesUpToTheBoundAreReadLargerOnesRefused) {
  QTemporaryDir dir;
  const QString path = dir.filePath("R.HTM");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(untitled(row("Vpp", "green", "1")));
  f.close();
  ASSERT_TRUE(QFile::resize(path, kResultFileMax));  // zero bytes after the page
  ResultTable t;
  QString error;
  ASSERT_TRUE(loadResultFile(path, English, t, &error)) << error.toStdString();
  EXPECT_EQ(t.rows.size(), 1u);
  ASSERT_TRUE(QFile::resize(path, kResultFileMax + 1));
  EXPECT_FALSE(loadResultFile(path, German, t, &error));
  EXPECT_TRUE(error.contains("R.HTM"));
  EXPECT_TRUE(error.contains("mehr als 16 MB")) << error.toStdString();
}

// The walk's cost: every byte is gone through a bounded number of times, for
// the shapes that once made it search the rest of the text again per row.
TEST(ResultReader, WalkGoesThroughEachByteABoundedNumberOfTimes) {
  const QByteArray cells = "<TD>a</TD><TD>1</TD><TD>2</TD><TD class=green>v</TD><TD>3</TD>\n";
  const QList<QByteArray> shapes = {
      // Rows without their own row marker, one marker at the very end.
      untitled("<TR class=\"r\">" + cells.repeated(20000) + "<TR class=\"r\">"),
      // Row markers only, no cells.
      untitled(QByteArray("<TR class=\"r\">").repeated(20000)),
      // Cells opened and never closed.
      untitled("<TR class=\"r\">" + QByteArray("<TD>").repeated(20000)),
      // Ordinary rows.
      untitled(row("Vpp", "green", "1").repeated(20000)),
  };
  for (const QByteArray& page : shapes) {
    qint64 examined = 0;
    readResultText(page, "R.HTM", English, &examined);
    EXPECT_LE(examined, 4 * page.size()) << page.left(120).toStdString();
  }
}

// Malformed files: each must end, keep what it could read, and never read
// outside the text (run this program under AddressSanitizer too).
TEST(ResultReaderMalformed, MissingTbodyGivesNoRows) {
  QByteArray page = titled(row("A", "green", "1"));
  page.replace("<TBODY>", "<TABLE>");
  const ResultTable t = read(page);
  EXPECT_TRUE(t.rows.empty());
  EXPECT_EQ(t.problemMarker, "<TBODY>");
  EXPECT_EQ(t.verdict, "PASSED");  // what came before is kept
}

TEST(ResultReaderMalformed, MissingCellCloseEndsTheWalk) {
  QByteArray page = titled(row("A", "green", "1") + row("B", "red", "2"));
  page.truncate(page.lastIndexOf("</TD>"));  // the last cell is never closed
  const ResultTable t = read(page);
  ASSERT_EQ(t.rows.size(), 2u);
  EXPECT_EQ(t.rows[0].cells[4], "7 %");
  EXPECT_EQ(t.rows[1].cells[3], "2");  // the partial row keeps what it holds
  EXPECT_TRUE(t.rows[1].cells[4].isEmpty());
  EXPECT_EQ(t.problemMarker, "</TD>");
}

TEST(ResultReaderMalformed, MarkersInReverseOrder) {
  const QByteArray page =
      "<TITLE>TarvikIV</TITLE></H3>x<H3></H1>y<H1></H2>PASSED :<H2 class=red>"
      "</TD>z<TD></TD><TD class=green><TD><TR class=a></TBODY><TBODY>";
  const ResultTable t = read(page);
  EXPECT_EQ(t.tableLabel, "BUS DIAGNOSTIC RESULT ");
  EXPECT_TRUE(t.busHeading.isEmpty());
  EXPECT_TRUE(t.verdict.isEmpty());
  EXPECT_FALSE(t.problemMarker.isEmpty());
  EXPECT_TRUE(t.rows.empty());
}

TEST(ResultReaderMalformed, RowMarkerWithoutCells) {
  const ResultTable t = read(titled(row("A", "green", "1") + "<TR class=\"last\">"));
  ASSERT_EQ(t.rows.size(), 2u);
  EXPECT_TRUE(t.rows[1].cells[0].isEmpty());
  EXPECT_EQ(t.problemMarker, "<TD>");
}

TEST(ResultReaderMalformed, EveryTruncationOfBothVariantsEnds) {
  for (const char* name : {"CAN_HS_PASS.HTM", "RS485_FAIL.HTM"}) {
    const QByteArray whole = resultTextFromBytes(sample(name));
    std::size_t complete = 0;
    for (qsizetype n = 0; n <= whole.size(); ++n) {
      // Exactly n bytes on the heap and no terminator, so that AddressSanitizer
      // catches any read past the end.
      const std::unique_ptr<char[]> bytes(new char[std::size_t(n)]);
      std::memcpy(bytes.get(), whole.constData(), std::size_t(n));
      const ResultTable t = readResultText(QByteArray::fromRawData(bytes.get(), n), name, English);
      ASSERT_LE(t.rows.size(), 9u) << name << " cut at " << n;
      if (t.problemMarker.isEmpty()) ++complete;
    }
    EXPECT_GT(complete, 0u) << name;
  }
}

TEST(ResultReaderMalformed, ShuffledLinesAndBytesEnd) {
  QRandomGenerator random(4242);
  const QByteArray whole = resultTextFromBytes(sample("PROFIBUS_FAIL.HTM"));
  QList<QByteArray> lines = whole.split('\n');
  for (int round = 0; round < 300; ++round) {
    for (qsizetype i = lines.size() - 1; i > 0; --i) {
      lines.swapItemsAt(i, qsizetype(random.bounded(int(i + 1))));
    }
    QByteArray page = lines.join('\n');
    // And a few bytes dropped or swapped inside the markers.
    for (int k = 0; k < 5; ++k) {
      const qsizetype at = random.bounded(int(page.size()));
      if (round % 2)
        page.remove(at, 1);
      else
        page[at] = page[random.bounded(int(page.size()))];
    }
    const std::unique_ptr<char[]> bytes(new char[std::size_t(page.size())]);
    std::memcpy(bytes.get(), page.constData(), std::size_t(page.size()));
    const ResultTable t =
        readResultText(QByteArray::fromRawData(bytes.get(), page.size()), "x", English);
    ASSERT_LE(t.rows.size(), 40u);
  }
}

TEST(FindPattern, WindowStartAndCase) {
  const QByteArray text = "abcRedgreen";
  EXPECT_EQ(findPattern(text, 0, -1, "Red", true), 3);
  EXPECT_EQ(findPattern(text, 0, -1, "red", true), -1);
  EXPECT_EQ(findPattern(text, 0, -1, "red", false), 3);
  EXPECT_EQ(findPattern(text, 0, 5, "Red", true), -1);  // must lie wholly inside the window
  EXPECT_EQ(findPattern(text, 0, 6, "Red", true), 3);
  EXPECT_EQ(findPattern(text, 4, -1, "Red", true), -1);
  EXPECT_EQ(findPattern(text, -1, -1, "a", true), -1);
  EXPECT_EQ(findPattern(text, text.size(), -1, "n", true), -1);
  EXPECT_EQ(findPattern(text, text.size() + 3, -1, "n", false), -1);
  EXPECT_EQ(findPattern(text, 6, 100, "GREEN", false), 6);
}

TEST(Coordo, ColumnIsXRowIsY) {
  EXPECT_EQ(Coordo(5, 2).x(), 5);
  EXPECT_EQ(Coordo(5, 2).y(), 2);
}
