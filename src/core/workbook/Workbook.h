// SPDX-License-Identifier: GPL-3.0-or-later
// A spreadsheet workbook in Office Open XML form (the content of an .xlsx
// file), held in memory: the package exactly as read, plus the parts an
// export changes (the worksheets written into, sheets added, cell formats,
// document dates) as XML trees. Saving copies every other part of the package
// unchanged, so the formatting, column widths, fixed texts and page set-up of
// a template survive an export.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

class QFile;
struct zip_source;

namespace karvel {

// Whether XML 1.0 allows the character in a document. Every text the
// workbook's parts receive is written so that they hold no other.
bool xmlAllows(char32_t c);

// "A1"-style reference of a cell; row and column are 1-based.
QString cellReference(int row, int column);
// Parses "B12" (letters then digits); false when it is not a cell reference.
bool parseCellReference(const QString& text, int* row, int* column);

// A line chart drawn over a sheet: its series read their numbers from cells
// of the workbook ("'Sheet'!$C$5:$E$5"); an empty cell leaves a gap.
struct ChartSeries {
  QString name;
  QString valuesReference;
  QString colourRgb;  // "RRGGBB"
  bool dashed = false;
};
struct LineChart {
  QString title;
  QString categoriesReference;  // the labels along the horizontal axis
  QString numberFormat;         // of the vertical axis; empty: General
  std::vector<ChartSeries> series;
  // The cells it covers, 1-based, from the top-left to the bottom-right one.
  int fromRow = 1, fromColumn = 1, toRow = 16, toColumn = 8;
};

// How a cell looks: number format, fill, weight, alignment. Each different
// look becomes one cell format in the workbook's styles.
struct CellLook {
  enum class Align { General, Left, Center, Right };
  QString numberFormat;  // empty: General
  QString fillRgb;       // "RRGGBB"; empty: no fill
  bool bold = false;
  Align align = Align::General;
  QString key() const;
};

class WorkbookFile {
 public:
  // Largest file taken as a workbook; a template is a few kilobytes.
  static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
  static constexpr int kMaxRow = 1048576;
  static constexpr int kMaxColumn = 16384;
  // Longest text a cell holds in spreadsheet applications.
  static constexpr int kMaxCellText = 32767;
  // Longest sheet name spreadsheet applications accept.
  static constexpr int kMaxSheetName = 31;

  // Reads a workbook; null with `error` set when the file is missing,
  // unreadable or not a workbook with at least one worksheet.
  static std::unique_ptr<WorkbookFile> load(const QString& path, QString* error);
  static std::unique_ptr<WorkbookFile> fromBytes(const QByteArray& bytes, QString* error);

  ~WorkbookFile();
  WorkbookFile(const WorkbookFile&) = delete;
  WorkbookFile& operator=(const WorkbookFile&) = delete;

  // Sheets, by their position in the workbook (0 = the first tab).
  int sheetCount() const { return static_cast<int>(sheets_.size()); }
  QString sheetName(int index) const;
  // A sheet's own number, which stays when sheets are added before it, and
  // the position of the sheet with that number (-1 when none has it).
  int sheetId(int index) const;
  int sheetIndex(int id) const;
  // Adds a sheet called `name` at `position` (clamped to the end): a copy of
  // sheet `copyOf` (its layout, widths, print set-up and cells), or an empty
  // sheet when `copyOf` is -1. Returns its position, or -1 with `error` set
  // (a name that is taken or not allowed, a damaged workbook part).
  int addSheet(const QString& name, int position, int copyOf, QString* error);
  bool renameSheet(int index, const QString& name, QString* error);
  // The sheet the cell operations below act on; the first one at load.
  bool selectSheet(int index);
  int selectedSheet() const { return selected_; }
  // The tab shown when the workbook opens.
  bool activateSheet(int index);
  // Adds `chart` over sheet `index`; false with `error` set when the
  // workbook's parts cannot take it.
  bool addLineChart(int index, const LineChart& chart, QString* error);

