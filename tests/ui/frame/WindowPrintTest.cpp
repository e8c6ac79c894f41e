// SPDX-License-Identifier: GPL-3.0-or-later
// Printing the main window and a results window: the page carries the
// window's text as text (pdftotext reads it back), fitted on one page, and the
// print dialog proposes a PDF named after the file the window shows.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPageLayout>
#include <QPainter>
#include <QPdfDocument>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>

#include "support/ScriptedInteraction.h"
#include "ui/bus/BusFeature.h"
#include "ui/frame/MainWindow.h"
#include "ui/frame/WindowPrint.h"
#include "ui/results/ResultWindow.h"
#include "ui_MainWindow.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

// The text pdftotext finds in `pdf`, its layout kept; fails the test when the
// tool is missing (poppler-utils, installed by scripts/install-deps.sh --test).
QString pdfText(const QString& pdf) {
  const QString tool = QStandardPaths::findExecutable("pdftotext");
  if (tool.isEmpty()) {
    ADD_FAILURE() << "pdftotext not found: install poppler-utils";
    return {};
  }
  QProcess run;
  run.start(tool, {"-layout", pdf, "-"});
  if (!run.waitForFinished(60000) || run.exitCode() != 0) {
    ADD_FAILURE() << "pdftotext failed on " << pdf.toStdString() << ": "
                  << run.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromUtf8(run.readAllStandardOutput());
}

// What pdfinfo says on the line that starts with `key` ("Pages", "Page size").
QString pdfInfo(const QString& pdf, const QString& key) {
  const QString tool = QStandardPaths::findExecutable("pdfinfo");
  if (tool.isEmpty()) return {};
  QProcess run;
  run.start(tool, {pdf});
  run.waitForFinished(60000);
  for (const QString& line : QString::fromUtf8(run.readAllStandardOutput()).split('\n')) {
    if (line.startsWith(key + ':')) return line.mid(key.size() + 1).trimmed();
  }
  return {};
}

class WindowPrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.ui = &ui;
    state.clock = &clock;
    state.programDir = KARVEL_APPDIR;
    state.settingsPath = dir.filePath("karvel.ini");
  }
  void TearDown() override {
    if (results) results->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QString sample(const QString& relative, const QString& name) {
    const QString path = dir.filePath(name);
    QFile::copy(QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/") + relative, path);
    return path;
  }

  // The main window with a bus file loaded through File > Open.
  std::unique_ptr<MainWindow> mainWindowWith(const QString& busFile) {
    auto window = std::make_unique<MainWindow>(state);
    attachBusFeature(*window);
    window->GestionMenu(item::FirstLanguage + English);
    window->show();
    ui.files.enqueue({FileChoice::Kind::Existing, busFile});
    window->GestionMenu(item::Open);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.lastMessage().toStdString();
    return window;
  }

  // Renders `window` into a PDF file through the same step the Print
  // commands use, and returns the file.
  QString renderToPdf(QWidget& window, const QString& name) {
    const QString pdf = dir.filePath(name);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    EXPECT_TRUE(renderWindow(window, printer));
    return pdf;
  }

  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
  QPointer<ResultWindow> results;
};

}  // namespace

TEST_F(WindowPrintTest, MainWindowPrintsItsBusAsText) {
  auto window = mainWindowWith(sample("RQ4102/LIN.BUS", "LIN.BUS"));
  Ui::MainWindow& f = window->form();
  const QString title = f.busField->text();
  ASSERT_FALSE(title.isEmpty());
  ASSERT_GT(f.busTable->rowCount(), 0);
  const QString measurement = f.busTable->item(0, 0)->text();
  ASSERT_FALSE(measurement.isEmpty());

  const QString pdf = renderToPdf(*window, "main.pdf");
  const QString text = pdfText(pdf);
  EXPECT_TRUE(text.contains(title)) << text.toStdString();
  EXPECT_TRUE(text.contains(measurement)) << text.toStdString();
  EXPECT_TRUE(text.contains("LIN.BUS")) << text.toStdString();   // the file field
  EXPECT_TRUE(text.contains("Bit-time")) << text.toStdString();  // a label
  EXPECT_EQ(pdfInfo(pdf, "Pages"), "1");
}

