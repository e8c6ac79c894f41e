// SPDX-License-Identifier: GPL-3.0-or-later
// Results of one bus compared over time: matching by name, order by date,
// margins, trends, shrinking margins, refused mixtures; and the command line.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "core/results/Compare.h"
#include "core/results/ResultReader.h"
#include "support/CliRun.h"
#include "support/ExportFixtures.h"

using namespace karvel;
using namespace karvel::test;

namespace {

CompareRun run(const char* file, const QDateTime& date, std::vector<ResultRow> rows,
               const char* bus = "LIN - 19200 bit/s") {
  CompareRun r;
  r.table.sourcePath = QString::fromUtf8(file);
  r.table.busHeading = QString::fromUtf8(bus);
  r.table.rows = std::move(rows);
  r.date = date;
  return r;
}

QDateTime day(int d) { return QDateTime(QDate(2026, 3, d), QTime(9, 0)); }

const CompareMeasurement* find(const Comparison& c, const char* name) {
  for (const CompareMeasurement& m : c.measurements)
    if (m.name == QString::fromUtf8(name)) return &m;
  return nullptr;
}

}  // namespace

TEST(Compare, RunsAreOrderedByDateAndMatchedByNameWithGaps) {
  QString error;
  const auto c =
      compareRuns({run("late.HTM", day(20),
                       {resultRow("Bit time", "51.0 µs", "53.2 µs", "52.9 µs", "14 %"),
                        resultRow("Slew rate", "1.0 V/µs", "3.0 V/µs", "1.9 V/µs", "45 %")}),
                   run("early.HTM", day(1),
                       {resultRow("Slew rate", "1.0 V/µs", "3.0 V/µs", "2.1 V/µs", "45 %"),
                        resultRow("Bit time", "51.0 µs", "53.2 µs", "52.1 µs", "50 %"),
                        resultRow("Dominant level", "0.00 V", "2.40 V", "0.92 V", "38 %")})},
                  {}, &error, English);
  ASSERT_TRUE(c) << error.toStdString();
  ASSERT_EQ(c->runs.size(), 2u);
  EXPECT_EQ(c->runs[0].table.sourcePath, "early.HTM");
  // In the order the measurements first appear, run after run.
  ASSERT_EQ(c->measurements.size(), 3u);
  EXPECT_EQ(c->measurements[0].name, "Slew rate");
  EXPECT_EQ(c->measurements[2].name, "Dominant level");
  const CompareMeasurement* level = find(*c, "Dominant level");
  EXPECT_DOUBLE_EQ(*level->values[0], 0.92);
  EXPECT_FALSE(level->values[1]) << "missing in the later run: a gap";
  EXPECT_EQ(level->trend, Trend::Unknown);
  const CompareMeasurement* bit = find(*c, "Bit time");
  EXPECT_EQ(bit->unit, "s");
  EXPECT_DOUBLE_EQ(*bit->values[1], 52.9e-6);
  EXPECT_EQ(bit->trend, Trend::Rising);
  // 52.1 µs sits 1.1 µs from the lower limit of a 2.2 µs band: half of it.
  EXPECT_NEAR(*bit->margins[0], 0.5, 1e-9);
  EXPECT_NEAR(*bit->margins[1], 0.3 / 2.2, 1e-9);
  EXPECT_TRUE(bit->marginShrank);
  const CompareMeasurement* slew = find(*c, "Slew rate");
  EXPECT_EQ(slew->unit, "V/s");
  EXPECT_EQ(slew->trend, Trend::Falling) << "0.2 of a 2 V/µs band is more than 5 %";
  EXPECT_FALSE(slew->marginShrank) << "0.45 on either side of the middle: the same margin";
}

