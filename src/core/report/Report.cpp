// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/Report.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <algorithm>

#include "core/frame/BoundedRead.h"
#include "core/register/Register.h"
#include "core/register/RegisterTexts.h"
#include "core/report/ReportTexts.h"
#include "core/results/ResultReader.h"

namespace karvel {

// The first row of that name: the one the comparison took.
QString resultCellText(const Comparison& c, std::size_t run, const QString& name,
                       std::size_t column) {
  if (run >= c.runs.size() || column >= 5) return {};
  for (const ResultRow& row : c.runs[run].table.rows)
    if (row.cells[0] == name) return row.cells[column].simplified();
  return {};
}

namespace {

// A logo is a small picture; anything larger is not one worth embedding.
constexpr qint64 kLogoMax = 8 * 1024 * 1024;

QDateTime dayStart(const QDate& day) { return QDateTime(day, QTime(0, 0)); }
QDateTime dayEnd(const QDate& day) { return QDateTime(day, QTime(23, 59, 59, 999)); }

// How bad a status is, for "worse" and "better": none and pass alike.
int severity(Status status) {
  switch (status) {
    case Status::Red:
      return 2;
    case Status::Yellow:
      return 1;
    case Status::Green:
    case Status::None:
      break;
  }
  return 0;
}

bool present(const CompareMeasurement& m, std::size_t run) {
  return m.values[run].has_value() || m.statuses[run] != Status::None;
}

// The measurements of run `now` beside those of run `then`, in the order of
// the comparison; measurements in neither are left out.
std::vector<ReportChange> changes(const Comparison& c, std::size_t then, std::size_t now,
                                  const CompareOptions& options) {
  std::vector<ReportChange> out;
  for (const CompareMeasurement& m : c.measurements) {
    const bool wasThere = present(m, then), isThere = present(m, now);
    if (!wasThere && !isThere) continue;
    ReportChange ch;
    ch.name = m.name;
    ch.unit = m.unit;
    ch.then = m.values[then];
    ch.now = m.values[now];
    ch.thenText = resultCellText(c, then, m.name, 3);
    ch.nowText = resultCellText(c, now, m.name, 3);
    ch.marginThen = m.margins[then];
    ch.marginNow = m.margins[now];
    ch.statusThen = m.statuses[then];
    ch.statusNow = m.statuses[now];
    ch.added = !wasThere;
    ch.missing = !isThere;
    if (wasThere && isThere) {
      ch.worse = severity(ch.statusNow) > severity(ch.statusThen);
      ch.better = severity(ch.statusNow) < severity(ch.statusThen);
      // As the comparison flags a margin: lost more than the share, from a
      // value that was inside its band.
      if (ch.marginThen && ch.marginNow && *ch.marginThen > 0) {
        const double loss = (*ch.marginThen - *ch.marginNow) / *ch.marginThen;
        ch.shrank = loss > options.shrinkShare + 1e-9;
      }
    }
    out.push_back(std::move(ch));
  }
  return out;
}

void readLogo(const QString& path, Report& report) {
  if (path.isEmpty()) return;
  const int language = report.language;
  QFile file(path);
  QByteArray bytes;
  QString why;
  if (!file.open(QIODevice::ReadOnly)) {
    why = file.errorString();
  } else {
    switch (readBounded(file, kLogoMax, &bytes)) {
      case BoundedRead::Done:
        break;
      case BoundedRead::TooLarge:
        why = pick(reporttext::kLogoNotImage, language);
        break;
      case BoundedRead::Failed:
        why = file.errorString();
        break;
    }
  }
  if (why.isEmpty()) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // A picture that claims a huge size is refused before it is decoded.
    if (reader.size().isValid() &&
        qint64(reader.size().width()) * reader.size().height() > qint64(8000) * 8000)
      why = pick(reporttext::kLogoNotImage, language);
    else if (!reader.read(&report.logo))
      why = pick(reporttext::kLogoNotImage, language);
  }
  if (!why.isEmpty()) {
    report.logo = QImage();
    report.logoProblem = pick(reporttext::kLogoUnreadable, language).arg(path, why);
  }
}

bool gatherSegment(Register& reg, const Report& report, const CompareOptions& options,
                   ReportSegment& s, QString* error) {
  RegisterFilter filter;
  filter.site = report.site.name;
  filter.segment = s.segment.name;
  std::optional<std::vector<RegisterEntry>> entries = reg.list(filter, error);
  if (!entries) return false;
  std::optional<std::vector<CompareRun>> runs =
      reg.segmentRuns(report.site.name, s.segment.name, false, error);
  if (!runs) return false;
  // Both come in the order of the dates, then of the numbers: one run per
  // entry. A result filed between the two reads would break that match,
  // and the report would pair the wrong results: read both again.
  if (entries->size() != runs->size()) {
    entries = reg.list(filter, error);
    runs = reg.segmentRuns(report.site.name, s.segment.name, false, error);
    if (!entries || !runs) return false;
    if (entries->size() != runs->size()) {
      if (error) *error = pick(registertext::kBusyReason, report.language);
      return false;
    }
  }
  s.entries = std::move(*entries);
  s.runs = std::move(*runs);
  const QDateTime from = dayStart(report.from), to = dayEnd(report.to);
  for (std::size_t i = 0; i < s.entries.size(); ++i) {
    const QDateTime& date = s.entries[i].date;
    if (date >= from && date <= to) {
      s.current = i;
      ++s.visitResults;
    } else if (date < from) {
      s.previous = i;
    }
    if (s.entries[i].baseline) s.baseline = i;
  }
  if (s.runs.size() >= 2) {
    QString ignored;  // one bus per segment: the register refuses others
    // The rows stay: the report writes the values as the results do.
    CompareOptions keep = options;
    keep.keepRows = true;
    s.history = compareRuns(s.runs, keep, &ignored, report.language, RunOrder::ByDate);
  }
  if (!s.current) return true;
  const std::size_t now = *s.current;
  for (const ResultRow& row : s.runs[now].table.rows) {
    if (row.status == Status::Red) ++s.failed;
    if (row.status == Status::Yellow) ++s.warnings;
  }
  if (!s.history) return true;
  const Comparison& c = *s.history;
  if (s.baseline && *s.baseline != now) s.sinceBaseline = changes(c, *s.baseline, now, options);
  if (s.previous) s.sincePrevious = changes(c, *s.previous, now, options);
  // Shrunk since the baseline, or since the previous visit without one.
  const std::vector<ReportChange>& reference = s.baseline ? s.sinceBaseline : s.sincePrevious;
  for (const ReportChange& ch : reference) s.shrunk += ch.shrank ? 1 : 0;
  s.reaches.resize(c.measurements.size());
  for (std::size_t i = 0; i < c.measurements.size(); ++i) {
    const CompareMeasurement& m = c.measurements[i];
    // Only the results up to this visit: a later one is not part of it.
    CompareMeasurement upToNow = m;
    std::vector<QDateTime> dates;
    for (std::size_t r = 0; r <= now; ++r) dates.push_back(c.runs[r].date);
    upToNow.values.resize(now + 1);
    upToNow.minimum.resize(now + 1);
    upToNow.maximum.resize(now + 1);
    s.reaches[i] = limitReach(upToNow, dates);
    bool flag = m.statuses[now] == Status::Red || m.statuses[now] == Status::Yellow;
    for (const std::vector<ReportChange>* list : {&s.sinceBaseline, &s.sincePrevious})
      for (const ReportChange& ch : *list)
        if (ch.name == m.name && ch.flagged()) flag = true;
    if (flag || (s.reaches[i] && present(m, now))) s.flagged.push_back(i);
  }
  return true;
}

}  // namespace

