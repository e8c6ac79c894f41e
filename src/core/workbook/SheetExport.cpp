// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/workbook/SheetExport.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <cstdint>
#include <map>

#include "core/frame/FreedMemory.h"
#include "core/results/CompareTexts.h"
#include "core/results/Quantity.h"
#include "core/results/ResultReader.h"

namespace karvel {

QString templatePath(const QString& programDir) {
  return QDir::toNativeSeparators(
      QDir(QDir::fromNativeSeparators(programDir)).filePath(excel::kTemplateName));
}

QString proposedSheetName(const QString& sourcePath) {
  QString name = pathFileName(sourcePath);
  const qsizetype dot = name.indexOf(u'.');
  if (dot >= 0) name.truncate(dot);
  const QString extension = QStringLiteral(".xlsx");
  return name.left(excel::kSheetNameMax - extension.size()) + extension;
}

QString exportRangeReference(int rows) { return QStringLiteral("A1:D%1").arg(rows + 10); }

namespace {

CellLook headingLook() {
  CellLook look;
  look.bold = true;
  look.fillRgb = QStringLiteral("D0D0D0");
  look.align = CellLook::Align::Center;
  return look;
}

CellLook statusLook(Status status) {
  CellLook look;
  look.align = CellLook::Align::Center;
  if (const int rgb = statusRgb(status); rgb >= 0)
    look.fillRgb = QStringLiteral("%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
  return look;
}

// Rows written between two packings of the finished ones: few enough that
// a sheet of any length holds little as XML trees at a time.
constexpr int kRowsPerPack = 512;

// The looks of the number columns.
struct NumberLooks {
  CellLook number;
  CellLook percent;
  CellLook plain;
  NumberLooks() {
    number.numberFormat = QLatin1String(excel::kEngineeringFormat);
    percent.numberFormat = QStringLiteral("0%");
  }
};

// The headings of the number columns, in the user's language.
int writeNumberHeadings(SheetRange& range, int language) {
  int status = kSheetOk;
  const CellLook heading = headingLook();
  const Text5* headings[] = {&excel::kValueHeading,    &excel::kMinHeading,
                             &excel::kMaxHeading,      &excel::kUnitHeading,
                             &excel::kDistanceHeading, &excel::kStatusHeading};
  int column = excel::kExtraColumn;
  for (const Text5* h : headings) {
    const int s = range.setItem(4, column++, pick(*h, language), heading);
    if (status == kSheetOk && s != kSheetOk) status = s;
  }
  return status;
}

// The measured value, the tolerances, their unit, the distance and the
// status of one row, as numbers where the text holds one.
int writeNumberCells(SheetRange& range, int row, const ResultRow& r, const NumberLooks& looks) {
  int status = kSheetOk;
  auto keep = [&](int s) {
    if (status == kSheetOk && s != kSheetOk) status = s;
  };
  const Quantity value = siQuantity(r.cells[3]);
  const Quantity min = siQuantity(r.cells[1]);
  const Quantity max = siQuantity(r.cells[2]);
  const Quantity distance = siQuantity(r.cells[4]);
  int column = excel::kExtraColumn;
  for (const Quantity* q : {&value, &min, &max}) {
    if (q->number) keep(range.setNumber(row, column, *q->number, looks.number));
    ++column;
  }
  QString unit;
  for (const Quantity* q : {&value, &min, &max})
    if (unit.isEmpty() && q->number) unit = q->unit;
  if (!unit.isEmpty()) keep(range.setItem(row, column, unit, looks.plain));
  ++column;
  if (distance.number) {
    // A share in percent is stored as the fraction it stands for.
    if (distance.unit == u'%')
      keep(range.setNumber(row, column, *distance.number / 100.0, looks.percent));
    else
      keep(range.setNumber(row, column, *distance.number, looks.plain));
  }
  ++column;
  if (r.status != Status::None)
    keep(range.setItem(row, column, statusName(r.status), statusLook(r.status)));
  return status;
}

}  // namespace

int writeResultSheet(SheetRange& range, const ResultTable& table, int language) {
  int status = kSheetOk;
  auto set = [&](int row, int column, const QString& text) {
    const int s = range.setItem(row, column, text);
    if (status == kSheetOk && s != kSheetOk) status = s;
  };
  set(1, 1, table.tableLabel);
  set(2, 1, table.busHeading);
  set(2, 3, QString::fromUtf8(excel::kBusQuality));
  set(2, 4, table.verdict);
  set(4, 1, pick(excel::kMeasurements, language));
  set(4, 2, QString::fromUtf8(excel::kMin));
  set(4, 3, QString::fromUtf8(excel::kMax));
  set(4, 4, QString::fromUtf8(excel::kPercent));
  int extra = writeNumberHeadings(range, language);
  const NumberLooks looks;
  int row = 5;
  for (const ResultRow& r : table.rows) {
    // Name, minimum, maximum and measured value; the distance stays out.
    for (int column = 1; column <= 4; ++column)
      set(row, column, r.cells[static_cast<std::size_t>(column - 1)]);
    const int s = writeNumberCells(range, row, r, looks);
    if (extra == kSheetOk && s != kSheetOk) extra = s;
    ++row;
    if ((row - 5) % kRowsPerPack == 0) range.packRowsAbove(row);
  }
  return status != kSheetOk ? status : extra;
}

int exportResultSheet(SheetWorksheet& sheet, const ResultTable& table, int language,
                      SheetRangeHandle* rangeOut) {
  SheetRangeHandle range;
  int status = sheet.range(exportRangeReference(static_cast<int>(table.rows.size())), &range);
  if (status == kSheetOk) status = writeResultSheet(*range, table, language);
  if (status == kSheetOk) {
    // The number columns, for a template that gives them no width: value,
    // minimum and maximum, then the unit, then the distance and the status.
    status = sheet.setColumnWidth(excel::kExtraColumn, excel::kExtraColumn + 2, 13);
    if (status == kSheetOk)
      status = sheet.setColumnWidth(excel::kExtraColumn + 3, excel::kExtraColumn + 3, 8);
    if (status == kSheetOk)
      status = sheet.setColumnWidth(excel::kExtraColumn + 4, excel::kExtraColumn + 5, 11);
  }
  if (rangeOut) *rangeOut = range;
  return status;
}

bool exportResultTable(const QString& templateFile, const ResultTable& table, int language,
                       const QString& target, QString* error) {
  SheetAppHandle app;
  SheetApp::newApp(&app);
  SheetWorkbooksHandle workbooks;
  SheetWorkbookHandle workbook;
  SheetCollectionHandle sheets;
  SheetWorksheetHandle sheet;
  int status = app->workbooks(&workbooks);
  if (status == kSheetOk) status = workbooks->open(templateFile, &workbook);
  if (status != kSheetOk) {
    *error = app->lastError();
    return false;
  }
  status = app->sheets(&sheets);
  if (status == kSheetOk) status = sheets->item(1, &sheet);
  if (status == kSheetOk) status = exportResultSheet(*sheet, table, language);
  if (status == kSheetOk) status = workbook->saveAs(target);
  if (status != kSheetOk)
    *error = workbook->lastError().isEmpty() ? app->lastError() : workbook->lastError();
  app->quit();
  return status == kSheetOk;
}

namespace {
// The first `length` UTF-16 units of `text`, without half a character at the end.
QString leftWhole(const QString& text, qsizetype length) {
  QString out = text.left(length);
  if (!out.isEmpty() && out.back().isHighSurrogate()) out.chop(1);
  return out;
}
}  // namespace

QString resultSheetName(const QString& sourcePath, const QStringList& taken) {
  QString name = pathFileName(sourcePath);
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot >= 0) name.truncate(dot);
  // Characters a sheet name cannot hold, and those XML forbids, become "_".
  for (qsizetype i = 0; i < name.size(); ++i) {
    const QChar c = name[i];
    if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
      ++i;
      continue;
    }
    if (QStringLiteral("[]:*?/\\").contains(c) || c.isSurrogate() || !xmlAllows(c.unicode()))
      name[i] = u'_';
  }
  while (name.startsWith(u'\'')) name.remove(0, 1);
  name = leftWhole(name, WorkbookFile::kMaxSheetName);
  while (name.endsWith(u'\'')) name.chop(1);
  if (name.trimmed().isEmpty()) name = QStringLiteral("Result");
  auto free = [&](const QString& candidate) {
    if (candidate.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0) return false;
    for (const QString& t : taken)
      if (t.compare(candidate, Qt::CaseInsensitive) == 0) return false;
    return true;
  };
  if (free(name)) return name;
  for (int n = 2;; ++n) {
    const QString suffix = QStringLiteral(" (%1)").arg(n);
    const QString candidate = leftWhole(name, WorkbookFile::kMaxSheetName - suffix.size()) + suffix;
    if (free(candidate)) return candidate;
  }
}

