// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/results/Quantity.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace karvel {

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

}  // namespace

bool isBaseUnit(const QString& unit) {
  static const QStringList units = {
      QStringLiteral("V"),     QStringLiteral("A"),   QStringLiteral("s"),
      QStringLiteral("Hz"),    QStringLiteral("Ohm"), QString(QChar(0x03A9)),
      QStringLiteral("bit/s"), QStringLiteral("bps"), QStringLiteral("W")};
  return units.contains(unit);
}

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

Quantity siQuantity(const QString& text) {
  Quantity q = quantity(text);
  if (!q.number) return q;
  const qsizetype slash = q.unit.indexOf(u'/');
  if (slash <= 0 || slash + 2 > q.unit.size()) return q;
  QString top = q.unit.left(slash);
  const QString bottom = q.unit.mid(slash + 1);
  double factor = 1.0;
  if (top.size() > 1 && isBaseUnit(top.mid(1))) {
    if (const std::optional<int> p = prefixExponent(top[0])) {
      factor *= std::pow(10.0, *p);
      top.remove(0, 1);
    }
  }
  if (!isBaseUnit(top)) return q;
  QString under = bottom;
  if (bottom.size() > 1 && isBaseUnit(bottom.mid(1))) {
    if (const std::optional<int> p = prefixExponent(bottom[0])) {
      factor /= std::pow(10.0, *p);
      under.remove(0, 1);
    }
  }
  if (!isBaseUnit(under)) return q;
  q.number = *q.number * factor;
  q.unit = top + u'/' + under;
  return q;
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

}  // namespace karvel
