// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and showing a result file of 5,000 measurement rows.
// Target: under 200 ms for the whole open (read, walk, window shown).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/frame/AppState.h"
#include "core/frame/Interaction.h"
#include "core/results/ResultReader.h"
#include "ui/results/ResultWindow.h"

namespace {

// Nothing is asked during an open that succeeds.
class SilentInteraction : public karvel::Interaction {
 public:
  void message(const QString& title, const QString& text) override {
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
  }
  int ask(const QString&, const QString&, const QStringList&, int, int) override { return 1; }
  karvel::FileChoice chooseFile(const karvel::FileRequest&) override { return {}; }
  QString chooseFolder(const QString&, const QString&) override { return {}; }
  bool choosePrinter(karvel::PrintChoice&) override { return false; }
  int chooseLanguage() override { return 1; }
  void setBusy(bool) override {}
  bool openExternally(const QUrl&) override { return false; }
};

QByteArray resultPage(int rows) {
  static const char* const kClasses[] = {"green", "green", "yellow", "red"};
  QByteArray page =
      "<HTML>\r\n<HEAD>\r\n<TITLE>TarvikIV - Bus diagnostic result</TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
      "<H1>CAN HIGH SPEED - 500 kbit/s</H1>\r\n<H3>CANHIGHSPEED</H3>\r\n"
      "<H2 class=\"red\">Diagnostic : FAILED</H2>\r\n<TABLE>\r\n<TBODY>\r\n";
  for (int i = 0; i < rows; ++i) {
    page += "<TR class=\"row\"><TD>Measurement " + QByteArray::number(i + 1) +
            "</TD><TD>1.90 \xB5s</TD><TD>2.10 \xB5s</TD><TD class=\"" + kClasses[i % 4] + "\">2.0" +
            QByteArray::number(i % 10) + " \xB5s</TD><TD>" + QByteArray::number(i % 150) +
            " %</TD></TR>\r\n";
  }
  return page + "</TBODY>\r\n</TABLE>\r\n</BODY>\r\n</HTML>\r\n";
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  constexpr int kRows = 5000;
  constexpr int kRuns = 9;
  QTemporaryDir dir;
  const QString path = dir.filePath("BIG_RESULT.HTM");
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(resultPage(kRows)) < 0) return 1;
  file.close();

  SilentInteraction ui;
  karvel::AppState state;
  state.ui = &ui;
  state.programDir = QStringLiteral(KARVEL_APPDIR);

  std::vector<double> readTimes;
  std::vector<double> openTimes;
  for (int run = 0; run < kRuns; ++run) {
    QElapsedTimer timer;
    timer.start();
    karvel::ResultTable table;
    if (!karvel::loadResultFile(path, state.language, table, nullptr) ||
        table.rows.size() != std::size_t(kRows)) {
      std::fprintf(stderr, "reading failed\n");
      return 1;
    }
    readTimes.push_back(double(timer.nsecsElapsed()) / 1e6);

    timer.restart();
    karvel::ui::ResultWindow* window = karvel::ui::ReadHTMLFile(state, path);
    if (!window) return 1;
    QCoreApplication::processEvents();  // the first paint of the shown window
    openTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  const double open = median(openTimes);
  std::printf("result file of %d rows (%lld bytes), median of %d runs:\n", kRows,
              static_cast<long long>(QFile(path).size()), kRuns);
  std::printf("  read and walk only        %8.2f ms\n", median(readTimes));
  std::printf("  read and show the window  %8.2f ms  (target < 200 ms: %s)\n", open,
              open < 200.0 ? "met" : "MISSED");
  return 0;
}