namespace {

// What the summary sheet says of a result, kept when its table is let go.
struct SummaryLine {
  QString file, bus, verdict;
  Status verdictColour = Status::Yellow;
  int pass = 0, warning = 0, fail = 0;
};

// The sheets of several results in an open workbook whose first sheet is
// the template's layout: a summary first, then one sheet per result, each
// table taken from `source` in turn and let go before the next. Names in
// `reserved` stay free for sheets the caller adds. A result the source
// cannot give stops the writing with kSheetFileError and its reason in
// `sourceError`.
int writeSeveral(SheetCollection& collection, const QStringList& sourcePaths,
                 const ResultSource& source, int language, const QStringList& reserved,
                 SheetWorksheetHandle* summaryOut, QString* sourceError) {
  SheetCollection* sheets = &collection;
  int status = kSheetOk;
  const std::size_t count = static_cast<std::size_t>(sourcePaths.size());
  // The names first, so that every copy is made from the untouched layout.
  const QString summaryName = pick(excel::kSummarySheet, language);
  QStringList names{summaryName};
  names << reserved;
  for (const QString& path : sourcePaths) names << resultSheetName(path, names);

  std::vector<SheetWorksheetHandle> resultSheets(count);
  if (status == kSheetOk) status = sheets->item(1, &resultSheets[0]);
  const qsizetype first = names.size() - static_cast<qsizetype>(count);
  for (std::size_t i = 1; i < count && status == kSheetOk; ++i)
    status = sheets->add(names[static_cast<qsizetype>(first + i)], static_cast<int>(i) + 1, 1,
                         &resultSheets[i]);
  if (status == kSheetOk) status = resultSheets[0]->setName(names[first]);
  SheetWorksheetHandle summary;
  if (status == kSheetOk) status = sheets->add(summaryName, 1, 0, &summary);

  std::vector<SummaryLine> lines;
  for (std::size_t i = 0; i < count && status == kSheetOk; ++i) {
    const ResultTable* t = source(i, sourceError);
    if (!t) return kSheetFileError;
    SheetRangeHandle written;
    status = exportResultSheet(*resultSheets[i], *t, language, &written);
    // Nothing more goes into it: its last rows are packed too, so that no
    // sheet keeps rows as XML trees until the save.
    if (status == kSheetOk) written->packRowsAbove(5 + static_cast<int>(t->rows.size()));
    SummaryLine line{pathFileName(t->sourcePath), t->busHeading, t->verdict, t->verdictColour};
    for (const ResultRow& r : t->rows) {
      line.pass += r.status == Status::Green;
      line.warning += r.status == Status::Yellow;
      line.fail += r.status == Status::Red;
    }
    lines.push_back(std::move(line));
  }
  returnFreedMemory();

  SheetRangeHandle range;
  if (status == kSheetOk) status = summary->range(QStringLiteral("A1"), &range);
  if (status == kSheetOk) {
    CellLook title;
    title.bold = true;
    range->setItem(1, 1, pick(excel::kSummaryTitle, language), title);
    const Text5* headings[] = {&excel::kSheetHeading, &excel::kFileHeading,
                               &excel::kBusHeading,   &excel::kVerdictHeading,
                               &excel::kPassHeading,  &excel::kWarningHeading,
                               &excel::kFailHeading};
    int column = 1;
    for (const Text5* h : headings) range->setItem(3, column++, pick(*h, language), headingLook());
    const CellLook plain;
    const CellLook number;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const SummaryLine& t = lines[i];
      const int row = 4 + static_cast<int>(i);
      range->setItem(row, 1, names[static_cast<qsizetype>(first + i)], plain);
      range->setItem(row, 2, t.file, plain);
      range->setItem(row, 3, t.bus, plain);
      CellLook verdict = statusLook(t.verdictColour);
      verdict.align = CellLook::Align::Left;
      range->setItem(row, 4, t.verdict, verdict);
      range->setNumber(row, 5, t.pass, number);
      range->setNumber(row, 6, t.warning, number);
      status = range->setNumber(row, 7, t.fail, number);
    }
    summary->setColumnWidth(1, 2, 24);
    summary->setColumnWidth(3, 3, 28);
    summary->setColumnWidth(4, 4, 40);
    summary->setColumnWidth(5, 7, 14);
    summary->activate();
  }
  if (summaryOut) *summaryOut = summary;
  return status;
}

