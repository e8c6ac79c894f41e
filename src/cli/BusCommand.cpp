// karvel-cli bus show|speed|voltage|set: the bus panel and its generators
// without the window, on the same core routines.
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "cli/BusCommand.h"
#include "cli/Console.h"
#include "core/bus/BusFile.h"
#include "core/bus/BusGenerators.h"
#include "core/bus/XmlDocument.h"
#include "core/frame/AppState.h"
#include "core/frame/Installation.h"
#include "core/frame/Interaction.h"

namespace karvel::cli {

namespace {

// Messages go to stderr; there is nobody to answer questions.
class PrintingInteraction : public ConsoleInteraction {
 public:
  int shown = 0;
  void message(const QString& title, const QString& text) override {
    ++shown;
    std::fprintf(stderr, "karvel-cli: %s: %s\n", qUtf8Printable(title), qUtf8Printable(text));
  }
};

void out(const QString& text) { std::fputs(qUtf8Printable(text + u'\n'), stdout); }
int usage() {
  std::fputs(
      "usage: karvel-cli bus show FILE\n"
      "       karvel-cli bus speed FILE NEWSPEED OUT [--title T]\n"
      "       karvel-cli bus voltage FILE NEWVOLTS OUT [--title T]\n"
      "       karvel-cli bus set FILE ROW COLUMN TEXT OUT\n",
      stderr);
  return 2;
}

struct Session {
  PrintingInteraction ui;
  AppState app;
  BusScreen screen;
  Session() {
    app.ui = &ui;
    app.programDir = locateInstallation(QCoreApplication::applicationDirPath()).resourceDir;
  }
  // Loads FILE as the main window would; false when it could not be read.
  bool load(const QString& path) {
    if (!QFileInfo(path).isFile()) {
      fail(QStringLiteral("%1: no such file").arg(path));
      return false;
    }
    const int result = ConvertAndRenderXMLFileInTree(app, screen, path);
    return result >= 0 && app.xmlDocument && ui.shown == 0;
  }
};

void show(const BusScreen& screen) {
  const BusView& v = screen.view;
  out(QStringLiteral("file\t%1").arg(v.filePath));
  out(QStringLiteral("title\t%1").arg(v.title));
  out(QStringLiteral("comment\t%1").arg(v.comment));
  out(QStringLiteral("picture\t%1").arg(v.picturePath));
  for (std::size_t i = 0; i < v.rows.size(); ++i) {
    const BusRow& r = v.rows[i];
    out(QStringLiteral("row %1\t%2\t%3\t%4\t%5")
            .arg(i + 1)
            .arg(r.label, r.cells[0], r.cells[1], r.cells[2]));
  }
  out(QStringLiteral("frequency\t%1").arg(v.frequencyText));
  out(QStringLiteral("bit-time\t%1").arg(v.bitTimeText));
  out(QStringLiteral("max-voltage\t%1").arg(v.maxVoltageText));
  out(QStringLiteral("speed-generator\t%1").arg(v.speedEnabled ? "enabled" : "dimmed"));
  out(QStringLiteral("voltage-generator\t%1").arg(v.voltageEnabled ? "enabled" : "dimmed"));
}

// Splits off "--title T"; false when the option is incomplete or unknown.
bool takeTitle(QStringList& args, QString* title, bool* given) {
  *given = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == u"--title") {
      if (i + 1 >= args.size()) return false;
      *title = args[i + 1];
      *given = true;
      args.remove(i, 2);
      --i;
    } else if (args[i].startsWith(u"--")) {
      return false;
    }
  }
  return true;
}

int generate(QStringList args, bool speed) {
  QString title;
  bool titleGiven = false;
  if (!takeTitle(args, &title, &titleGiven) || args.size() != 3) return usage();
  Session s;
  if (!s.load(args[0])) return 1;
  if (!titleGiven) title = s.screen.view.title;
  int result = 0;
  if (speed) {
    bool ok = false;
    const qlonglong value = args[1].toLongLong(&ok);
    if (!ok || value <= 0 || value > std::numeric_limits<int>::max())
      return fail(QStringLiteral("NEWSPEED must be a whole number of bit/s or Hz above 0"));
    result = CalculNewFreq(s.app, s.screen, static_cast<int>(value), title, args[2]);
  } else {
    const std::optional<double> value = scanNumber(args[1]);
    if (!value || !(*value > 0)) return fail(QStringLiteral("NEWVOLTS must be a number above 0"));
    result = CalculNewAmpl(s.app, s.screen, *value, title, args[2]);
  }
  if (result < 0 || s.ui.shown > 0) return 1;
  show(s.screen);
  return 0;
}

int set(const QStringList& args) {
  if (args.size() != 5) return usage();
  Session s;
  if (!s.load(args[0])) return 1;
  bool rowOk = false;
  bool columnOk = false;
  const int row = args[1].toInt(&rowOk);
  const int column = args[2].toInt(&columnOk);
  const int rows = static_cast<int>(s.screen.view.rows.size());
  if (!rowOk || row < 1 || row > rows)
    return fail(QStringLiteral("ROW must be from 1 to %1").arg(rows));
  if (!columnOk || column < 1 || column > 3)
    return fail(QStringLiteral("COLUMN must be 1 (minimum), 2 (maximum) or 3 (warning)"));
  const QString shown = modifValXML(s.app, s.screen, row, column, args[3]);
  QString error;
  if (s.app.xmlDocument->save(args[4], &error) < 0) return fail(error);
  out(shown);
  return 0;
}

}  // namespace

int runBus(const QStringList& args) {
  if (args.isEmpty()) return usage();
  const QString verb = args.first();
  const QStringList rest = args.mid(1);
  if (verb == u"show") {
    if (rest.size() != 1) return usage();
    Session s;
    if (!s.load(rest[0])) return 1;
    show(s.screen);
    return 0;
  }
  if (verb == u"speed") return generate(rest, true);
  if (verb == u"voltage") return generate(rest, false);
  if (verb == u"set") return set(rest);
  return usage();
}

}  // namespace karvel::cli
