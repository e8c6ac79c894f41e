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