TEST(Compare, TrendsAndShrinkingMarginsOnAConstructedSeries) {
  // A value walking from the middle of a 0..10 band to near its top.
  std::vector<CompareRun> runs;
  const char* values[] = {"5.0 V", "5.2 V", "6.0 V", "8.0 V", "9.5 V"};
  for (int i = 0; i < 5; ++i)
    runs.push_back(run("r.HTM", day(i + 1),
                       {resultRow("Level", "0 V", "10 V", values[i], ""),
                        resultRow("Flat", "0 V", "10 V", i % 2 ? "5.2 V" : "5.0 V", ""),
                        resultRow("Out", "0 V", "10 V", i < 4 ? "9 V" : "11 V", "")}));
  CompareOptions options;
  auto c = compareRuns(runs, options, nullptr, English);
  ASSERT_TRUE(c);
  const CompareMeasurement* level = find(*c, "Level");
  EXPECT_EQ(level->trend, Trend::Rising);
  EXPECT_NEAR(*level->margins[0], 0.5, 1e-9);
  EXPECT_NEAR(*level->margins[4], 0.05, 1e-9);
  EXPECT_TRUE(level->marginShrank);
  EXPECT_EQ(find(*c, "Flat")->trend, Trend::Steady) << "within 5 % of the band";
  EXPECT_FALSE(find(*c, "Flat")->marginShrank);
  const CompareMeasurement* out = find(*c, "Out");
  EXPECT_NEAR(*out->margins[4], -0.1, 1e-9) << "outside the band: below 0";
  EXPECT_TRUE(out->marginShrank);

  // The share that counts is the caller's: 0.5 -> 0.05 is a 90 % loss.
  options.shrinkShare = 0.95;
  c = compareRuns(runs, options, nullptr, English);
  EXPECT_FALSE(find(*c, "Level")->marginShrank);
}

// The edges as users type the figures: exactly 5 % of the band is still
// steady, and a loss of exactly the set share is not flagged, however the
// decimals fall in binary.
TEST(Compare, SteadyBandAndShrinkShareAreInclusiveAtTheirEdges) {
  struct Edge {
    const char* first;
    const char* last;
    Trend trend;
  };
  // Band 0..10 V: 5 % of it is 0.5 V.
  const Edge edges[] = {{"10 V", "10.5 V", Trend::Steady},  {"3.9 V", "4.4 V", Trend::Steady},
                        {"4.4 V", "3.9 V", Trend::Steady},  {"0.6 V", "1.1 V", Trend::Steady},
                        {"7.8 V", "8.3 V", Trend::Steady},  {"3.9 V", "4.41 V", Trend::Rising},
                        {"4.4 V", "3.89 V", Trend::Falling}};
  for (const Edge& e : edges) {
    const auto c = compareRuns({run("a.HTM", day(1), {resultRow("L", "0 V", "10 V", e.first, "")}),
                                run("b.HTM", day(2), {resultRow("L", "0 V", "10 V", e.last, "")})},
                               {}, nullptr, English);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->measurements[0].trend, e.trend) << e.first << " -> " << e.last;
  }
  // Without a band: 5 % of the first value, here 0.5 of 10.
  const auto scaled =
      compareRuns({run("a.HTM", day(1), {resultRow("S", "", "", "10.0 kbit/s", "")}),
                   run("b.HTM", day(2), {resultRow("S", "", "", "10.5 kbit/s", "")})},
                  {}, nullptr, English);
  ASSERT_TRUE(scaled);
  EXPECT_EQ(scaled->measurements[0].trend, Trend::Steady);

  struct Loss {
    const char* first;
    const char* last;
    double share;
    bool flagged;
  };
  // Margins in a 0..10 V band: 4 V -> 0.4, 7 V -> 0.3, a loss of 25 %;
  // 5 V -> 4 V and 2 V -> 1.6 V lose 20 %.
  const Loss losses[] = {{"4 V", "7 V", 0.25, false},  {"4 V", "7.01 V", 0.25, true},
                         {"5 V", "4 V", 0.2, false},   {"5 V", "3.99 V", 0.2, true},
                         {"2 V", "1.6 V", 0.2, false}, {"4 V", "7 V", 0.2, true}};
  for (const Loss& l : losses) {
    CompareOptions options;
    options.shrinkShare = l.share;
    const auto c = compareRuns({run("a.HTM", day(1), {resultRow("M", "0 V", "10 V", l.first, "")}),
                                run("b.HTM", day(2), {resultRow("M", "0 V", "10 V", l.last, "")})},
                               options, nullptr, English);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->measurements[0].marginShrank, l.flagged)
        << l.first << " -> " << l.last << " share " << l.share;
  }
}