QDate defaultVisitDay(Register& reg, const QString& site, int language, QString* error) {
  RegisterFilter filter;
  filter.site = site;
  const std::optional<std::vector<RegisterEntry>> entries = reg.list(filter, error);
  if (!entries) return {};
  QDate last;
  for (const RegisterEntry& e : *entries)
    if (e.date.isValid() && (!last.isValid() || e.date.date() > last)) last = e.date.date();
  if (!last.isValid() && error) *error = pick(reporttext::kSiteHasNoResult, language).arg(site);
  return last;
}

std::optional<Report> buildReport(Register& reg, const ReportRequest& request, QString* error) {
  Report report;
  report.language = request.language;
  const std::optional<std::vector<RegisterSite>> sites = reg.sites(error);
  if (!sites) return std::nullopt;
  const auto site = std::find_if(sites->begin(), sites->end(),
                                 [&](const RegisterSite& s) { return s.name == request.site; });
  if (site == sites->end()) {
    if (error) *error = pick(reporttext::kNoSuchSite, request.language).arg(request.site);
    return std::nullopt;
  }
  report.site = *site;
  report.from = request.from;
  report.to = request.to;
  if (!report.from.isValid() || !report.to.isValid()) {
    const QDate day = defaultVisitDay(reg, request.site, request.language, error);
    if (!day.isValid()) return std::nullopt;
    if (!report.from.isValid()) report.from = report.to.isValid() ? std::min(day, report.to) : day;
    if (!report.to.isValid()) report.to = std::max(day, report.from);
  }
  if (report.from > report.to) {
    if (error)
      *error = pick(reporttext::kDatesReversed, request.language)
                   .arg(report.from.toString(Qt::ISODate), report.to.toString(Qt::ISODate));
    return std::nullopt;
  }
  const std::optional<std::vector<RegisterSegment>> segments = reg.segments(request.site, error);
  if (!segments) return std::nullopt;
  QStringList technicians;
  for (const RegisterSegment& segment : *segments) {
    ReportSegment s;
    s.segment = segment;
    if (!gatherSegment(reg, report, request.options, s, error)) return std::nullopt;
    for (std::size_t i = 0; i < s.entries.size(); ++i) {
      const RegisterEntry& e = s.entries[i];
      if (e.date < dayStart(report.from) || e.date > dayEnd(report.to)) continue;
      if (!e.technician.isEmpty() && !technicians.contains(e.technician))
        technicians << e.technician;
      if (e.instrument.isEmpty()) continue;
      const bool known = std::any_of(
          report.instruments.begin(), report.instruments.end(), [&](const InstrumentIdentity& i) {
            return i.model == e.instrument.model && i.serial == e.instrument.serial;
          });
      if (!known) report.instruments.push_back(e.instrument);
    }
    report.segments.push_back(std::move(s));
  }
  report.technician =
      request.technician.isEmpty() ? technicians.join(QStringLiteral(", ")) : request.technician;
  report.companyName = request.companyName;
  readLogo(request.logoPath, report);
  return report;
}

}  // namespace karvel