// Opens a fresh copy of the template in a new engine.
struct OpenTemplate {
  SheetAppHandle app;
  SheetWorkbooksHandle workbooks;
  SheetWorkbookHandle workbook;
  SheetCollectionHandle sheets;
  int open(const QString& templateFile, QString* error) {
    SheetApp::newApp(&app);
    int status = app->workbooks(&workbooks);
    if (status == kSheetOk) status = workbooks->open(templateFile, &workbook);
    if (status == kSheetOk) status = app->sheets(&sheets);
    if (status != kSheetOk) *error = app->lastError();
    return status;
  }
  // `sourceError`: why a result could not be had, which then is the reason.
  bool save(int status, const QString& target, QString* error, const QString& sourceError = {}) {
    if (status == kSheetOk) status = workbook->saveAs(target);
    if (status != kSheetOk)
      *error = !sourceError.isEmpty()            ? sourceError
               : workbook->lastError().isEmpty() ? app->lastError()
                                                 : workbook->lastError();
    app->quit();
    return status == kSheetOk;
  }
};

}  // namespace

bool exportResultTables(const QString& templateFile, const std::vector<ResultTable>& tables,
                        int language, const QString& target, QString* error) {
  QStringList paths;
  for (const ResultTable& table : tables) paths << table.sourcePath;
  return exportResultSources(
      templateFile, paths, [&](std::size_t i, QString*) { return &tables[i]; }, language, target,
      error);
}

