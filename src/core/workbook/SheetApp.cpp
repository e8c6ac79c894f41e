// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/workbook/SheetApp.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

namespace karvel {

int SheetApp::newApp(SheetAppHandle* app) {
  if (!app) return kSheetBadArgument;
  app->reset(new SheetApp);
  return kSheetOk;
}

int SheetApp::setVisible(bool visible) {
  if (!running_) return kSheetGone;
  visible_ = visible;
  return kSheetOk;
}

int SheetApp::workbooks(SheetWorkbooksHandle* out) {
  if (!running_) return kSheetGone;
  auto collection = std::make_shared<SheetWorkbooks>();
  collection->app_ = weak_from_this();
  *out = collection;
  return kSheetOk;
}

int SheetApp::sheets(SheetCollectionHandle* out) {
  if (!running_) return kSheetGone;
  if (open_.empty()) {
    lastError_ = QStringLiteral("no workbook is open");
    return kSheetGone;
  }
  auto collection = std::make_shared<SheetCollection>();
  collection->workbook_ = open_.back();
  *out = collection;
  return kSheetOk;
}

int SheetApp::quit() {
  if (!running_) return kSheetGone;
  for (auto& workbook : open_) {
    workbook->open_ = false;
    workbook->file_.reset();
  }
  open_.clear();
  running_ = false;
  return kSheetOk;
}

void SheetApp::forget(const SheetWorkbook* workbook) {
  open_.erase(
      std::remove_if(open_.begin(), open_.end(),
                     [workbook](const SheetWorkbookHandle& w) { return w.get() == workbook; }),
      open_.end());
}

int SheetWorkbooks::open(const QString& path, SheetWorkbookHandle* out) {
  auto app = app_.lock();
  if (!app || !app->running_) return kSheetGone;
  QString error;
  auto file = WorkbookFile::load(path, &error);
  if (!file) {
    app->lastError_ = error;
    return kSheetFileError;
  }
  SheetWorkbookHandle workbook(new SheetWorkbook);
  workbook->app_ = app;
  workbook->file_ = std::move(file);
  workbook->path_ = path;
  app->open_.push_back(workbook);
  *out = workbook;
  return kSheetOk;
}

bool SheetWorkbook::alive() const {
  auto app = app_.lock();
  return open_ && file_ && app && app->running();
}

int SheetWorkbook::close(bool saveChanges) {
  if (!alive()) return kSheetGone;
  if (saveChanges && modified_) {
    const int status = save();
    if (status != kSheetOk) return status;
  }
  open_ = false;
  file_.reset();
  if (auto app = app_.lock()) app->forget(this);
  return kSheetOk;
}

int SheetWorkbook::saveAs(const QString& path) {
  if (!alive()) return kSheetGone;
  // Each save under a new name makes a new document.
  file_->setDocumentDates(QDateTime::currentDateTimeUtc());
  if (!file_->saveTo(path, &lastError_)) {
    if (auto app = app_.lock()) app->lastError_ = lastError_;
    return kSheetFileError;
  }
  path_ = path;
  named_ = true;
  modified_ = false;
  return kSheetOk;
}

int SheetWorkbook::save() {
  if (!alive()) return kSheetGone;
  if (!modified_) return kSheetOk;
  if (!named_) {
    lastError_ = QStringLiteral("%1: the workbook it was opened from is kept unchanged").arg(path_);
    return kSheetFileError;
  }
  return saveAs(path_);
}

int SheetCollection::item(int index, SheetWorksheetHandle* out) {
  auto workbook = workbook_.lock();
  if (!workbook || !workbook->alive()) return kSheetGone;
  if (index < 1 || index > workbook->file_->sheetCount()) return kSheetBadArgument;
  auto sheet = std::make_shared<SheetWorksheet>();
  sheet->workbook_ = workbook;
  sheet->id_ = workbook->file_->sheetId(index - 1);
  *out = sheet;
  return kSheetOk;
}

int SheetCollection::count() const {
  auto workbook = workbook_.lock();
  return workbook && workbook->alive() ? workbook->file_->sheetCount() : 0;
}

int SheetCollection::add(const QString& name, int before, int copyOf, SheetWorksheetHandle* out) {
  auto workbook = workbook_.lock();
  if (!workbook || !workbook->alive()) return kSheetGone;
  const int position =
      workbook->file_->addSheet(name, std::max(before, 1) - 1, copyOf - 1, &workbook->lastError_);
  if (position < 0) return kSheetBadArgument;
  workbook->modified_ = true;
  auto sheet = std::make_shared<SheetWorksheet>();
  sheet->workbook_ = workbook;
  sheet->id_ = workbook->file_->sheetId(position);
  *out = sheet;
  return kSheetOk;
}

std::shared_ptr<SheetWorkbook> SheetWorksheet::sheetWorkbook(int* index) const {
  auto workbook = workbook_.lock();
  if (!workbook || !workbook->alive()) return nullptr;
  *index = workbook->file_->sheetIndex(id_);
  return *index >= 0 ? workbook : nullptr;
}

int SheetWorksheet::setVisible(int) {
  int index = 0;
  return sheetWorkbook(&index) ? kSheetOk : kSheetGone;
}

int SheetWorksheet::setName(const QString& name) {
  int index = 0;
  auto workbook = sheetWorkbook(&index);
  if (!workbook) return kSheetGone;
  if (!workbook->file_->renameSheet(index, name, &workbook->lastError_)) return kSheetBadArgument;
  workbook->modified_ = true;
  return kSheetOk;
}

int SheetWorksheet::activate() {
  int index = 0;
  auto workbook = sheetWorkbook(&index);
  if (!workbook) return kSheetGone;
  if (!workbook->file_->activateSheet(index)) return kSheetBadArgument;
  workbook->modified_ = true;
  return kSheetOk;
}

int SheetWorksheet::addLineChart(const LineChart& chart) {
  int index = 0;
  auto workbook = sheetWorkbook(&index);
  if (!workbook) return kSheetGone;
  if (!workbook->file_->addLineChart(index, chart, &workbook->lastError_)) return kSheetFileError;
  workbook->modified_ = true;
  return kSheetOk;
}

int SheetWorksheet::setColumnWidth(int first, int last, double width) {
  int index = 0;
  auto workbook = sheetWorkbook(&index);
  if (!workbook) return kSheetGone;
  if (!workbook->file_->selectSheet(index)) return kSheetBadArgument;
  workbook->file_->setColumnWidth(first, last, width);
  workbook->modified_ = true;
  return kSheetOk;
}

int SheetWorksheet::range(const QString& reference, SheetRangeHandle* out) {
  auto workbook = workbook_.lock();
  if (!workbook || !workbook->alive()) return kSheetGone;
  const QStringList corners = reference.split(u':');
  int top = 0, left = 0, bottom = 0, right = 0;
  if (corners.size() > 2 || !parseCellReference(corners.first(), &top, &left))
    return kSheetBadArgument;
  bottom = top;
  right = left;
  if (corners.size() == 2 && !parseCellReference(corners.last(), &bottom, &right))
    return kSheetBadArgument;
  auto range = std::make_shared<SheetRange>();
  range->workbook_ = workbook;
  range->sheetId_ = id_;
  range->top_ = std::min(top, bottom);
  range->left_ = std::min(left, right);
  range->rows_ = std::abs(bottom - top) + 1;
  range->columns_ = std::abs(right - left) + 1;
  *out = range;
  return kSheetOk;
}

std::shared_ptr<SheetWorkbook> SheetRange::sheetWorkbook() const {
  auto workbook = workbook_.lock();
  if (!workbook || !workbook->alive() ||
      !workbook->file_->selectSheet(workbook->file_->sheetIndex(sheetId_)))
    return nullptr;
  return workbook;
}

namespace {
// Like the spreadsheet's own Item, positions may lie beyond the range's last
// row or column, but not before its first.
bool inSheet(int row, int column) {
  return row >= 1 && column >= 1 && row <= WorkbookFile::kMaxRow &&
         column <= WorkbookFile::kMaxColumn;
}
}  // namespace

int SheetRange::setItem(int row, int column, const QString& text) {
  auto workbook = sheetWorkbook();
  if (!workbook) return kSheetGone;
  if (!inSheet(row, column) || !workbook->file_->setText(top_ + row - 1, left_ + column - 1, text))
    return kSheetBadArgument;
  workbook->modified_ = true;
  return kSheetOk;
}

int SheetRange::setItem(int row, int column, const QString& text, const CellLook& look) {
  auto workbook = sheetWorkbook();
  if (!workbook) return kSheetGone;
  const int style = workbook->file_->cellStyle(look);
  if (!inSheet(row, column) ||
      !workbook->file_->setText(top_ + row - 1, left_ + column - 1, text, style))
    return kSheetBadArgument;
  workbook->modified_ = true;
  return kSheetOk;
}

int SheetRange::setNumber(int row, int column, double value, const CellLook& look) {
  auto workbook = sheetWorkbook();
  if (!workbook) return kSheetGone;
  const int style = workbook->file_->cellStyle(look);
  if (!inSheet(row, column) ||
      !workbook->file_->setNumber(top_ + row - 1, left_ + column - 1, value, style))
    return kSheetBadArgument;
  workbook->modified_ = true;
  return kSheetOk;
}

QString SheetRange::reference() const {
  return cellReference(top_, left_) + u':' + cellReference(top_ + rows_ - 1, left_ + columns_ - 1);
}

int SheetRange::packRowsAbove(int row) {
  auto workbook = sheetWorkbook();
  if (!workbook) return kSheetGone;
  workbook->file_->packRowsAbove(top_ + row - 1);
  return kSheetOk;
}

}  // namespace karvel
