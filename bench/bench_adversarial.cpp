// SPDX-License-Identifier: GPL-3.0-or-later
// Readers on hostile input: result files, bus definition files and catalogue
// texts of 1, 4 and 16 MB shaped to make a careless walk go over the text
// again and again. Each reader's time must grow with the size, not faster.
// Target: a 4 MB hostile result file read in under 0.5 s.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "core/bus/BusFile.h"
#include "core/frame/AppState.h"
#include "core/frame/Interaction.h"
#include "core/instrument/Catalogue.h"
#include "core/results/ResultReader.h"

namespace {

constexpr qsizetype kMB = 1024 * 1024;

QByteArray fill(const QByteArray& head, const QByteArray& unit, const QByteArray& tail,
                qsizetype size) {
  QByteArray out = head;
  out.reserve(size);
  while (out.size() + unit.size() + tail.size() <= size) out += unit;
  return out + tail;
}

const QByteArray kResultHead =
    "<HTML><HEAD><TITLE>TarvikIV</TITLE></HEAD><BODY><H1>CAN</H1><H3>CAN</H3>"
    "<H2 class=\"red\">Diagnostic : FAILED</H2><TABLE><TBODY>";

struct Shape {
  const char* reader;
  const char* name;
  std::function<QByteArray(qsizetype)> make;
};

const std::vector<Shape> kShapes = {
    {"result", "rows without markers, one marker at the end",
     [](qsizetype n) {
       return fill(kResultHead + "<TR class=\"r\">",
                   "<TD>a</TD><TD>1</TD><TD>2</TD><TD class=green>v</TD><TD>3</TD>\n",
                   "<TR class=\"r\">", n);
     }},
    {"result", "row markers only",
     [](qsizetype n) { return fill(kResultHead, "<TR class=", "", n); }},
    {"result", "cells never closed",
     [](qsizetype n) { return fill(kResultHead + "<TR class=\"r\">", "<TD>", "", n); }},
    {"result", "class attributes without status words",
     [](qsizetype n) {
       return fill(kResultHead + "<TR class=\"r\"><TD>a</TD><TD>1</TD><TD>2</TD>", "<TD class=x",
                   "", n);
     }},
    {"bus", "many measurements",
     [](qsizetype n) {
       return fill("<?xml version=\"1.0\"?><ROOT><TITLE a=\"t\"/><BUS><Speed a=\"500000\"/></BUS>",
                   "<M><D><NameMesure a=\"Vpp\" b=\"V\"/><LimiteMin a=\"1\"/><LimiteMax a=\"2\"/>"
                   "<Warning a=\"10\"/></D></M>\n",
                   "</ROOT>", n);
     }},
    {"bus", "limits before any measurement",
     [](qsizetype n) { return fill("<ROOT>", "<LimiteMax a=\"1\"/>", "</ROOT>", n); }},
    {"bus", "one element, many attributes",
     [](qsizetype n) { return fill("<ROOT><TITLE ", "a=\"1\" ", "/></ROOT>", n); }},
    {"catalogue", "extensions without separators",
     [](qsizetype n) { return fill("0,0,", "x.bus", "", n); }},
    {"catalogue", "many short names",
     [](qsizetype n) { return fill("0,0", ",CAN.BUS,1024", "", n); }},
};

class Quiet : public karvel::Interaction {
 public:
  void message(const QString&, const QString&) override {}
  int ask(const QString&, const QString&, const QStringList&, int, int e) override { return e; }
  karvel::FileChoice chooseFile(const karvel::FileRequest&) override { return {}; }
  QString chooseFolder(const QString&, const QString&) override { return {}; }
  bool choosePrinter(karvel::PrintChoice&) override { return false; }
  int chooseLanguage() override { return 1; }
  void setBusy(bool) override {}
  bool openExternally(const QUrl&) override { return false; }
};

// One run of the reader on `bytes` (files are written first and read from
// disk, as the program does), in seconds; the best of three.
double timeReader(const char* reader, const QByteArray& bytes, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return -1;
  file.close();
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    QElapsedTimer timer;
    timer.start();
    if (std::strcmp(reader, "result") == 0) {
      karvel::ResultTable table;
      karvel::loadResultFile(path, 1, table, nullptr);
    } else if (std::strcmp(reader, "bus") == 0) {
      Quiet ui;
      karvel::AppState state;
      state.ui = &ui;
      karvel::BusScreen screen;
      karvel::ConvertAndRenderXMLFileInTree(state, screen, path);
    } else {
      QList<karvel::CatalogueEntry> list;
      karvel::AfficheCatalog(karvel::kKindBus, bytes, ',', 0, list);
    }
    best = std::min(best, timer.nsecsElapsed() / 1e9);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const qsizetype sizes[] = {1 * kMB, 4 * kMB, 16 * kMB};
  std::printf("%-10s %-44s %9s %9s %9s %7s\n", "reader", "input", "1 MB", "4 MB", "16 MB", "16/1");
  bool linear = true;
  double result4 = 0;
  for (const Shape& shape : kShapes) {
    double t[3];
    for (int i = 0; i < 3; ++i) {
      t[i] = timeReader(shape.reader, shape.make(sizes[i]), dir.filePath("input"));
      if (std::strcmp(shape.reader, "result") == 0 && i == 1) result4 = std::max(result4, t[i]);
    }
    // Sixteen times the input may cost about sixteen times the time; a
    // quadratic walk would cost 256 times. Small times are noise: a floor.
    const double ratio = t[2] / std::max(t[0], 0.002);
    const bool ok = ratio < 40;
    linear = linear && ok;
    std::printf("%-10s %-44s %8.3fs %8.3fs %8.3fs %7.1f %s\n", shape.reader, shape.name, t[0], t[1],
                t[2], ratio, ok ? "ok" : "SUPERLINEAR");
  }
  std::printf("worst 4 MB hostile result file: %.3f s (target 0.5 s) %s\n", result4,
              result4 < 0.5 ? "ok" : "TOO SLOW");
  return linear && result4 < 0.5 ? 0 : 1;
}
