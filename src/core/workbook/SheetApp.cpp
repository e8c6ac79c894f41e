#include "core/workbook/SheetApp.h"

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
  if (index != 1) return kSheetBadArgument;
  auto sheet = std::make_shared<SheetWorksheet>();
  sheet->workbook_ = workbook;
  *out = sheet;
  return kSheetOk;
}

int SheetWorksheet::setVisible(int) {
  auto workbook = workbook_.lock();
  return workbook && workbook->alive() ? kSheetOk : kSheetGone;
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
  range->top_ = std::min(top, bottom);
  range->left_ = std::min(left, right);
  range->rows_ = std::abs(bottom - top) + 1;
  range->columns_ = std::abs(right - left) + 1;
  *out = range;
  return kSheetOk;
}

int SheetRange::setItem(int row, int column, const QString& text) {
  auto workbook = workbook_.lock();
  if (!workbook || !workbook->alive()) return kSheetGone;
  // Like the spreadsheet's own Item, positions may lie beyond the range's
  // last row or column, but not before its first.
  if (row < 1 || column < 1 || row > WorkbookFile::kMaxRow || column > WorkbookFile::kMaxColumn ||
      !workbook->file_->setText(top_ + row - 1, left_ + column - 1, text))
    return kSheetBadArgument;
  workbook->modified_ = true;
  return kSheetOk;
}

QString SheetRange::reference() const {
  return cellReference(top_, left_) + u':' + cellReference(top_ + rows_ - 1, left_ + columns_ - 1);
}

}  // namespace karvel