bool exportResultSources(const QString& templateFile, const QStringList& sourcePaths,
                         const ResultSource& source, int language, const QString& target,
                         QString* error) {
  if (sourcePaths.size() == 1) {
    const ResultTable* table = source(0, error);
    return table && exportResultTable(templateFile, *table, language, target, error);
  }
  OpenTemplate book;
  if (book.open(templateFile, error) != kSheetOk) return false;
  QString sourceError;
  const int status =
      writeSeveral(*book.sheets, sourcePaths, source, language, {}, nullptr, &sourceError);
  return book.save(status, target, error, sourceError);
}

namespace {
// A sheet name as a cell reference writes it: always quoted here.
QString sheetReference(const QString& name) {
  return u'\'' + QString(name).replace(u'\'', QStringLiteral("''")) + u'\'';
}
QString columnLetters(int column) { return cellReference(1, column).chopped(1); }
}  // namespace

namespace {

// A comparison's measurements packed while its workbook is written: per
// measurement a block of numbers (value, minimum, maximum and margin of
// each run) with a bit per number that is there, the statuses, the trend,
// and the name and unit in shared blocks of text. About a fifth of the
// memory of the measurements themselves, and they come back exactly.
class PackedMeasurements {
 public:
  // False when the measurements do not have one entry per run everywhere;
  // they are then left as they are.
  bool pack(const std::vector<CompareMeasurement>& measurements, std::size_t runs) {
    runs_ = runs;
    for (const CompareMeasurement& m : measurements)
      if (m.values.size() != runs || m.minimum.size() != runs || m.maximum.size() != runs ||
          m.margins.size() != runs || m.statuses.size() != runs)
        return false;
    const std::size_t count = measurements.size();
    numbers_.assign(count * runs * kKinds, 0.0);
    present_.assign((count * runs * kKinds + 7) / 8, 0);
    statuses_.resize(count * runs);
    trends_.resize(count);
    shrank_.resize(count);
    nameEnds_.resize(count);
    units_.resize(count);
    qsizetype names = 0;
    for (const CompareMeasurement& m : measurements) names += m.name.size();
    names_.reserve(names);
    std::map<QString, std::uint32_t> unitIndex;
    for (std::size_t i = 0; i < count; ++i) {
      const CompareMeasurement& m = measurements[i];
      names_ += m.name;
      nameEnds_[i] = names_.size();
      const auto [unit, added] =
          unitIndex.emplace(m.unit, static_cast<std::uint32_t>(unitTexts_.size()));
      if (added) unitTexts_.push_back(m.unit);
      units_[i] = unit->second;
      trends_[i] = m.trend;
      shrank_[i] = m.marginShrank;
      for (std::size_t r = 0; r < runs; ++r) {
        statuses_[i * runs + r] = m.statuses[r];
        const std::optional<double>* kinds[kKinds] = {&m.values[r], &m.minimum[r], &m.maximum[r],
                                                      &m.margins[r]};
        for (int k = 0; k < kKinds; ++k) {
          if (!*kinds[k]) continue;
          const std::size_t at = slot(i, r, k);
          numbers_[at] = **kinds[k];
          present_[at / 8] |= static_cast<std::uint8_t>(1u << (at % 8));
        }
      }
    }
    return true;
  }
  std::size_t size() const { return trends_.size(); }
  QString name(std::size_t i) const {
    const qsizetype from = i ? nameEnds_[i - 1] : 0;
    return names_.mid(from, nameEnds_[i] - from);
  }
  const QString& unit(std::size_t i) const { return unitTexts_[units_[i]]; }
  std::optional<double> value(std::size_t i, std::size_t run) const { return number(i, run, 0); }
  std::optional<double> minimum(std::size_t i, std::size_t run) const { return number(i, run, 1); }
  std::optional<double> maximum(std::size_t i, std::size_t run) const { return number(i, run, 2); }
  std::optional<double> margin(std::size_t i, std::size_t run) const { return number(i, run, 3); }
  Trend trend(std::size_t i) const { return trends_[i]; }
  bool marginShrank(std::size_t i) const { return shrank_[i]; }
  bool anyValue(std::size_t i) const {
    for (std::size_t r = 0; r < runs_; ++r)
      if (value(i, r)) return true;
    return false;
  }
  // The measurements as they were packed.
  std::vector<CompareMeasurement> unpack() const {
    std::vector<CompareMeasurement> out(size());
    for (std::size_t i = 0; i < out.size(); ++i) {
      CompareMeasurement& m = out[i];
      m.name = name(i);
      m.unit = unit(i);
      m.trend = trend(i);
      m.marginShrank = marginShrank(i);
      for (std::size_t r = 0; r < runs_; ++r) {
        m.values.push_back(value(i, r));
        m.minimum.push_back(minimum(i, r));
        m.maximum.push_back(maximum(i, r));
        m.margins.push_back(margin(i, r));
        m.statuses.push_back(statuses_[i * runs_ + r]);
      }
    }
    return out;
  }

