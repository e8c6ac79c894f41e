// SPDX-License-Identifier: GPL-3.0-or-later
// The maintenance report from end to end: a register filed through
// karvel-cli, the PDF written by "register report", and the PDF read back
// with poppler's tools (its text, its fonts, its pages rendered), as a
// customer's reader would see it. Also what buildReport gathers, the limit
// date in "register compare --format json", and the report painted here
// with what its painting tells (every text in its box, in five languages;
// the summary's cells; the bars; the charts' fitted lines).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "core/register/Register.h"
#include "core/register/RegisterFixtures.h"
#include "core/report/Report.h"
#include "core/report/ReportPdf.h"
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

// A LIN result of November `day` with the given rows, each "name|min|max|
// value|class" (the units written in), the bus verdict's class and sentence.
QByteArray linResult(int day, const char* verdict, const QStringList& rows,
                     const QByteArray& bus = "LIN - 19200 bit/s", const QByteArray& sentence = {}) {
  QByteArray body;
  for (const QString& row : rows) {
    const QStringList c = row.split(u'|');
    body += "<TR class=\"row\"><TD>" + c[0].toLatin1() + "</TD><TD>" + c[1].toLatin1() +
            "</TD><TD>" + c[2].toLatin1() + "</TD><TD class=\"" + c[4].toLatin1() + "\">" +
            c[3].toLatin1() + "</TD><TD>0 %</TD></TR>\r\n";
  }
  return "<HTML><BODY><H1>BUS DIAGNOSTIC RESULT</H1>\r\n<H2>" + bus + "</H2>\r\n<H4 class=\"" +
         verdict + "\">" + (sentence.isEmpty() ? "Bus verdict " + QByteArray(verdict) : sentence) +
         "</H4>\r\n" +
         QStringLiteral("<P>Date : 2026/11/%1 09:00:00</P>\r\n")
             .arg(day, 2, 10, QChar(u'0'))
             .toLatin1() +
         "<TABLE border=\"1\">\r\n<TBODY>\r\n" + body +
         "</TBODY>\r\n</TABLE>\r\n</BODY></HTML>\r\n";
}

// Painting needs fonts, hence a QGuiApplication (offscreen). When a test
// before this one made a plain QCoreApplication, this test runs again in a
// process of its own: false here, the child's outcome checked.
bool paintingHere() {
  if (!QCoreApplication::instance()) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "karvel-tests";
    static char* argv[] = {name, nullptr};
    // Ended with the tests, before the program's own end takes the font
    // caches it holds from under it.
    struct EndApplication : ::testing::Environment {
      void TearDown() override { delete QCoreApplication::instance(); }
    };
    new QGuiApplication(argc, argv);
    ::testing::AddGlobalTestEnvironment(new EndApplication);
    return true;
  }
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return true;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(
      QCoreApplication::applicationFilePath(),
      {QStringLiteral("--gtest_filter=%1.%2")
           .arg(QString::fromUtf8(test->test_suite_name()), QString::fromUtf8(test->name()))});
  const bool ended = child.waitForFinished(300000);
  const QByteArray out = child.readAll();
  EXPECT_TRUE(ended && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
      << out.toStdString();
  EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
  return false;
}

// What painting a report told: each text with the rectangle its font's
// metrics give it inside its box, those that did not fit, the bars and the
// fitted lines.
struct Painted {
  struct Text {
    int page;
    QString text;
    QRectF box, ink;
  };
  std::vector<Text> texts;
  QStringList misfits;
  std::vector<ReportWatch::Bar> bars;
  std::vector<ReportWatch::Trend> trends;
  QSizeF pageSize;

