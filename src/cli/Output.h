// Machine-readable output of the data commands: values split into number
// and unit, statuses and models by name, csv with a header row, and one json
// document per run.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/results/ResultTable.h"

namespace karvel::cli {

// A value as shown ("8.00 µs") and read back: the number in the base unit
// (8e-06) and that unit ("s"). A prefix (p, n, µ, m, k, M, G) is folded into
// the number only for V, A, s, Hz, Ohm, Ω, bit/s, bps and W; any other unit
// ("V/µs", "%") is kept as shown. No number: both empty.
struct Quantity {
  QString text;
  std::optional<double> number;
  QString unit;
};
Quantity quantity(const QString& text);

// {"text": ..., "number": ... or null, "unit": ... or null}
QJsonObject toJson(const Quantity& q);
// The three csv columns of a value named `name`: name, name_number, name_unit.
QStringList csvHeader(const QString& name);
QStringList csvFields(const Quantity& q);

// pass, warning, fail or none.
QString statusName(Status status);
// RQ4102, RQ6102, or empty for no model.
QString modelName(int model);

// A csv table: the header, then the rows, as RFC 4180 text on stdout.
class CsvTable {
 public:
  explicit CsvTable(QStringList header) : header_(std::move(header)) {}
  void add(const QStringList& row) { rows_.append(row); }
  void print() const;

 private:
  QStringList header_;
  QList<QStringList> rows_;
};

void printJson(const QJsonObject& document);
void printLine(const QString& text);

}  // namespace karvel::cli
