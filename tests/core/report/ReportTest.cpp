// SPDX-License-Identifier: GPL-3.0-or-later
// The maintenance report from end to end: a register filed through
// karvel-cli, the PDF written by "register report", and the PDF read back
// with poppler's tools (its text, its fonts, its pages rendered), as a
// customer's reader would see it. Also what buildReport gathers, and the
// limit date in "register compare --format json".
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "core/register/Register.h"
#include "core/register/RegisterFixtures.h"
#include "core/report/Report.h"
#include "core/report/ReportTexts.h"
#include "support/CliRun.h"

using namespace karvel;
using namespace karvel::test;

namespace {

// A result of the LIN bus with its verdict, a bit time of `bit` (or "---"),
// a slew rate in warning and, when `extra`, a failed dominant level.
QByteArray visitResult(int month, int day, const QString& bit, const char* verdict = "green",
                       bool extra = false) {
  QByteArray rows =
      "<TR class=\"row\"><TD>Bit time</TD><TD>51.0 \xB5s</TD><TD>53.2 \xB5s</TD>"
      "<TD class=\"" +
      QByteArray(bit == u"---" ? "none" : "green") + "\">" + bit.toLatin1() +
      (bit == u"---" ? "" : " \xB5s") +
      "</TD><TD>2 %</TD></TR>\r\n"
      "<TR class=\"row\"><TD>Slew rate</TD><TD>1.0 V/\xB5s</TD><TD>3.0 V/\xB5s</TD>"
      "<TD class=\"yellow\">2.9 V/\xB5s</TD><TD>5 %</TD></TR>\r\n";
  if (extra)
    rows +=
        "<TR class=\"row\"><TD>Dominant level</TD><TD>0 V</TD><TD>2.0 V</TD>"
        "<TD class=\"red\">2.6 V</TD><TD>30 %</TD></TR>\r\n";
  return QByteArray(
             "<HTML><BODY><H1>BUS DIAGNOSTIC RESULT</H1>\r\n<H2>LIN - 19200 bit/s</H2>\r\n"
             "<H4 class=\"") +
         verdict + "\">Bus verdict " + verdict + "</H4>\r\n" +
         QStringLiteral("<P>Date : 2026/%1/%2 09:00:00</P>\r\n")
             .arg(month, 2, 10, QChar(u'0'))
             .arg(day, 2, 10, QChar(u'0'))
             .toLatin1() +
         "<TABLE border=\"1\">\r\n<TBODY>\r\n" + rows +
         "</TBODY>\r\n</TABLE>\r\n</BODY></HTML>\r\n";
}

struct Tool {
  int code = -1;
  QByteArray out;
};

Tool runTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  Tool t;
  if (!p.waitForFinished(60000)) return t;
  t.code = p.exitCode();
  t.out = p.readAllStandardOutput();
  return t;
}

// The site "Mill" of "Acme Foods":
//  Press line: four weekly results (the first the baseline), the bit time
//    rising 0.4 µs a week towards its maximum of 53.2 µs;
//  Boiler: one result, in the visit, failed, with a "---" bit time;
//  Gate: one result before the visit.
// The visit is 2026-11-24, the last day with results.
class ReportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    reg = dir.filePath("site.sqlite");
    const QStringList press = {writeResult(dir, "P1.HTM", visitResult(11, 3, "51.6")),
                               writeResult(dir, "P2.HTM", visitResult(11, 10, "52.0")),
                               writeResult(dir, "P3.HTM", visitResult(11, 17, "52.4")),
                               writeResult(dir, "P4.HTM", visitResult(11, 24, "52.8"))};
    ASSERT_EQ(cli(QStringList{"register", "add"} + press +
                  QStringList{"--site", "Mill", "--segment", "Press line", "--customer",
                              "Acme Foods", "--technician", "Ana Ruiz"})
                  .code,
              0);
    ASSERT_EQ(cli({"register", "baseline", "1"}).code, 0);
    ASSERT_EQ(
        cli({"register", "add", writeResult(dir, "B1.HTM", visitResult(11, 24, "---", "red", true)),
             "--site", "Mill", "--segment", "Boiler", "--technician", "Ana Ruiz", "--note",
             "Terminator loose"})
            .code,
        0);
    ASSERT_EQ(cli({"register", "add", writeResult(dir, "G1.HTM", visitResult(10, 2, "52.0")),
                   "--site", "Mill", "--segment", "Gate"})
                  .code,
              0);
  }
  CliRun cli(QStringList args) { return runCli(args << "--register" << reg); }
  CliRun report(const QString& out, const QStringList& more = {},
                const QStringList& environment = {}) {
    CliSetting setting;
    setting.environment = environment;
    return runCliAs(
        QStringList{"register", "report", "--site", "Mill", "--register", reg, out} + more,
        setting);
  }
  QString text(const QString& pdf) {
    return QString::fromUtf8(runTool("pdftotext", {"-layout", pdf, "-"}).out);
  }
  QTemporaryDir dir;
  QString reg;
};