TEST(Compare, MarginsWithOneLimitOrNone) {
  EXPECT_NEAR(*marginOf(12.0, 10.0, std::nullopt), 0.2, 1e-12);
  EXPECT_NEAR(*marginOf(8.0, std::nullopt, 10.0), 0.2, 1e-12);
  EXPECT_FALSE(marginOf(1.0, std::nullopt, std::nullopt));
  EXPECT_FALSE(marginOf(std::nullopt, 0.0, 1.0));
  EXPECT_FALSE(marginOf(1.0, 2.0, 2.0)) << "no band";
}

TEST(Compare, DifferentBusesAreRefusedAndNothingIsNoComparison) {
  QString error;
  EXPECT_FALSE(compareRuns({run("a.HTM", day(1), {}), run("b.HTM", day(2), {}, "CAN 500 kbit/s")},
                           {}, &error, French));
  EXPECT_TRUE(error.startsWith("Ces résultats ne sont pas du même bus")) << error.toStdString();
  EXPECT_TRUE(error.contains("b.HTM (CAN 500 kbit/s)"));
  // Blanks and case do not make another bus.
  EXPECT_TRUE(
      compareRuns({run("a.HTM", day(1), {}), run("b.HTM", day(2), {}, "lin -  19200 BIT/S")}, {},
                  &error, English));
  EXPECT_FALSE(compareRuns({}, {}, &error, English));
  EXPECT_EQ(error, "No results to compare.");
}

TEST(Compare, TheDateIsTheFilesOwnWhenItWritesOne) {
  QTemporaryDir dir;
  const QString path = dir.filePath("r.HTM");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  bool fromFile = true;
  EXPECT_EQ(resultDate("<H3>Test of 2026-03-04 14:05</H3>", path, &fromFile),
            QDateTime(QDate(2026, 3, 4), QTime(14, 5)));
  EXPECT_TRUE(fromFile);
  EXPECT_EQ(resultDate("<P>04/03/2026 08:15:30</P>", path, &fromFile),
            QDateTime(QDate(2026, 3, 4), QTime(8, 15, 30)));
  EXPECT_EQ(resultDate("<P>31.12.2025</P>", path, &fromFile),
            QDateTime(QDate(2025, 12, 31), QTime(0, 0)));
  // Not a date (month 13): the file's own time.
  EXPECT_EQ(resultDate("<P>2026-13-40</P>", path, &fromFile), QFileInfo(path).lastModified());
  EXPECT_FALSE(fromFile);
}

TEST(ResultCompareCommand, JsonReadsBackAndMixedBusesFail) {
  QTemporaryDir dir;
  auto write = [&](const char* name, const char* date, const char* value) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        QStringLiteral("<HTML><BODY><H1>BUS DIAGNOSTIC RESULT</H1>\n<H3>%1</H3>\n"
                       "<H2>LIN - 19200 bit/s</H2>\n<H4 class=\"green\">Bus within limits</H4>\n"
                       "<TABLE border=\"1\">\n<TBODY>\n"
                       "<TR class=\"row\"><TD>Bit time</TD><TD>51.0 \xB5s</TD><TD>53.2 \xB5s</TD>"
                       "<TD class=\"green\">%2 \xB5s</TD><TD>2 %</TD></TR>\n"
                       "</TBODY>\n</TABLE>\n</BODY></HTML>\n")
            .arg(QString::fromLatin1(date), QString::fromLatin1(value))
            .toLatin1());
    return path;
  };
  const QString b = write("b.HTM", "2026-03-02", "52.9");
  const QString a = write("a.HTM", "2026-03-01", "52.1");
  QProcess cli;
  cli.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"),
            {"result", "compare", b, a, "--format", "json"});
  ASSERT_TRUE(cli.waitForFinished(60000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  QJsonParseError parsed;
  const QJsonObject doc = QJsonDocument::fromJson(cli.readAllStandardOutput(), &parsed).object();
  ASSERT_EQ(parsed.error, QJsonParseError::NoError);
  EXPECT_EQ(doc["bus"].toString(), "LIN - 19200 bit/s");
  const QJsonArray runs = doc["runs"].toArray();
  ASSERT_EQ(runs.size(), 2);
  EXPECT_EQ(runs[0].toObject()["file"].toString(), a) << "ordered by the dates the files write";
  EXPECT_EQ(runs[0].toObject()["date_source"].toString(), "file");
  const QJsonObject bit = doc["measurements"].toArray()[0].toObject();
  EXPECT_EQ(bit["name"].toString(), "Bit time");
  EXPECT_DOUBLE_EQ(bit["values"].toArray()[1].toDouble(), 52.9e-6);
  EXPECT_EQ(bit["trend"].toString(), "rising");
  EXPECT_TRUE(bit["margin_shrank"].toBool());

  // The same comparison into a workbook; a name that is not a workbook's is refused.
  const QString book = dir.filePath("trend.xlsx");
  cli.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"),
            {"result", "compare", a, b, "--workbook", book, "--format", "csv"});
  ASSERT_TRUE(cli.waitForFinished(60000));
  EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  EXPECT_TRUE(cli.readAllStandardOutput().startsWith("measurement,unit,value_1,value_2,"));
  EXPECT_TRUE(QFileInfo(book).size() > 0);
  cli.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"),
            {"result", "compare", a, b, "--workbook", dir.filePath("trend.csv")});
  ASSERT_TRUE(cli.waitForFinished(60000));
  EXPECT_EQ(cli.exitCode(), 1);
  EXPECT_FALSE(QFile::exists(dir.filePath("trend.csv")));

  QFile other(dir.filePath("c.HTM"));
  ASSERT_TRUE(QFile::copy(a, other.fileName()));
  ASSERT_TRUE(other.open(QIODevice::ReadWrite));
  QByteArray text = other.readAll().replace("LIN - 19200", "CAN - 500000");
  other.resize(0);
  other.write(text);
  other.close();
  cli.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"),
            {"result", "compare", a, other.fileName()});
  ASSERT_TRUE(cli.waitForFinished(60000));
  EXPECT_EQ(cli.exitCode(), 1);
  EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError()).contains("not of the same bus"));
}

