// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli bus show|speed|voltage|set: the bus panel and its generators
// without the window, on the same core routines.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <cstdio>
#include <limits>

#include "cli/BusCommand.h"
#include "cli/Console.h"
#include "cli/Output.h"
#include "core/bus/BusFile.h"
#include "core/bus/BusGenerators.h"
#include "core/bus/XmlDocument.h"
#include "core/bus/XmlTexts.h"
#include "core/frame/AppState.h"
#include "core/frame/BoundedRead.h"
#include "core/frame/Installation.h"
#include "core/frame/Interaction.h"
#include "core/frame/StandardStreams.h"

namespace karvel::cli {

namespace {

// Messages are kept: the command reports them as one failure of the kind
// it knows; there is nobody to answer questions.
class CollectingInteraction : public ConsoleInteraction {
 public:
  QStringList messages;
  void message(const QString& title, const QString& text) override {
    messages << title + QStringLiteral(": ") + text.trimmed();
  }
};

struct Session {
  CollectingInteraction ui;
  AppState app;
  BusScreen screen;
  explicit Session(int language) {
    app.ui = &ui;
    app.language = language;
    app.programDir = locateInstallation(QCoreApplication::applicationDirPath()).resourceDir;
  }
  // Loads FILE ("-": the standard input) as the main window would; false
  // once the failure was reported.
  bool load(const QString& path) {
    const auto refuse = [](const CliError& error) {
      report(error);
      return false;
    };
    if (!isStandardStream(path) && QFileInfo(path).isDir())
      return refuse({ErrorKind::FileUnreadable, QStringLiteral("%1 is a folder").arg(path), path});
    QFile file;
    if (!openForReading(file, path)) {
      CliError e = readError(path, QString());
      e.message = QStringLiteral("%1: %2").arg(path, e.kind == ErrorKind::FileNotFound
                                                         ? QStringLiteral("no such file")
                                                         : file.errorString());
      return refuse(e);
    }
    QByteArray bytes;
    const BoundedRead read = readBounded(file, XmlDocument::kMaxFileSize, &bytes);
    if (read == BoundedRead::TooLarge)
      return refuse({ErrorKind::FileInvalid,
                     pick(xmltext::kTooLarge, app.language)
                         .arg(path)
                         .arg(XmlDocument::kMaxFileSize / (1024 * 1024)),
                     path});
    if (read == BoundedRead::Failed)
      return refuse({ErrorKind::FileUnreadable,
                     QStringLiteral("%1: %2").arg(path, file.errorString()), path});
    const int result = ConvertAndRenderXMLBytesInTree(app, screen, path, bytes);
    if (result >= 0 && app.xmlDocument && ui.messages.isEmpty()) return true;
    // What was read is no bus definition file the window would show.
    return refuse({ErrorKind::FileInvalid,
                   ui.messages.isEmpty()
                       ? QStringLiteral("%1 is not a bus definition file").arg(path)
                       : ui.messages.join(u'\n'),
                   path});
  }
};

const char* const kCellNames[] = {"minimum", "maximum", "warning"};

void showText(const BusView& v) {
  printLine(QStringLiteral("file\t%1").arg(v.filePath));
  printLine(QStringLiteral("title\t%1").arg(v.title));
  printLine(QStringLiteral("comment\t%1").arg(v.comment));
  printLine(QStringLiteral("picture\t%1").arg(v.picturePath));
  for (std::size_t i = 0; i < v.rows.size(); ++i) {
    const BusRow& r = v.rows[i];
    printLine(QStringLiteral("row %1\t%2\t%3\t%4\t%5")
                  .arg(i + 1)
                  .arg(r.label, r.cells[0], r.cells[1], r.cells[2]));
  }
  printLine(QStringLiteral("frequency\t%1").arg(v.frequencyText));
  printLine(QStringLiteral("bit-time\t%1").arg(v.bitTimeText));
  printLine(QStringLiteral("max-voltage\t%1").arg(v.maxVoltageText));
  printLine(QStringLiteral("speed-generator\t%1").arg(v.speedEnabled ? "enabled" : "dimmed"));
  printLine(QStringLiteral("voltage-generator\t%1").arg(v.voltageEnabled ? "enabled" : "dimmed"));
}

QString enabledName(bool enabled) {
  return enabled ? QStringLiteral("enabled") : QStringLiteral("dimmed");
}

void showJson(const BusView& v) {
  QJsonArray rows;
  for (std::size_t i = 0; i < v.rows.size(); ++i) {
    QJsonObject row{{"row", static_cast<int>(i + 1)}, {"label", v.rows[i].label}};
    for (int c = 0; c < 3; ++c) row.insert(kCellNames[c], toJson(quantity(v.rows[i].cells[c])));
    rows.append(row);
  }
  printJson({{"file", v.filePath},
             {"title", v.title},
             {"comment", v.comment},
             {"picture", v.picturePath},
             {"rows", rows},
             {"frequency", toJson(quantity(v.frequencyText))},
             {"bit_time", toJson(quantity(v.bitTimeText))},
             {"max_voltage", toJson(quantity(v.maxVoltageText))},
             {"speed_generator", enabledName(v.speedEnabled)},
             {"voltage_generator", enabledName(v.voltageEnabled)}});
}

// One line per measurement; what belongs to the whole file is repeated on
// each, so that every line stands on its own.
void showCsv(const BusView& v) {
  QStringList header{"file", "title", "comment", "picture", "row", "label"};
  for (const char* name : kCellNames) header += csvHeader(name);
  header += csvHeader("frequency") + csvHeader("bit_time") + csvHeader("max_voltage");
  header += QStringList{"speed_generator", "voltage_generator"};
  CsvTable table(header);
  const QStringList tail = csvFields(quantity(v.frequencyText)) +
                           csvFields(quantity(v.bitTimeText)) +
                           csvFields(quantity(v.maxVoltageText)) +
                           QStringList{enabledName(v.speedEnabled), enabledName(v.voltageEnabled)};
  for (std::size_t i = 0; i < v.rows.size(); ++i) {
    QStringList fields{v.filePath,     v.title, v.comment, v.picturePath, QString::number(i + 1),
                       v.rows[i].label};
    for (const QString& cell : v.rows[i].cells) fields += csvFields(quantity(cell));
    table.add(fields + tail);
  }
  table.print();
}

void show(const BusView& view, Format format) {
  switch (format) {
    case Format::Text:
      showText(view);
      break;
    case Format::Csv:
      showCsv(view);
      break;
    case Format::Json:
      showJson(view);
      break;
  }
}

int showCommand(const QStringList& args) {
  CommandLine line(QStringLiteral("bus show"), QStringLiteral("FILE"),
                   QStringLiteral("Prints what the main window shows of a bus definition file: "
                                  "title, comment, picture, each measurement's minimum, maximum "
                                  "and warning margin, the speed, bit time and maximum voltage."));
  line.addArgument(
      QStringLiteral("FILE"),
      QStringLiteral("The bus definition file (.BUS); \"-\" reads the standard input."));
  line.addFormatOption();
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 1, 1)) return *end;
  Session s(line.language(English));
  if (!s.load(line.arguments()[0])) return kExitFailure;
  show(s.screen.view, line.format());
  return kExitOk;
}