int pageCount(const QString& pdf) {
  const QString info = QString::fromUtf8(runTool("pdfinfo", {pdf}).out);
  for (const QString& line : info.split(u'\n'))
    if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
  return -1;
}

// Pixels of exactly this colour in a rendered page (PPM, as pdftoppm writes it).
int pixelsOf(const QByteArray& ppm, QRgb colour) {
  // "P6\nW H\n255\n" then RGB triples.
  int field = 0;
  qsizetype at = 0;
  while (field < 4 && at < ppm.size()) {
    while (at < ppm.size() && QChar(ppm[at]).isSpace()) ++at;
    while (at < ppm.size() && !QChar(ppm[at]).isSpace()) ++at;
    ++field;
  }
  ++at;
  int count = 0;
  for (; at + 2 < ppm.size(); at += 3)
    if (qRgb(uchar(ppm[at]), uchar(ppm[at + 1]), uchar(ppm[at + 2])) == colour) ++count;
  return count;
}

}  // namespace

TEST_F(ReportFixture, ThePdfSaysWhatWasMeasuredInSearchableEmbeddedTextAndColours) {
  const QString pdf = dir.filePath("mill.pdf");
  const CliRun made = report(pdf, {"--technician", "Jean Martin"});
  ASSERT_EQ(made.code, 0) << made.err.toStdString();
  const QString all = text(pdf);
  ASSERT_FALSE(all.isEmpty());
  for (const char* expected : {"Maintenance report",
                               "Acme Foods",
                               "Mill",
                               "2026-11-24",
                               "Jean Martin",
                               "Summary",
                               "Press line",
                               "Boiler",
                               "Gate",
                               "not measured during this visit",
                               "Pass",
                               "Fail",
                               "Warning",
                               "no baseline",
                               "Changes since the baseline (2026-11-03",
                               "Changes since the previous visit (2026-11-17",
                               "margin shrank",
                               "Bit time",
                               "Slew rate",
                               "2.9 V/µs",
                               "Dominant level",
                               "History of the flagged measurements",
                               "maximum around 2026-12-01",
                               "least-squares line",
                               "This segment has no baseline",
                               "No earlier visit of this segment.",
                               "no value",
                               "Terminator loose",
                               "What to do",
                               "Customer's signature"})
    EXPECT_TRUE(all.contains(QString::fromUtf8(expected))) << expected;
  const int pages = pageCount(pdf);
  EXPECT_GE(pages, 3);
  EXPECT_TRUE(all.contains(QStringLiteral("Page 1 of %1").arg(pages)));
  EXPECT_TRUE(all.contains(QStringLiteral("Page %1 of %1").arg(pages)));
  // The earlier results of the Press line are history, not this visit's.
  EXPECT_FALSE(all.contains("Result P3.HTM"));

  // Every font is embedded (a subset), the text DejaVu.
  const QString fonts = QString::fromUtf8(runTool("pdffonts", {pdf}).out);
  const QStringList lines = fonts.split(u'\n', Qt::SkipEmptyParts).mid(2);
  ASSERT_FALSE(lines.isEmpty()) << fonts.toStdString();
  for (const QString& line : lines) {
    const QStringList f = line.split(u' ', Qt::SkipEmptyParts);
    // name type [encoding words] emb sub uni object ID: emb is the fifth from the end.
    ASSERT_GE(f.size(), 6);
    EXPECT_EQ(f[f.size() - 5], "yes") << line.toStdString();
  }
  EXPECT_TRUE(fonts.contains("DejaVuSans")) << fonts.toStdString();
  const QString info = QString::fromUtf8(runTool("pdfinfo", {pdf}).out);
  EXPECT_TRUE(info.contains("(A4)")) << "A4 outside the Letter countries";
  EXPECT_TRUE(info.simplified().contains("PDF version: 1.4")) << info.toStdString();

  // The summary page shows the verdicts in their colours; the Press line's
  // page its warning.
  const Tool summary = runTool("pdftoppm", {"-r", "40", "-f", "1", "-l", "1", pdf});
  ASSERT_EQ(summary.code, 0);
  EXPECT_GT(pixelsOf(summary.out, qRgb(0, 255, 0)), 50) << "pass";
  EXPECT_GT(pixelsOf(summary.out, qRgb(255, 0, 0)), 50) << "fail";
  const Tool press = runTool("pdftoppm", {"-r", "40", "-f", "3", "-l", "3", pdf});
  EXPECT_GT(pixelsOf(press.out, qRgb(255, 255, 0)), 50) << "warning";
}