 private:
  static constexpr int kKinds = 4;
  std::size_t slot(std::size_t i, std::size_t run, int kind) const {
    return (i * runs_ + run) * kKinds + static_cast<std::size_t>(kind);
  }
  std::optional<double> number(std::size_t i, std::size_t run, int kind) const {
    const std::size_t at = slot(i, run, kind);
    if (!(present_[at / 8] & (1u << (at % 8)))) return std::nullopt;
    return numbers_[at];
  }
  std::size_t runs_ = 0;
  std::vector<double> numbers_;
  std::vector<std::uint8_t> present_;
  std::vector<Status> statuses_;
  std::vector<Trend> trends_;
  std::vector<bool> shrank_;
  QString names_;
  std::vector<qsizetype> nameEnds_;
  std::vector<QString> unitTexts_;
  std::vector<std::uint32_t> units_;
};

bool writeComparisonWorkbook(const QString& templateFile, const Comparison& comparison,
                             const PackedMeasurements& measurements, int language,
                             const QString& target, QString* error) {
  using namespace comparetext;
  OpenTemplate book;
  if (book.open(templateFile, error) != kSheetOk) return false;
  // Each result's sheet from its table, or from its file again when the
  // comparison kept only its figures; one table at a time.
  QStringList paths;
  for (const CompareRun& run : comparison.runs) paths << run.table.sourcePath;
  ResultTable reread;
  const ResultSource source = [&](std::size_t i, QString* why) -> const ResultTable* {
    const CompareRun& run = comparison.runs[i];
    if (!run.rowsReleased) return &run.table;
    reread = ResultTable();
    returnFreedMemory();
    if (!loadResultFile(run.table.sourcePath, language, reread, why)) return nullptr;
    return &reread;
  };
  const QString name = pick(kSheetName, language);
  QString sourceError;
  int status = writeSeveral(*book.sheets, paths, source, language, {name}, nullptr, &sourceError);
  reread = ResultTable();
  SheetWorksheetHandle sheet;
  if (status == kSheetOk) status = book.sheets->add(name, 2, 0, &sheet);
  SheetRangeHandle range;
  if (status == kSheetOk) status = sheet->range(QStringLiteral("A1"), &range);
  if (status != kSheetOk) return book.save(status, target, error, sourceError);

  const int runs = static_cast<int>(comparison.runs.size());
  CellLook title;
  title.bold = true;
  range->setItem(1, 1, pick(kWindowTitle, language) + QStringLiteral(" - ") + comparison.bus,
                 title);
  // Row 2: where each run's date comes from; row 3: the runs' files above
  // their columns; row 4: headings, the dates above the values.
  const CellLook heading = headingLook();
  range->setItem(2, 1, pick(kDateFrom, language), CellLook());
  range->setItem(3, 1, pick(kFileRow, language), CellLook());
  range->setItem(4, 1, pick(kMeasurement, language), heading);
  range->setItem(4, 2, pick(kUnit, language), heading);
  for (int r = 0; r < runs; ++r) {
    const CompareRun& run = comparison.runs[static_cast<std::size_t>(r)];
    const QString file = pathFileName(run.table.sourcePath);
    // A file's time is only a stand-in for a date: it stands out.
    range->setItem(
        2, 3 + r, dateSourceText(run.dateSource, language),
        run.dateSource == DateSource::FileTime ? statusLook(Status::Yellow) : CellLook());
    range->setItem(3, 3 + r, file, CellLook());
    range->setItem(4, 3 + r, resultDateText(run.date), heading);
    range->setItem(3, 3 + runs + r, file, CellLook());
    range->setItem(4, 3 + runs + r, pick(kMargin, language).arg(r + 1), heading);
  }
  // Above the trends: what their order rests on, when not the results' own dates.
  if (const QString note = trendNote(comparison, language); !note.isEmpty())
    range->setItem(
        3, 3 + 2 * runs, note,
        orderBasis(comparison) == OrderBasis::FileTimes ? statusLook(Status::Yellow) : CellLook());
  range->setItem(4, 3 + 2 * runs, pick(kTrend, language), heading);
  range->setItem(4, 4 + 2 * runs, pick(kMarginShrank, language), heading);
  // The tolerances of every run after them: what the charts draw the band from.
  const int limits = 5 + 2 * runs;
  for (int r = 0; r < runs; ++r) {
    range->setItem(4, limits + r, pick(kMinimumOf, language).arg(r + 1), heading);
    range->setItem(4, limits + runs + r, pick(kMaximumOf, language).arg(r + 1), heading);
  }

  CellLook number;
  number.numberFormat = QLatin1String(excel::kEngineeringFormat);
  CellLook percent;
  percent.numberFormat = QStringLiteral("0%");
  CellLook flagged = statusLook(Status::Yellow);
  int row = 5;
  const std::size_t count = measurements.size();
  for (std::size_t m = 0; m < count; ++m) {
    range->setItem(row, 1, measurements.name(m), CellLook());
    const QString& unit = measurements.unit(m);
    if (!unit.isEmpty()) range->setItem(row, 2, unit, CellLook());
    for (int r = 0; r < runs; ++r) {
      const auto i = static_cast<std::size_t>(r);
      if (const auto v = measurements.value(m, i)) range->setNumber(row, 3 + r, *v, number);
      if (const auto v = measurements.margin(m, i))
        range->setNumber(row, 3 + runs + r, *v, percent);
      if (const auto v = measurements.minimum(m, i)) range->setNumber(row, limits + r, *v, number);
      if (const auto v = measurements.maximum(m, i))
        range->setNumber(row, limits + runs + r, *v, number);
    }
    range->setItem(row, 3 + 2 * runs, trendText(measurements.trend(m), language), CellLook());
    if (measurements.marginShrank(m))
      status = range->setItem(row, 4 + 2 * runs, pick(kYes, language), flagged);
    ++row;
    if ((row - 5) % kRowsPerPack == 0) range->packRowsAbove(row);
  }
  sheet->setColumnWidth(1, 1, 28);
  sheet->setColumnWidth(2, 2, 8);
  sheet->setColumnWidth(3, 2 + 2 * runs, 16);
  sheet->setColumnWidth(3 + 2 * runs, 4 + 4 * runs, 14);

  // One chart per measurement below the table: its values over the runs
  // between the lines of its tolerances.
  const QString reference = sheetReference(name) + u'!';
  auto cells = [&](int sheetRow, int firstColumn) {
    return reference + QStringLiteral("$%1$%2:$%3$%2")
                           .arg(columnLetters(firstColumn))
                           .arg(sheetRow)
                           .arg(columnLetters(firstColumn + runs - 1));
  };
  int top = 5 + static_cast<int>(count) + 2;
  int chartRow = 5;
  int charts = 0;
  for (std::size_t m = 0; m < count; ++m) {
    const bool anyValue = measurements.anyValue(m);
    if (anyValue && charts == excel::kMaxCharts && status == kSheetOk) {
      // Past that many, charts only weigh the workbook down: the table
      // holds every measurement, and a line above the charts says so.
      range->setItem(5 + static_cast<int>(count) + 1, 1,
                     pick(kChartsCapped, language).arg(excel::kMaxCharts), flagged);
      break;
    }
    if (anyValue && status == kSheetOk) {
      ++charts;
      const QString name = measurements.name(m);
      const QString& unit = measurements.unit(m);
      LineChart chart;
      chart.title = unit.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, unit);
      chart.categoriesReference = cells(4, 3);
      chart.numberFormat = QLatin1String(excel::kEngineeringFormat);
      chart.series = {{name, cells(chartRow, 3), QStringLiteral("1F4E9A"), false},
                      {pick(kMinimumOf, language).arg(QString()).trimmed(), cells(chartRow, limits),
                       QStringLiteral("808080"), true},
                      {pick(kMaximumOf, language).arg(QString()).trimmed(),
                       cells(chartRow, limits + runs), QStringLiteral("808080"), true}};
      chart.fromRow = top;
      chart.toRow = top + 16;
      chart.fromColumn = 1;
      chart.toColumn = 4;
      status = sheet->addLineChart(chart);
      top += 18;
    }
    ++chartRow;
  }
  sheet->activate();
  return book.save(status, target, error);
}

}  // namespace

