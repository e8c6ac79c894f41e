// SPDX-License-Identifier: GPL-3.0-or-later
// The workbook engine: it stands where a spreadsheet application's automation
// layer used to be, with the same few operations (start an application, open a
// workbook, take its first sheet and a range, set cells, save, close, quit),
// so the export dialog reads as the sequence of calls it makes. Objects are
// handed out as handles; a handle whose application has quit, or whose
// workbook has been closed, still exists but every call on it fails with
// kSheetGone, the way a spreadsheet application that went away behaves.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "core/workbook/Workbook.h"

namespace karvel {

// Status of an engine call: 0 success, negative failure.
constexpr int kSheetOk = 0;
constexpr int kSheetGone = -1;         // the application or the object is no longer there
constexpr int kSheetFileError = -2;    // a file could not be read or written
constexpr int kSheetBadArgument = -3;  // an index or a reference that names nothing

class SheetApp;
class SheetWorkbook;
class SheetWorkbooks;
class SheetCollection;
class SheetWorksheet;
class SheetRange;

using SheetAppHandle = std::shared_ptr<SheetApp>;
using SheetWorkbooksHandle = std::shared_ptr<SheetWorkbooks>;
using SheetWorkbookHandle = std::shared_ptr<SheetWorkbook>;
using SheetCollectionHandle = std::shared_ptr<SheetCollection>;
using SheetWorksheetHandle = std::shared_ptr<SheetWorksheet>;
using SheetRangeHandle = std::shared_ptr<SheetRange>;

// The application instance: owns the open workbooks.
class SheetApp : public std::enable_shared_from_this<SheetApp> {
 public:
  // Starts a new instance; kSheetOk and the handle in `app`.
  static int newApp(SheetAppHandle* app);

  bool running() const { return running_; }
  int setVisible(bool visible);
  bool visible() const { return visible_; }
  // The workbook collection (Application.Workbooks).
  int workbooks(SheetWorkbooksHandle* out);
  // The sheet collection of the active workbook, the one opened last (Application.Sheets).
  int sheets(SheetCollectionHandle* out);
  // Ends the instance; open workbooks are closed without saving.
  int quit();

  // Diagnostic text of the last failed call of any object of this instance.
  const QString& lastError() const { return lastError_; }

 private:
  friend class SheetWorkbooks;
  friend class SheetWorkbook;
  SheetApp() = default;
  void forget(const SheetWorkbook* workbook);

  bool running_ = true;
  bool visible_ = false;
  std::vector<SheetWorkbookHandle> open_;  // in opening order; the last is active
  QString lastError_;
};

class SheetWorkbooks {
 public:
  // Opens the workbook file at `path` (Workbooks.Open). Each call gives a
  // fresh copy: opening a template twice gives two independent workbooks.
  int open(const QString& path, SheetWorkbookHandle* out);

 private:
  friend class SheetApp;
  std::weak_ptr<SheetApp> app_;
};

class SheetWorkbook : public std::enable_shared_from_this<SheetWorkbook> {
 public:
  // Workbook.Close. With `saveChanges`, unsaved changes are saved first.
  int close(bool saveChanges);
  // Workbook.SaveAs: writes the workbook under `path`, which becomes its name.
  int saveAs(const QString& path);
  // Workbook.Save: writes unsaved changes under the workbook's own name. A
  // workbook that was never saved under a name of its own is the file it was
  // opened from (a template): that file is never overwritten, and Save of
  // changes made to it fails.
  int save();

  bool isOpen() const { return open_; }
  bool modified() const { return modified_; }
  // The file the workbook was last read from or saved to.
  const QString& path() const { return path_; }
  const QString& lastError() const { return lastError_; }

 private:
  friend class SheetWorkbooks;
  friend class SheetApp;
  friend class SheetCollection;
  friend class SheetWorksheet;
  friend class SheetRange;
  SheetWorkbook() = default;
  bool alive() const;

  std::weak_ptr<SheetApp> app_;
  std::unique_ptr<WorkbookFile> file_;
  QString path_;
  bool named_ = false;  // saved under a name of its own
  bool open_ = true;
  bool modified_ = false;
  QString lastError_;
};

// The sheets of one workbook.
class SheetCollection {
 public:
  // Sheets.Item with a 1-based index.
  int item(int index, SheetWorksheetHandle* out);
  // Sheets.Count.
  int count() const;
  // Sheets.Add: a new sheet named `name` before sheet `before` (1-based;
  // past the last: at the end), a copy of sheet `copyOf` (1-based) or empty
  // when it is 0.
  int add(const QString& name, int before, int copyOf, SheetWorksheetHandle* out);

 private:
  friend class SheetApp;
  std::weak_ptr<SheetWorkbook> workbook_;
};

class SheetWorksheet {
 public:
  // Worksheet.Visible; -1 shows the sheet. The first sheet is always shown.
  int setVisible(int visible);
  // Worksheet.Name.
  int setName(const QString& name);
  // Worksheet.Activate: the tab shown when the workbook opens.
  int activate();
  // Column widths (in characters) for columns the sheet gives none yet.
  int setColumnWidth(int first, int last, double width);
  // ChartObjects.Add with a line chart of cells of the workbook.
  int addLineChart(const LineChart& chart);
  // Worksheet.Range with one reference "A1" or "A1:D13".
  int range(const QString& reference, SheetRangeHandle* out);

 private:
  friend class SheetCollection;
  // The workbook when alive and the sheet's position in it now.
  std::shared_ptr<SheetWorkbook> sheetWorkbook(int* index) const;
  std::weak_ptr<SheetWorkbook> workbook_;
  int id_ = 0;  // the sheet's own number: its position changes as sheets are added
};

class SheetRange {
 public:
  // Range.Item: sets the cell at (row, column), 1-based from the range's
  // top-left corner, to `text`.
  int setItem(int row, int column, const QString& text);
  // The same with a look of its own (number format, fill, weight, alignment).
  int setItem(int row, int column, const QString& text, const CellLook& look);
  // A number cell.
  int setNumber(int row, int column, double value, const CellLook& look);
  // The rows of the sheet above `row` (counted like the cells above) are
  // finished: the engine packs them (WorkbookFile::packRowsAbove).
  int packRowsAbove(int row);
  int rows() const { return rows_; }
  int columns() const { return columns_; }
  QString reference() const;

 private:
  friend class SheetWorksheet;
  // The workbook when alive, with this range's sheet selected.
  std::shared_ptr<SheetWorkbook> sheetWorkbook() const;
  std::weak_ptr<SheetWorkbook> workbook_;
  int sheetId_ = 0;
  int top_ = 1, left_ = 1, rows_ = 1, columns_ = 1;
};

}  // namespace karvel
