// SPDX-License-Identifier: GPL-3.0-or-later
// Machine-readable output of the data commands: values split into number
// and unit, statuses and models by name, csv with a header row, and one json
// document per run.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/results/Quantity.h"
#include "core/results/ResultTable.h"

namespace karvel::cli {

using karvel::Quantity;
using karvel::quantity;
using karvel::statusName;

// {"text": ..., "number": ... or null, "unit": ... or null}
QJsonObject toJson(const Quantity& q);
// The three csv columns of a value named `name`: name, name_number, name_unit.
QStringList csvHeader(const QString& name);
QStringList csvFields(const Quantity& q);

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
