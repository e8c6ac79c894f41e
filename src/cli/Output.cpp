// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Output.h"

#include <QJsonDocument>
#include <cstdio>

#include "core/frame/AppState.h"

namespace karvel::cli {

namespace {

QString csvField(const QString& text) {
  if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
      !text.contains(u'\r'))
    return text;
  QString quoted = text;
  quoted.replace(u'"', QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}

}  // namespace

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
  // By its size: a field may hold a NUL (a name from the instrument).
  const QByteArray bytes = out.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

void printJson(const QJsonObject& document) {
  std::fputs(QJsonDocument(document).toJson(QJsonDocument::Indented).constData(), stdout);
}

void printLine(const QString& text) { std::fputs(qUtf8Printable(text + u'\n'), stdout); }

}  // namespace karvel::cli
