// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-helpdocs: renders the program's help documents into PDF files.
//
//   karvel-helpdocs SOURCE_DIR OUTPUT_DIR
//
// SOURCE_DIR holds guide_<code>.html (the user guide, one per language) and
// buses.json (one table of facts per bus standard plus the headings and
// sentences of each language). OUTPUT_DIR receives KARVEL_<code>.pdf and
// <BUS>_BUS_<code>.pdf, the names the Contents command and the results
// window's help button open. Any missing or empty text is an error: a sheet
// with a blank row would look finished but tell the technician nothing.
#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <array>
#include <cstdio>
#include <stdexcept>

namespace {

// Language codes of the help files, in the program's language order.
constexpr std::array<const char*, 5> kCodes = {"fr", "gb", "de", "es", "it"};

// The rows of a bus sheet's table, in order; each is a field of a bus entry
// and a heading of each language.
constexpr std::array<const char*, 5> kFactRows = {"standard", "rates", "medium", "levels",
                                                  "termination"};

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

QByteArray readFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw Failure("cannot read " + path.toStdString());
  return file.readAll();
}

// A text field: the same for every language (a plain string) or one per
// language (an object keyed by language code).
QString text(const QJsonObject& owner, const char* key, const char* code, const QString& where) {
  const QJsonValue value = owner.value(QLatin1String(key));
  QString result;
  if (value.isString()) {
    result = value.toString();
  } else if (value.isObject()) {
    result = value.toObject().value(QLatin1String(code)).toString();
  }
  if (result.trimmed().isEmpty()) {
    throw Failure(QStringLiteral("%1: no text \"%2\" in language %3")
                      .arg(where, QLatin1String(key), QLatin1String(code))
                      .toStdString());
  }
  return result;
}

void renderPdf(const QString& html, const QString& title, const QString& path) {
  {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(18, 16, 18, 16), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("KARVEL"));
    QTextDocument document;
    // Lay the text out at the writer's resolution over the whole printable
    // area; left to itself the document keeps a screen-sized page.
    document.documentLayout()->setPaintDevice(&writer);
    document.setPageSize(writer.pageLayout().paintRectPixels(writer.resolution()).size());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9.5);
    document.setDefaultFont(font);
    document.setHtml(html);
    document.print(&writer);
  }
  // QPdfWriter reports no errors: check what reached the disk.
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || !file.read(4).startsWith("%PDF")) {
    throw Failure("could not write " + path.toStdString());
  }
}

const QString kStyle = QStringLiteral(
    "<style>"
    "h1 { color: #1f3b63; font-size: 17pt; }"
    "h2 { color: #1f3b63; font-size: 12.5pt; margin-top: 12px; }"
    "td, th { padding: 4px; vertical-align: top; }"
    "th { background-color: #dde6f2; text-align: left; }"
    ".footer { color: #666666; font-size: 8pt; }"
    "</style>");

QString escaped(const QString& s) { return s.toHtmlEscaped(); }