TEST_F(WindowPrintTest, ResultsWindowPrintsHeadingVerdictAndTableAsText) {
  results = ReadHTMLFile(state, sample("CAN_HS_PASS.HTM", "CAN_HS_PASS.HTM"));
  ASSERT_NE(results, nullptr);
  const QString text = pdfText(renderToPdf(*results, "results.pdf"));
  EXPECT_TRUE(text.contains("CANHIGHSPEED - 500 kbit/s")) << text.toStdString();
  EXPECT_TRUE(text.contains("PASSED")) << text.toStdString();
  EXPECT_TRUE(text.contains("Recessive level CAN_H")) << text.toStdString();
  EXPECT_TRUE(text.contains("Measurements")) << text.toStdString();  // a column heading

  // A window off the screen (minimised, hidden) prints the same.
  results->hide();
  EXPECT_TRUE(pdfText(renderToPdf(*results, "hidden.pdf")).contains("Recessive level CAN_H"));
}

TEST_F(WindowPrintTest, WindowIsScaledToFillThePageWidth) {
  // A window far smaller than the page is enlarged to its width, not printed
  // at screen size in a corner: the text sits right across the page.
  results = ReadHTMLFile(state, sample("RS485_FAIL.HTM", "RS485_FAIL.HTM"));
  ASSERT_NE(results, nullptr);
  results->resize(400, 300);
  const QString pdf = renderToPdf(*results, "small.pdf");
  const QString tool = QStandardPaths::findExecutable("pdftotext");
  ASSERT_FALSE(tool.isEmpty());
  QProcess run;
  run.start(tool, {"-bbox", pdf, "-"});
  ASSERT_TRUE(run.waitForFinished(60000));
  const QString boxes = QString::fromUtf8(run.readAllStandardOutput());
  // <page width="595.…" …> and words as <word xMin=… xMax=…>.
  const QRegularExpression pageWidth("<page width=\"([0-9.]+)\"");
  const QRegularExpression word("xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\"");
  const auto page = pageWidth.match(boxes);
  ASSERT_TRUE(page.hasMatch()) << boxes.toStdString();
  double left = 1e9, right = 0;
  for (auto it = word.globalMatch(boxes); it.hasNext();) {
    const auto m = it.next();
    left = std::min(left, m.captured(1).toDouble());
    right = std::max(right, m.captured(2).toDouble());
  }
  ASSERT_GT(right, 0) << "no text on the page";
  EXPECT_GT(right - left, page.captured(1).toDouble() * 0.6);
}