  // Writes `text` into the selected sheet's cell (row, column) as a text
  // cell. The cell keeps its style (or `style` when not -1); a new cell takes
  // its row's or column's style. False when the position lies outside a sheet.
  bool setText(int row, int column, const QString& text, int style = -1);
  // The same with a number cell; a value that is not finite is left out.
  bool setNumber(int row, int column, double value, int style = -1);
  // Width (in characters) of columns first..last of the selected sheet, for
  // the columns the sheet gives no width yet.
  void setColumnWidth(int first, int last, double width);
  // The rows of the selected sheet above `row` are finished: they are
  // written out and packed now instead of being held as XML trees, so that
  // a sheet of many rows takes little memory. Their cells can no longer be
  // set (setText and setNumber refuse them), and the sheet can no longer be
  // copied; everything else of the sheet stays as it was until the save.
  void packRowsAbove(int row);

  // The cell format for `look`, added to the styles on first use; -1 when
  // the workbook has no style sheet.
  int cellStyle(const CellLook& look);
  // Creation and modification dates of the document properties.
  void setDocumentDates(const QDateTime& when);

  // Name of the package part that holds the selected sheet, e.g. "xl/worksheets/sheet1.xml".
  const std::string& sheetPart() const;
  // The range of the cells the selected sheet holds now, e.g. "A1:D13".
  QString usedRange() const;

  // The whole package with the edited sheet; empty with `error` set on failure.
  QByteArray toBytes(QString* error);
  // Writes the package to `path` through a temporary file in the same folder
  // that is then renamed over it: afterwards the folder holds either the whole
  // new file or what it held before, never a partial file. The package goes
  // into that file as it is made, never whole in memory.
  bool saveTo(const QString& path, QString* error);

 private:
  struct Sheet;
  struct Part;
  WorkbookFile();
  bool readPackage(QString* error);
  Part* part(const std::string& name, QString* error);
  bool loadSheet(Sheet& sheet, QString* error);
  Sheet& current() { return *sheets_[static_cast<std::size_t>(selected_)]; }
  const Sheet& current() const { return *sheets_[static_cast<std::size_t>(selected_)]; }
  pugi::xml_node rowNode(Sheet& sheet, int row);
  pugi::xml_node cellNode(Sheet& sheet, pugi::xml_node row, int rowIndex, int column);
  pugi::xml_node writableCell(int row, int column, int style);
  bool sheetNameFree(const QString& name, int except) const;
  void renameReferences(const QString& oldName, const QString& newName);

  QByteArray package_;                                  // the workbook file as read
  std::vector<std::string> entries_;                    // the package's part names, in order
  std::map<std::string, std::unique_ptr<Part>> parts_;  // parts read as XML, by name
  std::string workbookPart_;
  std::string workbookRelsPart_;
  std::string stylesPart_;
  std::string corePart_;
  std::vector<std::unique_ptr<Sheet>> sheets_;  // in tab order
  int selected_ = 0;
  std::map<QString, int> styles_;                // cell formats added, by look
  std::map<std::string, std::string> drawings_;  // sheet part -> its drawing part
  std::string newPartName(const std::string& folder, const char* stem, const char* extension) const;
  Part* relationshipsOf(const std::string& partName, QString* error);

  // The text of each part the save writes, checked; see toBytes.
  struct Written;
  using WrittenParts = std::map<std::string, Written>;
  bool prepareParts(WrittenParts* written, QString* error);
  // Writes the package into `target`, a writable zip source, which it takes.
  bool writePackage(zip_source* target, const WrittenParts& written, QString* error);
  // Where packed rows wait for the save (a temporary file), so that a
  // workbook of many large sheets does not hold them all in memory; null
  // until rows are packed, or when no such file could be made (they are
  // then held in memory).
  std::unique_ptr<QFile> spool_;
  bool spoolRefused_ = false;
};

}  // namespace karvel
