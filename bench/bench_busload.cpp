// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and showing a bus definition file of 2,000 measurements in the bus
// panel, against `xmllint --noout` on the same file. Target: at most 3 times
// xmllint's time (median of several runs each).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/bus/BusFile.h"
#include "core/frame/Interaction.h"
#include "ui/bus/BusPanel.h"

namespace {

constexpr int kMeasurements = 2000;
constexpr int kRuns = 9;

QByteArray busFile() {
  QByteArray text =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<BUSFILE>\r\n\t<VERSION a=\"3\"/>\r\n"
      "\t<BUS>\r\n\t\t<TITLE a=\"Benchmark bus\"/>\r\n\t\t<COMMENT a=\"2000 measurements\"/>\r\n"
      "\t\t<NbMesureMax a=\"2000\"/>\r\n\t\t<Speed a=\"500000\"/>\r\n\t\t<LockedSpeed a=\"0\"/>\r\n"
      "\t\t<BITMAP a=\"pictures/can_hs.bmp\"/>\r\n\t</BUS>\r\n"
      "\t<SETUP>\r\n\t\t<TimeBase a=\"9\"/>\r\n\t\t<SensiCh1 a=\"6\"/>\r\n"
      "\t\t<TrigPulseWidthD a=\"375\"/>\r\n\t</SETUP>\r\n";
  const char* units[] = {"V", "s", "Hz", "%"};
  for (int k = 0; k < kMeasurements; ++k) {
    const QByteArray n = QByteArray::number(k);
    text += "\t<MESURE" + n + ">\r\n\t\t<DESCRIPTION>\r\n\t\t\t<NameMesure a=\"Measurement " + n +
            "\" unit=\"" + units[k % 4] + "\"/>\r\n\t\t\t<Index a=\"" + n +
            "\"/>\r\n\t\t\t<LimiteMax a=\"0.0000" + QByteArray::number(k % 97 + 1) +
            "\"/>\r\n\t\t\t<LimiteMin a=\"" +
            (k % 5 ? QByteArray("0.0000001") : QByteArray("N/A")) +
            "\"/>\r\n\t\t\t<Warning a=\"10\"/>\r\n\t\t\t<TimeBitTheo a=\"" +
            (k < 10 ? "2500" : "2000") +
            "\"/>\r\n\t\t\t<TypeCodage a=\"0\"/>\r\n\t\t</DESCRIPTION>\r\n\t\t<SETUP>\r\n"
            "\t\t\t<TimeBase a=\"9\"/>\r\n\t\t\t<SensiCh1 a=\"6\"/>\r\n\t\t</SETUP>\r\n\t</MESURE" +
            n + ">\r\n";
  }
  text += "</BUSFILE>\r\n";
  return text;
}

// The main window's bus widgets, under the names the panel looks for.
QWidget* busWindow() {
  auto* window = new QWidget;
  auto* layout = new QFormLayout(window);
  for (const char* name : {"fileField", "busField", "commentField", "frequencyField",
                           "bitTimeField", "maxVoltageField"}) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    layout->addRow(name, field);
  }
  auto* picture = new QLabel;
  picture->setObjectName("busPicture");
  picture->setFixedSize(240, 140);
  layout->addRow(picture);
  auto* table = new QTableWidget(0, 3);
  table->setObjectName("busTable");
  layout->addRow(table);
  for (const char* name : {"speedCaption", "voltageCaption"}) {
    auto* caption = new QLabel(name);
    caption->setObjectName(name);
    layout->addRow(caption);
  }
  for (const char* name : {"speedNextButton", "voltageNextButton"}) {
    auto* button = new QPushButton(name);
    button->setObjectName(name);
    layout->addRow(button);
  }
  window->resize(900, 700);
  return window;
}

class Silent : public karvel::Interaction {
 public:
  int messages = 0;
  void message(const QString&, const QString&) override { ++messages; }
  int ask(const QString&, const QString&, const QStringList&, int, int) override { return 0; }
  karvel::FileChoice chooseFile(const karvel::FileRequest&) override { return {}; }
  QString chooseFolder(const QString&, const QString&) override { return {}; }
  bool choosePrinter(karvel::PrintChoice&) override { return false; }
  int chooseLanguage() override { return 1; }
  void setBusy(bool) override {}
  bool openExternally(const QUrl&) override { return false; }
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const QString path = dir.filePath("BENCH.BUS");
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(busFile());
  }

  Silent ui;
  karvel::AppState state;
  state.ui = &ui;
  state.programDir = QStringLiteral(KARVEL_APPDIR);
  QWidget* window = busWindow();
  window->show();
  std::vector<double> ours;
  int rows = 0;
  for (int i = 0; i < kRuns; ++i) {
    QElapsedTimer timer;
    timer.start();
    karvel::ui::ConvertAndRenderXMLFileInTree(state, window, path);
    QApplication::processEvents();
    ours.push_back(timer.nsecsElapsed() / 1e6);
    rows = window->findChild<QTableWidget*>("busTable")->rowCount();
  }

  const QString xmllint = QStandardPaths::findExecutable("xmllint");
  std::vector<double> theirs;
  for (int i = 0; xmllint.size() && i < kRuns; ++i) {
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(xmllint, {"--noout", path});
    process.waitForFinished(-1);
    theirs.push_back(timer.nsecsElapsed() / 1e6);
  }

  std::printf("bus file: %d measurements, %lld bytes, %d rows shown, %d messages\n", kMeasurements,
              static_cast<long long>(QFile(path).size()), rows, ui.messages);
  std::printf("load and show (KARVEL): median %.2f ms over %d runs\n", median(ours), kRuns);
  if (theirs.empty()) {
    std::printf("xmllint not found: install libxml2-utils to compare\n");
    return 0;
  }
  const double ratio = median(ours) / median(theirs);
  std::printf("xmllint --noout:        median %.2f ms over %d runs\n", median(theirs), kRuns);
  std::printf("ratio: %.2f (target: at most 3) %s\n", ratio,
              ratio <= 3 ? "OK" : "SLOWER THAN TARGET");
  delete window;
  return 0;
}