class ReportLanguage : public ReportFixture, public ::testing::WithParamInterface<int> {};

TEST_P(ReportLanguage, HeadingsComeInTheLanguageAsked) {
  const int language = GetParam();
  const QString pdf = dir.filePath("mill.pdf");
  const CliRun made =
      report(pdf, {"--language", QStringList{"fr", "en", "de", "es", "it"}[language]});
  ASSERT_EQ(made.code, 0) << made.err.toStdString();
  // pdftotext keeps a line's words, not always its spaces: compare without.
  QString all = text(pdf);
  all.remove(u' ');
  for (const Text5* heading :
       {&reporttext::kTitle, &reporttext::kSummary, &reporttext::kActions, &reporttext::kSignature})
    EXPECT_TRUE(all.contains(pick(*heading, language).remove(u' ')))
        << pick(*heading, language).toStdString();
  EXPECT_TRUE(
      all.contains(pick(reporttext::kPage, language).arg(1).arg(pageCount(pdf)).remove(u' ')));
}

INSTANTIATE_TEST_SUITE_P(AllFive, ReportLanguage, ::testing::Values(0, 1, 2, 3, 4));

TEST_F(ReportFixture, LetterPagesDatesAndRefusals) {
  const QString pdf = dir.filePath("letter.pdf");
  ASSERT_EQ(report(pdf, {}, {"LC_ALL=en_US.UTF-8", "LANG=en_US.UTF-8"}).code, 0);
  EXPECT_TRUE(QString::fromUtf8(runTool("pdfinfo", {pdf}).out).contains("612 x 792"));

  // A visit of other days: the Gate's result of October is in, the others not.
  const QString october = dir.filePath("october.pdf");
  ASSERT_EQ(report(october, {"--from", "2026-10-01", "--to", "2026-10-31"}).code, 0);
  const QString gate = text(october);
  EXPECT_TRUE(gate.contains("2026-10-01 to 2026-10-31"));
  EXPECT_TRUE(gate.contains("Segment Gate"));
  EXPECT_FALSE(gate.contains("Segment Press line"));

  const CliRun reversed =
      report(dir.filePath("x.pdf"), {"--from", "2026-11-24", "--to", "2026-11-01"});
  EXPECT_EQ(reversed.code, 1);
  EXPECT_TRUE(reversed.err.contains("starts on 2026-11-24, after it ends on 2026-11-01"));
  const CliRun badDate = report(dir.filePath("x.pdf"), {"--from", "24/11"});
  EXPECT_EQ(badDate.code, 2);
  EXPECT_TRUE(badDate.err.contains("--from takes a date"));
  const CliRun noSite =
      runCli({"register", "report", "--site", "Nowhere", "--register", reg, dir.filePath("x.pdf")});
  EXPECT_EQ(noSite.code, 1);
  EXPECT_TRUE(noSite.err.contains("no site Nowhere"));
  // A folder that cannot be written: said, nothing left.
  const CliRun unwritable = report(dir.filePath("missing/x.pdf"));
  EXPECT_EQ(unwritable.code, 1);
  EXPECT_TRUE(unwritable.err.contains("could not be written")) << unwritable.err.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("x.pdf")));

  // Qt's own remark (here on a runtime folder open to all) comes as one of
  // the program's JSON lines, beside the failure's: stderr stays parseable.
  QTemporaryDir runtime;
  QFile::setPermissions(runtime.path(), QFileDevice::Permissions(0x7777));
  const CliRun json = report(dir.filePath("missing/x.pdf"), {"--format", "json"},
                             {"XDG_RUNTIME_DIR=" + runtime.path()});
  EXPECT_EQ(json.code, 1);
  const QStringList lines = json.err.trimmed().split(u'\n');
  EXPECT_GE(lines.size(), 2) << json.err.toStdString();
  for (const QString& line : lines)
    EXPECT_TRUE(QJsonDocument::fromJson(line.toUtf8()).isObject()) << line.toStdString();
  EXPECT_TRUE(json.err.contains("\"warning\"") && json.err.contains("runtime directory"))
      << json.err.toStdString();
}