int generate(const QStringList& args, bool speed) {
  CommandLine line(
      speed ? QStringLiteral("bus speed") : QStringLiteral("bus voltage"),
      speed ? QStringLiteral("FILE NEWSPEED OUT") : QStringLiteral("FILE NEWVOLTS OUT"),
      speed ? QStringLiteral("Writes OUT, a copy of FILE for a new bus speed (bit/s) or "
                             "frequency (Hz), as the speed generator does, and prints "
                             "it as bus show does.")
            : QStringLiteral("Writes OUT, a copy of FILE for a new maximum bus voltage, "
                             "as the voltage generator does, and prints it as bus "
                             "show does."));
  line.addArgument(QStringLiteral("FILE"),
                   QStringLiteral("The bus definition file to start from."));
  line.addArgument(speed ? QStringLiteral("NEWSPEED") : QStringLiteral("NEWVOLTS"),
                   speed ? QStringLiteral("The new speed, a whole number above 0.")
                         : QStringLiteral("The new maximum voltage, a number above 0."));
  line.addArgument(QStringLiteral("OUT"),
                   QStringLiteral("The file to write (\"-\": the standard output, which then "
                                  "holds only the file)."));
  line.addOption(QCommandLineOption(QStringLiteral("title"),
                                    QStringLiteral("The new file's title (default: FILE's)."),
                                    QStringLiteral("T")));
  line.addFormatOption();
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 3, 3)) return *end;
  const QStringList a = line.arguments();
  Session s(line.language(English));
  if (!s.load(a[0])) return kExitFailure;
  const QString title = line.isSet(QStringLiteral("title")) ? line.value(QStringLiteral("title"))
                                                            : s.screen.view.title;
  int result = 0;
  if (speed) {
    bool ok = false;
    const qlonglong value = a[1].toLongLong(&ok);
    if (!ok || value <= 0 || value > std::numeric_limits<int>::max())
      return line.usageError(
          QStringLiteral("NEWSPEED must be a whole number of bit/s or Hz above 0"));
    result = CalculNewFreq(s.app, s.screen, static_cast<int>(value), title, a[2]);
  } else {
    const std::optional<double> value = scanNumber(a[1]);
    if (!value || !(*value > 0))
      return line.usageError(QStringLiteral("NEWVOLTS must be a number above 0"));
    result = CalculNewAmpl(s.app, s.screen, *value, title, a[2]);
  }
  if (result == XmlCannotWrite) return fail(writeError(a[2], s.ui.messages.join(u'\n')));
  // The generator refused the value for this file (out of its range).
  if (result < 0 || !s.ui.messages.isEmpty())
    return line.usageError(s.ui.messages.isEmpty() ? QStringLiteral("the generator failed")
                                                   : s.ui.messages.join(QStringLiteral("; ")));
  // On the standard output the file is the data: nothing else goes there.
  if (!isStandardStream(a[2])) show(s.screen.view, line.format());
  return kExitOk;
}

