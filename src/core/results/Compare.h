// Results of one bus compared over time: the runs ordered by date, each
// measurement matched by name across them with its values, its margin to the
// nearer limit, its trend and whether that margin shrank.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/results/ResultTable.h"

namespace karvel {

enum class Trend { Rising, Falling, Steady, Unknown };

// rising, falling, steady, unknown.
QString trendName(Trend trend);
// The same in the user's language.
QString trendText(Trend trend, int language);

struct CompareRun {
  ResultTable table;
  QDateTime date;
  bool dateFromFile = false;  // else the file's modification time
};

struct CompareMeasurement {
  QString name;
  QString unit;
  // Per run, in the order of the runs; empty where the run has no number
  // (or no such measurement).
  std::vector<std::optional<double>> values, minimum, maximum;
  // Distance to the nearer limit as a share of the band (0 at a limit,
  // 0.5 in the middle, below 0 outside); empty where it cannot be told.
  std::vector<std::optional<double>> margins;
  std::vector<Status> statuses;
  Trend trend = Trend::Unknown;
  bool marginShrank = false;
};

struct Comparison {
  QString bus;
  std::vector<CompareRun> runs;
  std::vector<CompareMeasurement> measurements;
};

struct CompareOptions {
  // A margin that lost more than this share between the first and the last
  // run is flagged.
  double shrinkShare = 0.25;
  // A change of the value smaller than this share of the band is steady.
  double steadyShare = 0.05;
};

// The date of a result: a date and time written in its text (2026-03-01
// 14:05, 01/03/2026 14:05 or 01.03.2026, day first), else the file's
// modification time.
QDateTime resultDate(const QByteArray& text, const QString& path, bool* fromFile);

// The margin of `value` between `minimum` and `maximum` (either may be
// missing): with both, the distance to the nearer limit as a share of the
// band; with one, the distance as a share of that limit's size.
std::optional<double> marginOf(std::optional<double> value, std::optional<double> minimum,
                               std::optional<double> maximum);

// Orders the runs by date and matches their measurements. Refused (nothing,
// with `error` set) when the runs are of different buses or fewer than one.
std::optional<Comparison> compareRuns(std::vector<CompareRun> runs, const CompareOptions& options,
                                      QString* error, int language);

// Reads the result files and compares them; `error` names the file that
// could not be read or the buses that differ.
std::optional<Comparison> compareResultFiles(const QStringList& paths,
                                             const CompareOptions& options, int language,
                                             QString* error);

}  // namespace karvel