  // The texts of a page that no other text of it touches: pairs that do.
  QStringList overlaps() const {
    QStringList out;
    for (std::size_t i = 0; i < texts.size(); ++i)
      for (std::size_t j = i + 1; j < texts.size(); ++j) {
        const Text &a = texts[i], &b = texts[j];
        if (a.page != b.page || a.text.isEmpty() || b.text.isEmpty()) continue;
        if (a.ink.adjusted(0.05, 0.05, -0.05, -0.05).intersects(b.ink))
          out << QStringLiteral("page %1: \"%2\" and \"%3\"").arg(a.page).arg(a.text, b.text);
      }
    return out;
  }
  // The text painted on `page` whose box holds the point (x, y).
  const Text* at(int page, double x, double y) const {
    for (const Text& t : texts)
      if (t.page == page && t.box.left() <= x && x <= t.box.right() && t.box.top() <= y &&
          y <= t.box.bottom())
        return &t;
    return nullptr;
  }
  // The first text that reads `words` (its lines' breaks aside) on any page.
  const Text* find(const QString& words, int page = 0) const {
    QString wanted = words;
    wanted.remove(QRegularExpression(QStringLiteral("\\s")));
    for (const Text& t : texts) {
      QString seen = t.text;
      seen.remove(QRegularExpression(QStringLiteral("\\s")));
      if (seen == wanted && (page == 0 || t.page == page)) return &t;
    }
    return nullptr;
  }
};

Painted paintReport(const Report& report, Paper paper = Paper::A4) {
  Painted painted;
  ReportWatch watch;
  watch.text = [&](const ReportWatch::Text& t) {
    // Measured as drawText lays it out, with the painter's device's metrics.
    const QRectF ink = QFontMetricsF(t.font, t.device).boundingRect(t.box, t.flags, t.text);
    painted.texts.push_back({t.page, t.text, t.box, ink});
    const QSizeF page(t.device->widthMM() / 25.4 * 72, t.device->heightMM() / 25.4 * 72);
    painted.pageSize = page;
    if (!t.box.adjusted(-0.01, -0.01, 0.01, 0.01).contains(ink) ||
        !QRectF(QPointF(0, 0), page).contains(t.box))
      painted.misfits << QStringLiteral(
                             "page %1: \"%2\" needs %3 x %4 at (%5, %6), box %7 x %8 at (%9, %10)")
                             .arg(t.page)
                             .arg(t.text)
                             .arg(ink.width())
                             .arg(ink.height())
                             .arg(ink.left())
                             .arg(ink.top())
                             .arg(t.box.width())
                             .arg(t.box.height())
                             .arg(t.box.left())
                             .arg(t.box.top());
    // Nor is a text broken into lines that would fit its box on one.
    const QString oneLine = QString(t.text).replace(u'\n', u' ');
    if (t.text.contains(u'\n') &&
        QFontMetricsF(t.font, t.device).boundingRect(QRectF(0, 0, 1e6, 1e6), 0, oneLine).width() <=
            t.box.width())
      painted.misfits << QStringLiteral("page %1: \"%2\" broken though it fits on one line")
                             .arg(t.page)
                             .arg(oneLine);
  };
  watch.bar = [&](const ReportWatch::Bar& b) { painted.bars.push_back(b); };
  watch.trend = [&](const ReportWatch::Trend& t) { painted.trends.push_back(t); };
  QString error;
  EXPECT_TRUE(reportPdf(report, paper, &error, watch)) << error.toStdString();
  return painted;
}

