// karvel-cli result show, run as a separate program.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct ShowRun {
  int exitCode = -1;
  QStringList lines;
  QString errors;
};

ShowRun show(const QStringList& args) {
  QProcess cli;
  cli.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"), QStringList{"result", "show"} + args);
  ShowRun run;
  if (!cli.waitForFinished(60000)) return run;
  run.exitCode = cli.exitCode();
  run.lines = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
  run.errors = QString::fromUtf8(cli.readAllStandardError());
  return run;
}

}  // namespace

TEST(ResultShowCommand, PrintsWhatTheWindowShows) {
  const ShowRun run = show({KARVEL_SOURCE_DIR "/resources/samples/RS485_FAIL.HTM"});
  ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
  ASSERT_EQ(run.lines.size(), 4 + 6);
  EXPECT_EQ(run.lines[0], "title\tFile : rs485_fail.HTM");
  EXPECT_EQ(run.lines[1], "label\tBUS DIAGNOSTIC RESULT");
  EXPECT_EQ(run.lines[2], "bus\tRS485 - 115200 bit/s");
  EXPECT_EQ(run.lines[3], "verdict\tred\tBus out of limits");
  EXPECT_EQ(run.lines[4],
            QString::fromUtf8("row\tBit time\t8.50 µs\t8.86 µs\t8.68 µs\t0 %\tgreen"));
  EXPECT_TRUE(run.lines[6].endsWith("\tyellow"));
  EXPECT_TRUE(run.lines[7].endsWith("\tred"));
}

TEST(ResultShowCommand, MultiLineCellsStayOnOneLineAndUnknownStatusIsNone) {
  QTemporaryDir dir;
  const QString path = dir.filePath("r.htm");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(
      "<H1>L</H1><H2>B</H2><H4 class=x>V</H4><TBODY>"
      "<TR class=a><TD>two\r\nlines\tand \\</TD><TD>1</TD><TD>2</TD><TD class=blue>3</TD>"
      "<TD>4</TD></TR>");
  f.close();
  const ShowRun run = show({path, "--language", "0"});
  ASSERT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.lines.size(), 5);
  EXPECT_EQ(run.lines[0], "title\tFichier : r.HTM");
  EXPECT_EQ(run.lines[3], "verdict\tyellow\tV");
  EXPECT_EQ(run.lines[4], "row\ttwo\\nlines\\tand \\\\\t1\t2\t3\t4\tnone");
}

TEST(ResultShowCommand, UnreadableFileFailsWithAMessage) {
  const ShowRun run = show({"/nonexistent/r.htm"});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_TRUE(run.lines.isEmpty());
  EXPECT_TRUE(run.errors.contains("/nonexistent/r.htm"));
  EXPECT_NE(show({}).exitCode, 0);
}

TEST(ResultShowCommand, IncompleteFileWarnsButShowsWhatItRead) {
  QTemporaryDir dir;
  const QString path = dir.filePath("cut.htm");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<H1>L</H1><H2>B</H2><H4 class=red>V</H4>");
  f.close();
  const ShowRun run = show({path});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.lines.size(), 4);
  EXPECT_TRUE(run.errors.contains("<TBODY>"));
}