bool exportComparison(const QString& templateFile, const Comparison& comparison, int language,
                      const QString& target, QString* error) {
  PackedMeasurements measurements;
  if (!measurements.pack(comparison.measurements, comparison.runs.size())) {
    *error = QStringLiteral("the comparison's measurements do not match its runs");
    return false;
  }
  return writeComparisonWorkbook(templateFile, comparison, measurements, language, target, error);
}

bool exportComparisonReleasing(const QString& templateFile, Comparison& comparison, int language,
                               const QString& target, QString* error) {
  PackedMeasurements measurements;
  if (!measurements.pack(comparison.measurements, comparison.runs.size()))
    return exportComparison(templateFile, comparison, language, target, error);
  std::vector<CompareMeasurement>().swap(comparison.measurements);
  returnFreedMemory();
  const bool written =
      writeComparisonWorkbook(templateFile, comparison, measurements, language, target, error);
  comparison.measurements = measurements.unpack();
  return written;
}

bool spreadsheetApplicationInstalled() {
#if defined(Q_OS_WIN)
  // A registered handler for the extension.
  QSettings classes(QStringLiteral("HKEY_CLASSES_ROOT\\.xlsx"), QSettings::NativeFormat);
  return !classes.value(QStringLiteral("Default")).toString().isEmpty();
#elif defined(Q_OS_MACOS)
  return true;
#else
  for (const char* program :
       {"soffice", "libreoffice", "localc", "gnumeric", "onlyoffice-desktopeditors"})
    if (!QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) return true;
  // Otherwise ask the desktop which application opens workbooks.
  if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()) return false;
  QProcess query;
  query.start(
      QStringLiteral("xdg-mime"),
      {QStringLiteral("query"), QStringLiteral("default"),
       QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet")});
  if (!query.waitForFinished(3000)) {
    query.kill();
    query.waitForFinished(1000);
    return false;
  }
  return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
#endif
}

}  // namespace karvel