std::optional<Report> reportOf(const QString& path, int language, const QDate& day = {}) {
  Register r;
  QString error;
  if (!r.open(path, language, &error)) {
    ADD_FAILURE() << error.toStdString();
    return std::nullopt;
  }
  ReportRequest request;
  request.site = QStringLiteral("Mill");
  request.language = language;
  request.from = request.to = day;
  std::optional<Report> report = buildReport(r, request, &error);
  EXPECT_TRUE(report) << error.toStdString();
  return report;
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

TEST_P(ReportLanguage, EveryTextFitsItsBoxWholeAndTouchesNoOther) {
  if (!paintingHere()) return;
  const int language = GetParam();
  // Names longer than their columns, words no column is wide enough for,
  // and a bus whose name runs over two lines.
  const QStringList rows = {
      QStringLiteral("Dominanter Pegel des Busses gegen Masse gemessen|0 V|2.0 V|1.20 V|green"),
      QStringLiteral(
          "Flankensteilheitsmessungsergebnisfortsetzung|1.0 V/µs|3.0 V/µs|2.7 V/µs|yellow")};
  const QByteArray bus = "FLEXRAY-ELECTRICAL-PHYSICAL-LAYER CHANNEL A BACKBONE - 10000 kbit/s";
  ASSERT_EQ(cli({"register", "add", writeResult(dir, "F1.HTM", linResult(10, "green", rows, bus)),
                 "--site", "Mill", "--segment",
                 QStringLiteral("Abfüllanlagensteuerungsnetzwerkverbindung Nordhalle")})
                .code,
            0);
  const QByteArray sentence =
      "Diagnostic : WARNING (1 measurement near its limit; see the table below for the "
      "measurements, their tolerances and the distance to them)";
  ASSERT_EQ(cli({"register", "add",
                 writeResult(dir, "F2.HTM", linResult(24, "yellow", rows, bus, sentence)), "--site",
                 "Mill", "--segment",
                 QStringLiteral("Abfüllanlagensteuerungsnetzwerkverbindung Nordhalle"), "--note",
                 QStringLiteral("Abschlusswiderstandsüberprüfungsprotokoll ") + QString(40, u'x')})
                .code,
            0);
  // Results a few days apart: their dates crowd below the chart.
  for (const int day : {12, 14, 17, 19, 21})
    ASSERT_EQ(cli({"register", "add",
                   writeResult(dir, QStringLiteral("F%1.HTM").arg(day),
                               linResult(day, "green", rows, bus)),
                   "--site", "Mill", "--segment",
                   QStringLiteral("Abfüllanlagensteuerungsnetzwerkverbindung Nordhalle")})
                  .code,
              0);
  {
    Register r;
    QString error;
    ASSERT_TRUE(r.open(reg, language, &error)) << error.toStdString();
    ASSERT_TRUE(r.setSiteDetails(
        "Mill", "Nahrungsmittelverarbeitungsgesellschaft Acme Foods mbH & Co. KG, Werk Süd",
        "Schaltschrank im Untergeschoss", &error))
        << error.toStdString();
  }
  std::optional<Report> report = reportOf(reg, language);
  ASSERT_TRUE(report);
  report->companyName = QStringLiteral("Instandhaltungsdienstleistungsgesellschaft Rhein-Main");
  report->technician = QStringLiteral("Maximiliane Schwarzenberger-Hohenlohe");
  for (const Paper paper : {Paper::A4, Paper::Letter}) {
    const Painted painted = paintReport(*report, paper);
    EXPECT_GT(painted.texts.size(), 150u);
    EXPECT_TRUE(painted.misfits.isEmpty()) << painted.misfits.join(u'\n').toStdString();
    EXPECT_TRUE(painted.overlaps().isEmpty()) << painted.overlaps().join(u'\n').toStdString();
    // The summary's headings read whole: wrapped between words, never cut
    // nor broken inside one (their columns make room).
    for (const Text5* heading : {&reporttext::kSegment, &reporttext::kBus, &reporttext::kVerdictNow,
                                 &reporttext::kVerdictBaseline, &reporttext::kFailedRows,
                                 &reporttext::kWarningRows, &reporttext::kShrunkMargins}) {
      const Painted::Text* shown = painted.find(pick(*heading, language));
      ASSERT_TRUE(shown) << pick(*heading, language).toStdString();
      EXPECT_EQ(QString(shown->text).replace(u'\n', u' ').toStdString(),
                pick(*heading, language).toStdString());
    }
    EXPECT_TRUE(painted.find(QString::fromLatin1(bus)));
    // Each date of the Press line's weekly results stands below its chart.
    const Painted::Text* chart =
        painted.find(pick(reporttext::kChartTitle, language).arg("Bit time", "4"));
    ASSERT_TRUE(chart);
    for (const char* date : {"2026-11-03", "2026-11-10", "2026-11-17", "2026-11-24"}) {
      const bool below =
          std::any_of(painted.texts.begin(), painted.texts.end(), [&](const Painted::Text& t) {
            return t.page == chart->page && t.text == date && t.box.top() > chart->box.bottom() &&
                   t.box.left() >= chart->box.left() - 1 && t.box.right() <= chart->box.right() + 1;
          });
      EXPECT_TRUE(below) << date;
    }
    // The crowded ones: the first and the last, and most of those between
    // on two lines.
    EXPECT_TRUE(painted.find("2026-11-10"));
    int crowded = 0;
    for (const char* date : {"2026-11-12", "2026-11-14", "2026-11-19", "2026-11-21"})
      crowded += painted.find(date) ? 1 : 0;
    EXPECT_GE(crowded, 3);
  }
}

// The texts painted from the heading of segment `name` on, up to the next
// segment's heading or the signature.
std::vector<Painted::Text> sectionOf(const Painted& painted, const QString& heading,
                                     const QString& end) {
  std::vector<Painted::Text> out;
  bool in = false;
  for (const Painted::Text& t : painted.texts) {
    if (t.text == heading)
      in = true;
    else if (in && (t.text.startsWith(QStringLiteral("Segment ")) || t.text == end))
      break;
    if (in) out.push_back(t);
  }
  return out;
}

TEST_F(ReportFixture, TheSummaryAndActionsCompareWithTheBaselineAndTheCoverNamesTheCustomer) {
  if (!paintingHere()) return;
  // Dryer: its baseline failed; the bit time is nearer the middle of its
  // band than at the baseline, though further from it than at the previous
  // visit. Oven: the other way round, and failing now after a baseline
  // that passed. Both: a slew rate in warning 15 % from its maximum and a
  // dominant level passing 8 % from its own.
  auto file = [&](const char* segment, const char* name, int day, const char* verdict,
                  const char* bit) {
    const QStringList rows = {QStringLiteral("Bit time|51.0 µs|53.2 µs|%1 µs|green").arg(bit),
                              QStringLiteral("Slew rate|1.0 V/µs|3.0 V/µs|2.70 V/µs|yellow"),
                              QStringLiteral("Dominant level|0 V|2.00 V|1.84 V|green")};
    const CliRun run =
        cli({"register", "add", writeResult(dir, name, linResult(day, verdict, rows)), "--site",
             "Mill", "--segment", segment});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    return run.out.section(u'\t', 0, 0);
  };
  const QString dryerBaseline = file("Dryer", "D1.HTM", 1, "red", "51.30");
  file("Dryer", "D2.HTM", 10, "green", "52.10");
  file("Dryer", "D3.HTM", 24, "green", "52.50");
  const QString ovenBaseline = file("Oven", "O1.HTM", 1, "green", "52.10");
  file("Oven", "O2.HTM", 10, "green", "51.30");
  file("Oven", "O3.HTM", 24, "red", "51.60");
  ASSERT_EQ(cli({"register", "baseline", dryerBaseline}).code, 0);
  ASSERT_EQ(cli({"register", "baseline", ovenBaseline}).code, 0);
  // The customer given since the site was made.
  {
    Register r;
    QString error;
    ASSERT_TRUE(r.open(reg, English, &error)) << error.toStdString();
    ASSERT_TRUE(r.setSiteDetails("Mill", "Acme Foods Ltd, plant 2", "", &error))
        << error.toStdString();
  }
  const std::optional<Report> report = reportOf(reg, English);
  ASSERT_TRUE(report);
  const Painted painted = paintReport(*report);
  EXPECT_TRUE(painted.misfits.isEmpty()) << painted.misfits.join(u'\n').toStdString();

  const Painted::Text* customer = painted.find("Customer", 1);
  ASSERT_TRUE(customer);
  const Painted::Text* named = painted.at(1, 200, customer->box.center().y());
  ASSERT_TRUE(named);
  EXPECT_EQ(named->text.toStdString(), "Acme Foods Ltd, plant 2");

  // The summary row of a segment, read in the column of `heading`.
  const Painted::Text* baselineColumn = painted.find("Verdict at baseline");
  const Painted::Text* nowColumn = painted.find("Verdict now");
  const Painted::Text* shrunkColumn = painted.find("Margins shrunk");
  ASSERT_TRUE(baselineColumn && nowColumn && shrunkColumn);
  auto summary = [&](const char* segment, const Painted::Text* column) -> std::string {
    const Painted::Text* name = painted.find(segment, column->page);
    if (!name) return "(no row)";
    const Painted::Text* cell =
        painted.at(column->page, column->box.center().x(), name->box.center().y());
    return cell ? cell->text.toStdString() : "(nothing)";
  };
  EXPECT_EQ(summary("Dryer", nowColumn), "Pass");
  EXPECT_EQ(summary("Dryer", baselineColumn), "Fail");
  EXPECT_EQ(summary("Oven", nowColumn), "Fail");
  EXPECT_EQ(summary("Oven", baselineColumn), "Pass");
  EXPECT_EQ(summary("Dryer", shrunkColumn), "0") << "the margin grew since the baseline";
  EXPECT_EQ(summary("Oven", shrunkColumn), "1") << "the margin shrank since the baseline";
  const QString shrinking = pick(reporttext::kActionShrank, English);
  for (const char* segment : {"Dryer", "Oven"}) {
    const std::vector<Painted::Text> section =
        sectionOf(painted, QStringLiteral("Segment %1: LIN - 19200 bit/s").arg(segment),
                  "Customer's signature");
    ASSERT_FALSE(section.empty()) << segment;
    const bool said = std::any_of(section.begin(), section.end(),
                                  [&](const Painted::Text& t) { return t.text == shrinking; });
    EXPECT_EQ(said, QString(segment) == "Oven") << segment;
    // Every time is written as its result writes it, in the tables and on
    // the charts' scales alike.
    const QStringList written = {"51.0 µs",  "53.2 µs",  "51.30 µs",
                                 "52.10 µs", "52.50 µs", "51.60 µs"};
    for (const Painted::Text& t : section) {
      if (t.text.endsWith(QStringLiteral(" µs"))) {
        EXPECT_TRUE(written.contains(t.text)) << t.text.toStdString();
      }
    }
  }
  EXPECT_TRUE(painted.find("52.10 µs")) << "the Dryer's previous bit time";

  // The bars' warning zones say what the row's status says, as on screen:
  // a value in warning lies in a zone, a passing value outside both.
  int warned = 0, passed = 0;
  for (const ReportWatch::Bar& bar : painted.bars) {
    const double x = bar.layout.markerX;
    const bool inZone = (x >= bar.layout.lowZone.left() && x <= bar.layout.lowZone.right()) ||
                        (x >= bar.layout.highZone.left() && x <= bar.layout.highZone.right());
    if (bar.layout.clamp != Clamp::None) continue;
    if (bar.row.status == Status::Yellow) {
      EXPECT_TRUE(inZone) << bar.row.cells[0].toStdString();
      ++warned;
    } else if (bar.row.status == Status::Green) {
      EXPECT_FALSE(inZone) << bar.row.cells[0].toStdString();
      ++passed;
    }
  }
  EXPECT_GE(warned, 3);
  EXPECT_GE(passed, 5);
}

TEST_F(ReportFixture, TheChartDrawsTheLineItsLimitDateComesFrom) {
  if (!paintingHere()) return;
  // A result after the visit, well below the line: the visit's date rests
  // on the four results up to it, and so does the line drawn.
  ASSERT_EQ(cli({"register", "add", writeResult(dir, "P5.HTM", visitResult(11, 28, "52.0")),
                 "--site", "Mill", "--segment", "Press line"})
                .code,
            0);
  const std::optional<Report> report = reportOf(reg, English, QDate(2026, 11, 24));
  ASSERT_TRUE(report);
  const Painted painted = paintReport(*report);
  const auto line =
      std::find_if(painted.trends.begin(), painted.trends.end(),
                   [](const ReportWatch::Trend& t) { return t.measurement == "Bit time"; });
  ASSERT_NE(line, painted.trends.end());
  EXPECT_EQ(line->from, QDateTime(QDate(2026, 11, 3), QTime(9, 0)));
  EXPECT_EQ(line->to, QDateTime(QDate(2026, 11, 24), QTime(9, 0)));
  EXPECT_NEAR(line->valueFrom, 51.6e-6, 1e-12);
  EXPECT_NEAR(line->valueTo, 52.8e-6, 1e-12);
  EXPECT_TRUE(painted.find("Limit reached: maximum around 2026-12-01 ¹"));
}