TEST_F(WindowPrintTest, WhatTheWindowCutsOffStaysCutOnThePage) {
  // Too narrow for its table: the last column shows in part on the screen.
  // Its cells must not spill past the table's frame or the window's edge.
  results = ReadHTMLFile(state, sample("RS485_FAIL.HTM", "RS485_FAIL.HTM"));
  ASSERT_NE(results, nullptr);
  results->resize(330, 300);
  const QString pdf = dir.filePath("narrow.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  const QRectF paper = printer.pageLayout().paintRect(QPageLayout::Point);
  ASSERT_TRUE(renderWindow(*results, printer));

  QPdfDocument document;
  ASSERT_EQ(document.load(pdf), QPdfDocument::Error::None);
  const QSizeF points = document.pagePointSize(0);
  constexpr qreal kDpi = 100;
  // The renderer leaves the paper transparent: put it on white paper.
  const QImage drawn = document.render(0, (points * kDpi / 72).toSize());
  ASSERT_FALSE(drawn.isNull());
  QImage page(drawn.size(), QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter(&page).drawImage(0, 0, drawn);
  // The window fills the width of the printable area; nothing right of it.
  int rightmost = -1;
  for (int y = 0; y < page.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
    for (int x = page.width() - 1; x > rightmost; --x) {
      if (qGray(line[x]) < 250) {
        rightmost = x;
        break;
      }
    }
  }
  const qreal edge = paper.right() * kDpi / 72;
  EXPECT_GT(rightmost, edge - 3) << "the window does not reach the page's width";
  EXPECT_LE(rightmost, edge + 1) << "drawing past the window's right edge";
}

TEST_F(WindowPrintTest, PrintCommandWritesThePdfTheDialogChose) {
  auto window = mainWindowWith(sample("RQ4102/CAN_HS.BUS", "CAN_HS.BUS"));
  const QString pdf = dir.filePath("out/printed.pdf");
  QDir(dir.path()).mkdir("out");
  ui.printAnswers.enqueue(true);
  ui.printReply.outputFile = pdf;
  window->GestionMenu(item::Print);
  EXPECT_TRUE(ui.messages.isEmpty()) << ui.lastMessage().toStdString();
  EXPECT_TRUE(pdfText(pdf).contains(window->form().busField->text()));

  results = ReadHTMLFile(state, sample("PROFIBUS_FAIL.HTM", "PROFIBUS_FAIL.HTM"));
  ASSERT_NE(results, nullptr);
  const QString resultPdf = dir.filePath("out/result.pdf");
  ui.printAnswers.enqueue(true);
  ui.printReply.outputFile = resultPdf;
  results->printWindow();
  EXPECT_TRUE(ui.messages.isEmpty()) << ui.lastMessage().toStdString();
  EXPECT_TRUE(pdfText(resultPdf).contains("FAILED"));
}

TEST_F(WindowPrintTest, PrintIntoAFileThatCannotBeWrittenIsReported) {
  results = ReadHTMLFile(state, sample("LIN_PASS.HTM", "LIN_PASS.HTM"));
  ASSERT_NE(results, nullptr);
  const QString pdf = dir.filePath("no such folder/result.pdf");
  ui.printAnswers.enqueue(true);
  ui.printReply.outputFile = pdf;
  results->printWindow();
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_TRUE(ui.lastMessage().contains(QDir::toNativeSeparators(pdf)))
      << ui.lastMessage().toStdString();
  EXPECT_FALSE(QFileInfo::exists(pdf));
}

TEST_F(WindowPrintTest, DialogProposesAPdfNamedAfterTheOpenFile) {
  // Nothing open: the program's name; a bus file: its name, beside it.
  auto window = std::make_unique<MainWindow>(state);
  attachBusFeature(*window);
  ui.printAnswers.enqueue(false);
  window->GestionMenu(item::Print);
  ASSERT_EQ(ui.printRequests.size(), 1);
  EXPECT_EQ(ui.printRequests[0].documentName, "KARVEL");
  EXPECT_TRUE(ui.printRequests[0].proposedFile.isEmpty());
  window.reset();

  window = mainWindowWith(sample("RQ4102/LIN.BUS", "LIN.BUS"));
  ui.printAnswers.enqueue(false);
  window->GestionMenu(item::Print);
  ASSERT_EQ(ui.printRequests.size(), 2);
  EXPECT_EQ(ui.printRequests[1].documentName, "LIN.BUS");
  EXPECT_EQ(ui.printRequests[1].proposedFile, QDir::toNativeSeparators(dir.filePath("LIN.pdf")));

  // A result: the name up to its first dot, as the window's title has it.
  results = ReadHTMLFile(state, sample("LIN_PASS.HTM", "run.2.htm"));
  ASSERT_NE(results, nullptr);
  ui.printAnswers.enqueue(false);
  results->printWindow();
  ASSERT_EQ(ui.printRequests.size(), 3);
  EXPECT_EQ(ui.printRequests[2].proposedFile, QDir::toNativeSeparators(dir.filePath("run.pdf")));
}

TEST(WindowPrintNames, TemporaryOrUnwritableFoldersProposeTheHomeFolder) {
  QTemporaryDir dir;
  PrintChoice fetched;
  nameAfterFile(fetched, dir.filePath("CAN_01.Ab12Cd.tmp"), true);
  EXPECT_EQ(fetched.proposedFile, QDir::toNativeSeparators(QDir::home().filePath("CAN_01.pdf")));
  EXPECT_EQ(fetched.documentName, "CAN_01.Ab12Cd.tmp");

  // A folder that does not exist (a result whose folder has gone) cannot
  // take the PDF either.
  PrintChoice gone;
  nameAfterFile(gone, dir.filePath("gone/LIN.BUS"));
  EXPECT_EQ(gone.proposedFile, QDir::toNativeSeparators(QDir::home().filePath("LIN.pdf")));

  PrintChoice none;
  nameAfterFile(none, "  ");
  EXPECT_TRUE(none.proposedFile.isEmpty());
  EXPECT_TRUE(none.documentName.isEmpty());
}