namespace {

// A result of the LIN bus whose "Bit time" is `value` µs, written on `date`
// (the line as the instrument writes it, or none), its file's time `mtime`.
QString linResult(const QTemporaryDir& dir, const char* name, const char* dateLine,
                  const char* value, const QDateTime& mtime) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(
      QByteArray("<HTML><BODY><H1>BUS DIAGNOSTIC RESULT</H1>\r\n"
                 "<H2>LIN - 19200 bit/s</H2>\r\n<H4 class=\"green\">Bus within limits</H4>\r\n") +
      dateLine +
      "<TABLE border=\"1\">\r\n<TBODY>\r\n"
      "<TR class=\"row\"><TD>Bit time</TD><TD>51.0 \xB5s</TD><TD>53.2 \xB5s</TD>"
      "<TD class=\"green\">" +
      value + " \xB5s</TD><TD>2 %</TD></TR>\r\n</TBODY>\r\n</TABLE>\r\n</BODY></HTML>\r\n");
  f.close();
  EXPECT_TRUE(f.open(QIODevice::ReadWrite));
  EXPECT_TRUE(f.setFileTime(mtime, QFileDevice::FileModificationTime));
  return path;
}

QDateTime at(int day, int hour = 9) { return QDateTime(QDate(2026, 11, day), QTime(hour, 0)); }

}  // namespace