QString busSheet(const QJsonObject& bus, const QJsonObject& words, const QJsonObject& faults,
                 const char* code) {
  const QString name = bus.value(QLatin1String("name")).toString();
  const QString where = QStringLiteral("bus %1").arg(name);
  const QString lang = QStringLiteral("headings of %1").arg(QLatin1String(code));
  const QString title = text(bus, "title", code, where);

  QString html = QStringLiteral("<html><head><meta charset=\"utf-8\">") + kStyle +
                 QStringLiteral("</head><body>");
  html += QStringLiteral("<h1>%1 &#8212; %2</h1>")
              .arg(escaped(text(words, "sheet", code, lang)), escaped(title));
  html += QStringLiteral("<p>%1</p>").arg(escaped(text(words, "intro", code, lang).arg(title)));
  html += QStringLiteral("<h2>%1</h2>").arg(escaped(text(words, "facts", code, lang)));
  html += QStringLiteral(
      "<table width=\"100%\" border=\"1\" cellspacing=\"0\" style=\"border-color: #9aa8bb; "
      "border-style: solid;\">");
  for (const char* row : kFactRows) {
    html += QStringLiteral("<tr><th width=\"28%\">%1</th><td>%2</td></tr>")
                .arg(escaped(text(words, row, code, lang)), escaped(text(bus, row, code, where)));
  }
  QString list;
  const QJsonArray faultKeys = bus.value(QLatin1String("faults")).toArray();
  if (faultKeys.isEmpty()) throw Failure(where.toStdString() + ": no typical faults");
  for (const QJsonValue& key : faultKeys) {
    const QString k = key.toString();
    if (!faults.value(k).isObject()) {
      throw Failure((where + QStringLiteral(": unknown fault \"%1\"").arg(k)).toStdString());
    }
    list +=
        QStringLiteral("&#8226; %1<br>")
            .arg(escaped(text(faults, k.toLatin1().constData(), code, QStringLiteral("faults"))));
  }
  html += QStringLiteral("<tr><th>%1</th><td>%2</td></tr></table>")
              .arg(escaped(text(words, "faults", code, lang)), list);
  html += QStringLiteral("<h2>%1</h2><p>%2</p>")
              .arg(escaped(text(words, "reading_title", code, lang)),
                   escaped(text(words, "reading", code, lang)));
  html += QStringLiteral("<h2>%1</h2><p>%2</p>")
              .arg(escaped(text(words, "advice_title", code, lang)),
                   escaped(text(words, "advice", code, lang)));
  html +=
      QStringLiteral("<p class=\"footer\">%1</p>").arg(escaped(text(words, "footer", code, lang)));
  html += QStringLiteral("</body></html>");
  return html;
}

int run(const QString& sourceDir, const QString& outputDir) {
  if (!QDir().mkpath(outputDir)) throw Failure("cannot create " + outputDir.toStdString());
  const QDir source(sourceDir);
  const QDir output(outputDir);
  int written = 0;

  for (const char* code : kCodes) {
    const QString html =
        QString::fromUtf8(readFile(source.filePath(QStringLiteral("guide_%1.html").arg(code))));
    renderPdf(html, QStringLiteral("KARVEL"),
              output.filePath(QStringLiteral("KARVEL_%1.pdf").arg(QLatin1String(code))));
    ++written;
  }

  QJsonParseError error{};
  const QJsonDocument json =
      QJsonDocument::fromJson(readFile(source.filePath(QStringLiteral("buses.json"))), &error);
  if (error.error != QJsonParseError::NoError || !json.isObject()) {
    throw Failure("buses.json: " + error.errorString().toStdString() + " at offset " +
                  std::to_string(error.offset));
  }
  const QJsonObject root = json.object();
  const QJsonObject languages = root.value(QLatin1String("languages")).toObject();
  const QJsonObject faults = root.value(QLatin1String("faults")).toObject();
  const QJsonArray buses = root.value(QLatin1String("buses")).toArray();
  if (buses.isEmpty()) throw Failure("buses.json: no buses");
  for (const QJsonValue& entry : buses) {
    const QJsonObject bus = entry.toObject();
    const QString name = bus.value(QLatin1String("name")).toString();
    if (name.isEmpty()) throw Failure("buses.json: a bus without a name");
    for (const char* code : kCodes) {
      const QJsonObject words = languages.value(QLatin1String(code)).toObject();
      renderPdf(busSheet(bus, words, faults, code), name,
                output.filePath(QStringLiteral("%1_BUS_%2.pdf").arg(name, QLatin1String(code))));
      ++written;
    }
  }
  std::printf("%d help documents written to %s\n", written,
              qPrintable(QDir::toNativeSeparators(outputDir)));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: karvel-helpdocs SOURCE_DIR OUTPUT_DIR\n");
    return 2;
  }
  try {
    return run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
  } catch (const Failure& failure) {
    std::fprintf(stderr, "karvel-helpdocs: %s\n", failure.what());
    return 1;
  }
}