int set(const QStringList& args) {
  CommandLine line(QStringLiteral("bus set"), QStringLiteral("FILE ROW COLUMN TEXT OUT"),
                   QStringLiteral("Sets one limit of FILE as typing TEXT into the table would, "
                                  "writes the result to OUT and prints what the cell shows. TEXT "
                                  "must be a number (units such as mV, ms, µs, ns are read as "
                                  "the table reads them); \"N/A\" or an empty text removes the "
                                  "limit."));
  line.addArgument(QStringLiteral("FILE"), QStringLiteral("The bus definition file."));
  line.addArgument(QStringLiteral("ROW"), QStringLiteral("The measurement, from 1."));
  line.addArgument(QStringLiteral("COLUMN"),
                   QStringLiteral("1 (minimum), 2 (maximum) or 3 (warning margin)."));
  line.addArgument(QStringLiteral("TEXT"), QStringLiteral("The new value."));
  line.addArgument(QStringLiteral("OUT"), QStringLiteral("The file to write (\"-\": stdout)."));
  line.addFormatOption();
  line.addLanguageOption();
  if (const std::optional<int> end = line.parse(args, 5, 5)) return *end;
  const QStringList a = line.arguments();
  Session s(line.language(English));
  if (!s.load(a[0])) return kExitFailure;
  bool rowOk = false;
  bool columnOk = false;
  const int row = a[1].toInt(&rowOk);
  const int column = a[2].toInt(&columnOk);
  const int rows = static_cast<int>(s.screen.view.rows.size());
  if (!rowOk || row < 1 || row > rows)
    return line.usageError(QStringLiteral("ROW must be from 1 to %1").arg(rows));
  if (!columnOk || column < 1 || column > 3)
    return line.usageError(
        QStringLiteral("COLUMN must be 1 (minimum), 2 (maximum) or 3 (warning)"));
  // The table takes any text that is no number as "no limit"; a script that
  // means to remove one says so.
  const QString& text = a[3];
  QString asNumber = text;  // read as the table reads it: a decimal comma is a point
  if (!asNumber.contains(u'.')) asNumber.replace(u',', u'.');
  if (text.trimmed().isEmpty() || text == u"N/A") {
    note(QStringLiteral("\"%1\" removes the limit (the table shows ---)").arg(text));
  } else if (!scanNumber(asNumber)) {
    return line.usageError(QStringLiteral("TEXT \"%1\" is not a number; give \"N/A\" or an empty "
                                          "text to remove the limit")
                               .arg(text));
  }
  const QString shown = modifValXML(s.app, s.screen, row, column, text);
  QString error;
  if (s.app.xmlDocument->save(a[4], &error, s.app.language) < 0)
    return fail(writeError(a[4], error));
  // On the standard output the file is the data: nothing else goes there.
  if (isStandardStream(a[4])) return kExitOk;
  switch (line.format()) {
    case Format::Text:
      printLine(shown);
      break;
    case Format::Csv: {
      CsvTable table({"file", "row", "column", "cell"});
      table.add({a[4], QString::number(row), kCellNames[column - 1], shown});
      table.print();
      break;
    }
    case Format::Json:
      printJson({{"file", a[4]},
                 {"row", row},
                 {"column", QString::fromLatin1(kCellNames[column - 1])},
                 {"cell", toJson(quantity(shown))}});
      break;
  }
  return kExitOk;
}

}  // namespace

int runBus(const QStringList& args) {
  if (const std::optional<int> end =
          checkGroup(QStringLiteral("bus"),
                     {QStringLiteral("show"), QStringLiteral("speed"), QStringLiteral("voltage"),
                      QStringLiteral("set")},
                     QStringLiteral("Bus definition files shown, derived and edited.\n\n"
                                    "  bus show FILE\n"
                                    "  bus speed FILE NEWSPEED OUT [--title T]\n"
                                    "  bus voltage FILE NEWVOLTS OUT [--title T]\n"
                                    "  bus set FILE ROW COLUMN TEXT OUT"),
                     args))
    return *end;
  const QString verb = args.first();
  const QStringList rest = args.mid(1);
  if (verb == u"show") return showCommand(rest);
  if (verb == u"speed") return generate(rest, true);
  if (verb == u"voltage") return generate(rest, false);
  return set(rest);
}

}  // namespace karvel::cli