TEST_F(ReportFixture, ANoteLongerThanAPageGoesOnOverThePagesWhole) {
  QStringList sentences;
  for (int i = 1; i <= 150; ++i)
    sentences << QStringLiteral("Check %1: the far terminator was tightened.").arg(i);
  ASSERT_EQ(cli({"register", "add",
                 writeResult(dir, "B2.HTM", visitResult(11, 24, "52.0", "green", true)), "--site",
                 "Mill", "--segment", "Boiler", "--note", sentences.join(u' ')})
                .code,
            0);
  const QString pdf = dir.filePath("long.pdf");
  ASSERT_EQ(report(pdf).code, 0);
  const QString all = text(pdf).simplified();
  for (int i : {1, 75, 150})
    EXPECT_TRUE(all.contains(QStringLiteral("Check %1: the far terminator").arg(i))) << i;
  // Word by word: a page break puts the header and the footer between two.
  EXPECT_EQ(all.count("tightened"), 150);
}

TEST_F(ReportFixture, CompareJsonGivesTheLimitDate) {
  const CliRun run =
      cli({"register", "compare", "--site", "Mill", "--segment", "Press line", "--format", "json"});
  ASSERT_EQ(run.code, 0) << run.err.toStdString();
  const QJsonArray m = QJsonDocument::fromJson(run.out.toUtf8()).object()["measurements"].toArray();
  ASSERT_EQ(m.size(), 2);
  const QJsonObject bit = m[0].toObject()["limit_reach"].toObject();
  EXPECT_EQ(bit["date"].toString().left(16), "2026-12-01T09:00");
  EXPECT_EQ(bit["limit"].toString(), "maximum");
  EXPECT_EQ(bit["points"].toInt(), 4);
  EXPECT_FALSE(bit["already_reached"].toBool());
  EXPECT_TRUE(m[1].toObject()["limit_reach"].isNull()) << "the slew rate does not move";
}

TEST_F(ReportFixture, BuildReportGathersTheVisitAndGoesOnWithoutAnUnreadableLogo) {
  Register r;
  QString error;
  ASSERT_TRUE(r.open(reg, English, &error)) << error.toStdString();
  const QString notAnImage = writeResult(dir, "logo.png", "not a picture");
  ReportRequest request;
  request.site = QStringLiteral("Mill");
  request.logoPath = notAnImage;
  const std::optional<Report> report = buildReport(r, request, &error);
  ASSERT_TRUE(report) << error.toStdString();
  EXPECT_TRUE(report->logo.isNull());
  EXPECT_TRUE(report->logoProblem.contains(notAnImage));
  EXPECT_EQ(report->from, QDate(2026, 11, 24));
  EXPECT_EQ(report->technician, "Ana Ruiz");
  ASSERT_EQ(report->segments.size(), 3u);
  // By name: Boiler, Gate, Press line.
  const ReportSegment& boiler = report->segments[0];
  EXPECT_EQ(boiler.failed, 1);
  EXPECT_FALSE(boiler.baseline);
  EXPECT_FALSE(boiler.history) << "one result: nothing to compare";
  EXPECT_FALSE(report->segments[1].current) << "the Gate was not measured";
  const ReportSegment& press = report->segments[2];
  ASSERT_TRUE(press.current);
  EXPECT_EQ(*press.current, 3u);
  EXPECT_EQ(press.baseline, std::optional<std::size_t>(0));
  EXPECT_EQ(press.previous, std::optional<std::size_t>(2));
  EXPECT_EQ(press.shrunk, 1);
  EXPECT_EQ(press.warnings, 1);
  ASSERT_FALSE(press.flagged.empty());
  EXPECT_EQ(press.history->measurements[press.flagged[0]].name, "Bit time");
  EXPECT_TRUE(press.sinceBaseline[0].shrank);
  EXPECT_TRUE(press.sincePrevious[0].shrank) << "52.4 to 52.8 halves the margin";
  EXPECT_FALSE(press.sincePrevious[1].flagged()) << "the slew rate stays where it was";

  request.site = QStringLiteral("Nowhere");
  EXPECT_FALSE(buildReport(r, request, &error));
  EXPECT_EQ(error, "The register has no site Nowhere");
}