TEST(Compare, EveryDateFormOfTheResultsIsRead) {
  auto read = [](const char* text) { return resultDateIn(QByteArray(text)); };
  // The instrument's own line: year first with slashes, seconds.
  EXPECT_EQ(read("<P>Date : 2026/11/23 14:02:51</P>"),
            QDateTime(QDate(2026, 11, 23), QTime(14, 2, 51)));
  EXPECT_EQ(read("<P>Date : 2026-11-23 14:02</P>"), QDateTime(QDate(2026, 11, 23), QTime(14, 2)));
  EXPECT_EQ(read("<P>2026-11-23T14:02:05</P>"), QDateTime(QDate(2026, 11, 23), QTime(14, 2, 5)));
  EXPECT_EQ(read("<P>2026.11.23</P>"), QDateTime(QDate(2026, 11, 23), QTime(0, 0)));
  // Day first, with slashes, dots or dashes, with or without seconds.
  EXPECT_EQ(read("<P>Datum: 23.11.2026 14:02</P>"), QDateTime(QDate(2026, 11, 23), QTime(14, 2)));
  EXPECT_EQ(read("<P>23-11-2026 14:02:51</P>"), QDateTime(QDate(2026, 11, 23), QTime(14, 2, 51)));
  EXPECT_EQ(read("<P>3/1/2026</P>"), QDateTime(QDate(2026, 1, 3), QTime(0, 0)));
  // A labelled date wins over one in a title; an impossible one is passed over.
  EXPECT_EQ(read("<H3>Plant 2026-01-01</H3><P>Date : 2026/11/23 14:02:51</P>"),
            QDateTime(QDate(2026, 11, 23), QTime(14, 2, 51)));
  EXPECT_EQ(read("<P>2026/13/40</P><P>24/11/2026</P>"),
            QDateTime(QDate(2026, 11, 24), QTime(0, 0)));
  // Not dates: mixed separators, a longer run of digits, a version number.
  EXPECT_FALSE(read("<P>2026/11-23</P>").isValid());
  EXPECT_FALSE(read("<P>120261123</P><P>v1.2.3</P><P>12026/11/23</P>").isValid());
  EXPECT_FALSE(read("").isValid());

  // The shipped samples carry the line; the reader keeps it with the table.
  ResultTable table;
  ASSERT_TRUE(loadResultFile(QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/CAN_HS_PASS.HTM"),
                             English, table, nullptr));
  EXPECT_EQ(table.date, QDateTime(QDate(2026, 11, 23), QTime(14, 2, 51)));
  EXPECT_EQ(resultDateText(table.date), "2026-11-23 14:02:51");
  EXPECT_EQ(resultDateText(at(1)), "2026-11-01 09:00");

  QTemporaryDir dir;
  bool fromFile = false;
  const QString path = linResult(dir, "x.HTM", "", "52.0", at(2));
  EXPECT_EQ(resultDate("<P>Date : 2026/11/23 14:02:51</P>", path, &fromFile),
            QDateTime(QDate(2026, 11, 23), QTime(14, 2, 51)));
  EXPECT_TRUE(fromFile) << "not the file's time";
}

TEST(Compare, CopiedResultsKeepTheOrderOfTheirOwnDates) {
  // Values falling towards the lower limit, the files copied newest first
  // (their times in the opposite order of their dates).
  QTemporaryDir dir;
  const QStringList paths = {
      linResult(dir, "c.HTM", "<P>Date : 2026/11/23 14:02:51</P>\r\n", "51.3", at(1)),
      linResult(dir, "a.HTM", "<P>Date : 2026/11/03 08:00:00</P>\r\n", "52.1", at(3)),
      linResult(dir, "b.HTM", "<P>Date : 2026/11/13 10:30:00</P>\r\n", "51.6", at(2))};
  QString error;
  const auto c = compareResultFiles(paths, {}, English, &error);
  ASSERT_TRUE(c) << error.toStdString();
  ASSERT_EQ(c->runs.size(), 3u);
  EXPECT_TRUE(c->runs[0].table.sourcePath.endsWith("a.HTM"));
  EXPECT_TRUE(c->runs[2].table.sourcePath.endsWith("c.HTM"));
  for (const CompareRun& run : c->runs) EXPECT_EQ(run.dateSource, DateSource::Result);
  EXPECT_EQ(orderBasis(*c), OrderBasis::ResultDates);
  EXPECT_TRUE(trendNote(*c, English).isEmpty());
  ASSERT_EQ(c->measurements.size(), 1u);
  EXPECT_EQ(c->measurements[0].trend, Trend::Falling);
  EXPECT_TRUE(c->measurements[0].marginShrank);

  // Without dates the files' times order them, and the comparison says so.
  const QStringList undated = {linResult(dir, "u1.HTM", "", "51.3", at(1)),
                               linResult(dir, "u2.HTM", "<P>2026/11/02</P>", "52.1", at(3))};
  const auto u = compareResultFiles(undated, {}, English, &error);
  ASSERT_TRUE(u) << error.toStdString();
  EXPECT_EQ(u->runs[0].dateSource, DateSource::FileTime);
  EXPECT_EQ(u->runs[0].date, at(1));
  EXPECT_EQ(u->runs[1].dateSource, DateSource::Result);
  EXPECT_EQ(orderBasis(*u), OrderBasis::FileTimes);
  EXPECT_EQ(trendNote(*u, English), "order from file times for 1 of 2 runs");
  EXPECT_EQ(dateSourceText(DateSource::FileTime, German), "Dateizeit");
  EXPECT_EQ(dateSourceName(DateSource::FileTime), "modified");

  // The user's order is kept as given, and the trends follow it.
  const auto given = compareResultFiles(paths, {}, English, &error, RunOrder::Given);
  ASSERT_TRUE(given) << error.toStdString();
  EXPECT_TRUE(given->runs[0].table.sourcePath.endsWith("c.HTM"));
  EXPECT_EQ(given->measurements[0].trend, Trend::Rising) << "51.3, 52.1, 51.6";
  EXPECT_EQ(orderBasis(*given), OrderBasis::Given);
  EXPECT_EQ(trendNote(*given, French), "dans l'ordre choisi");
}

