#include "cli/Output.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <cstdio>

#include "core/frame/AppState.h"

namespace karvel::cli {

namespace {

// The exponent of a unit prefix, or nothing.
std::optional<int> prefixExponent(QChar c) {
  switch (c.unicode()) {
    case u'p':
      return -12;
    case u'n':
      return -9;
    case 0x00B5:  // micro sign
    case 0x03BC:  // Greek mu
    case u'u':
      return -6;
    case u'm':
      return -3;
    case u'k':
      return 3;
    case u'M':
      return 6;
    case u'G':
      return 9;
    default:
      return std::nullopt;
  }
}

bool isBaseUnit(const QString& unit) {
  static const QStringList units = {
      QStringLiteral("V"),     QStringLiteral("A"),   QStringLiteral("s"),
      QStringLiteral("Hz"),    QStringLiteral("Ohm"), QString(QChar(0x03A9)),
      QStringLiteral("bit/s"), QStringLiteral("bps"), QStringLiteral("W")};
  return units.contains(unit);
}

QString csvField(const QString& text) {
  if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
      !text.contains(u'\r'))
    return text;
  QString quoted = text;
  quoted.replace(u'"', QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}

}  // namespace

Quantity quantity(const QString& text) {
  Quantity q{text, std::nullopt, {}};
  static const QRegularExpression form(QStringLiteral(
      "^\\s*([-+]?(?:\\d+(?:\\.\\d*)?|\\.\\d+))(?:[eE]([-+]?\\d{1,3}))?\\s*(.*?)\\s*$"));
  const auto m = form.match(text);
  if (!m.hasMatch()) return q;
  int exponent = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
  QString unit = m.captured(3);
  if (unit.size() > 1) {
    const std::optional<int> prefix = prefixExponent(unit[0]);
    if (prefix && isBaseUnit(unit.mid(1))) {
      exponent += *prefix;
      unit.remove(0, 1);
    }
  }
  // Parsed from the decimal text with its exponent, so that "8.00 µs" gives
  // the double nearest to 8e-06 rather than 8.0 times 1e-06.
  bool ok = false;
  const double value = QStringLiteral("%1e%2").arg(m.captured(1)).arg(exponent).toDouble(&ok);
  if (!ok) return q;
  q.number = value;
  q.unit = unit;
  return q;
}

QJsonObject toJson(const Quantity& q) {
  return {{QStringLiteral("text"), q.text},
          {QStringLiteral("number"), q.number ? QJsonValue(*q.number) : QJsonValue()},
          {QStringLiteral("unit"), q.number ? QJsonValue(q.unit) : QJsonValue()}};
}

QStringList csvHeader(const QString& name) {
  return {name, name + QStringLiteral("_number"), name + QStringLiteral("_unit")};
}

QStringList csvFields(const Quantity& q) {
  return {q.text,
          q.number ? QString::number(*q.number, 'g', QLocale::FloatingPointShortest) : QString(),
          q.unit};
}

QString statusName(Status status) {
  switch (status) {
    case Status::Green:
      return QStringLiteral("pass");
    case Status::Yellow:
      return QStringLiteral("warning");
    case Status::Red:
      return QStringLiteral("fail");
    case Status::None:
      break;
  }
  return QStringLiteral("none");
}

QString modelName(int model) {
  if (model == kModelRQ4102) return QStringLiteral("RQ4102");
  if (model == kModelRQ6102) return QStringLiteral("RQ6102");
  return {};
}

void CsvTable::print() const {
  QString out;
  const auto line = [&out](const QStringList& fields) {
    QStringList quoted;
    for (const QString& f : fields) quoted.append(csvField(f));
    out += quoted.join(u',') + u'\n';
  };
  line(header_);
  for (const QStringList& row : rows_) line(row);
  std::fputs(qUtf8Printable(out), stdout);
}

void printJson(const QJsonObject& document) {
  std::fputs(QJsonDocument(document).toJson(QJsonDocument::Indented).constData(), stdout);
}

void printLine(const QString& text) { std::fputs(qUtf8Printable(text + u'\n'), stdout); }

}  // namespace karvel::cli
