// SPDX-License-Identifier: GPL-3.0-or-later
// The maintenance report of a site visit: what the register holds of the
// site's segments, gathered for one visit (a range of days) and laid out for
// the customer by ReportPdf. Building it reads the register only.
#pragma once

#include <QDate>
#include <QImage>
#include <QString>
#include <optional>
#include <vector>

#include "core/register/RegisterTypes.h"
#include "core/results/Compare.h"
#include "core/results/LimitReach.h"

namespace karvel {

class Register;

struct ReportRequest {
  QString site;
  QDate from, to;      // invalid: the default visit (see defaultVisitDay)
  QString technician;  // empty: those who filed the visit's results
  int language = 1;
  QString companyName;
  QString logoPath;  // empty: no logo
  CompareOptions options;
};

// One measurement of a segment's result beside the same measurement of an
// earlier one: values and margins side by side, and what stands out.
struct ReportChange {
  QString name;
  QString unit;
  std::optional<double> then, now;
  // The values as each result writes them and its results window shows
  // them ("2.00 µs", "---"); empty where the result has no such row.
  QString thenText, nowText;
  std::optional<double> marginThen, marginNow;
  Status statusThen = Status::None, statusNow = Status::None;
  bool worse = false, better = false, shrank = false, added = false, missing = false;
  bool flagged() const { return worse || shrank || added || missing; }
};

struct ReportSegment {
  RegisterSegment segment;
  std::vector<RegisterEntry> entries;   // every result of the segment, by date
  std::vector<CompareRun> runs;         // the same, read (one per entry)
  std::optional<std::size_t> current;   // the visit's last result; none: not measured
  int visitResults = 0;                 // how many results the visit filed
  std::optional<std::size_t> baseline;  // the segment's baseline
  std::optional<std::size_t> previous;  // the last result before the visit
  // All results compared (two or more): the charts and limit dates.
  std::optional<Comparison> history;
  std::vector<ReportChange> sinceBaseline, sincePrevious;
  int failed = 0, warnings = 0, shrunk = 0;
  // The measurements of `history` that the charts show: failed or warned
  // now, or flagged since the baseline or the previous visit.
  std::vector<std::size_t> flagged;
  // Limit dates of `history`'s measurements, by index (empty: none).
  std::vector<std::optional<LimitReach>> reaches;
};

struct Report {
  RegisterSite site;
  QDate from, to;
  QString technician;
  std::vector<InstrumentIdentity> instruments;  // of the visit's results, each once
  std::vector<ReportSegment> segments;          // every segment of the site
  QString companyName;
  QImage logo;          // null: none
  QString logoProblem;  // why a logo that was asked for is missing
  int language = 1;
};

// Cell `column` of measurement `name` in run `run` of `c` as its result
// writes it (and its results window shows it); empty without such a row.
QString resultCellText(const Comparison& c, std::size_t run, const QString& name,
                       std::size_t column);

// The last day on which results of `site` are dated; invalid (and `error`
// set) when the site is unknown or has no result.
QDate defaultVisitDay(Register& reg, const QString& site, int language, QString* error);

// Reads what the report needs. Refused (nothing, `error` set) when the site
// is unknown, has no result (without given dates), the dates are reversed
// or the register cannot be read. A logo that cannot be read leaves
// `logoProblem` set and the report goes on without it.
std::optional<Report> buildReport(Register& reg, const ReportRequest& request, QString* error);

}  // namespace karvel