TEST(Compare, OneResultIsNoComparison) {
  QString error;
  EXPECT_FALSE(compareRuns({run("a.HTM", day(1), {})}, {}, &error, Italian));
  EXPECT_EQ(error, "Scegliere almeno due risultati da confrontare.");
}

TEST(ResultCompareCommand, DatesSourcesAndTheOrderInEveryFormat) {
  using karvel::test::csvOf;
  using karvel::test::jsonOf;
  using karvel::test::runCli;
  QTemporaryDir dir;
  const QString dated =
      linResult(dir, "dated.HTM", "<P>Date : 2026/11/23 14:02:51</P>", "51.3", at(1));
  const QString undated = linResult(dir, "undated.HTM", "", "52.1", at(30));

  // One file: wrong usage, nothing compared.
  const karvel::test::CliRun one = runCli({"result", "compare", dated});
  EXPECT_EQ(one.code, 2);
  EXPECT_TRUE(one.err.contains("at least two")) << one.err.toStdString();
  EXPECT_TRUE(one.out.isEmpty());
  EXPECT_EQ(runCli({"result", "compare", dated, undated, "--order", "size"}).code, 2);

  // By date: the file's time of "undated" puts it after the other.
  QJsonObject doc = jsonOf(runCli({"result", "compare", undated, dated, "--format", "json"}));
  ASSERT_FALSE(doc.contains("parse_error"));
  EXPECT_EQ(doc["order"].toString(), "date");
  QJsonArray runs = doc["runs"].toArray();
  ASSERT_EQ(runs.size(), 2);
  EXPECT_EQ(runs[0].toObject()["file"].toString(), dated);
  EXPECT_EQ(runs[0].toObject()["date"].toString(), "2026-11-23T14:02:51");
  EXPECT_EQ(runs[0].toObject()["date_source"].toString(), "file");
  EXPECT_EQ(runs[1].toObject()["date_source"].toString(), "modified");
  EXPECT_EQ(doc["measurements"].toArray()[0].toObject()["trend_basis"].toString(), "file_times");

  // Given: the arguments' order, and the trend follows it.
  doc =
      jsonOf(runCli({"result", "compare", undated, dated, "--order", "given", "--format", "json"}));
  EXPECT_EQ(doc["order"].toString(), "given");
  EXPECT_EQ(doc["runs"].toArray()[0].toObject()["file"].toString(), undated);
  const QJsonObject bit = doc["measurements"].toArray()[0].toObject();
  EXPECT_EQ(bit["trend"].toString(), "falling");
  EXPECT_EQ(bit["trend_basis"].toString(), "given");

  const QJsonArray csv = csvOf(runCli({"result", "compare", undated, dated, "--format", "csv"}));
  ASSERT_EQ(csv.size(), 1);
  const QJsonObject row = csv[0].toObject();
  EXPECT_EQ(row["trend_basis"].toString(), "file_times");
  EXPECT_EQ(row["file_1"].toString(), dated);
  EXPECT_EQ(row["date_source_1"].toString(), "file");
  EXPECT_EQ(row["date_source_2"].toString(), "modified");
  EXPECT_EQ(row["date_1"].toString(), "2026-11-23T14:02:51");

  const karvel::test::CliRun text = runCli({"result", "compare", undated, dated});
  EXPECT_EQ(text.code, 0) << text.err.toStdString();
  EXPECT_TRUE(text.out.contains("order\tby date, some from file times\n"));
  EXPECT_TRUE(text.out.contains("2026-11-23T14:02:51 (written in the result)"));
  EXPECT_TRUE(text.out.contains("(file time)"));
  EXPECT_TRUE(text.out.contains("rising (order from file times)")) << text.out.toStdString();
}
