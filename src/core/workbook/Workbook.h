// A spreadsheet workbook in Office Open XML form (the content of an .xlsx
// file), held in memory: the package exactly as read, plus its first worksheet
// as an XML tree that cells are written into. Saving copies every other part
// of the package unchanged, so the formatting, column widths, fixed texts and
// page set-up of a template survive an export.
#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <string>

namespace karvel {

// "A1"-style reference of a cell; row and column are 1-based.
QString cellReference(int row, int column);
// Parses "B12" (letters then digits); false when it is not a cell reference.
bool parseCellReference(const QString& text, int* row, int* column);

class WorkbookFile {
 public:
  // Largest file taken as a workbook; a template is a few kilobytes.
  static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
  static constexpr int kMaxRow = 1048576;
  static constexpr int kMaxColumn = 16384;
  // Longest text a cell holds in spreadsheet applications.
  static constexpr int kMaxCellText = 32767;

  // Reads a workbook; null with `error` set when the file is missing,
  // unreadable or not a workbook with at least one worksheet.
  static std::unique_ptr<WorkbookFile> load(const QString& path, QString* error);
  static std::unique_ptr<WorkbookFile> fromBytes(const QByteArray& bytes, QString* error);

  ~WorkbookFile();
  WorkbookFile(const WorkbookFile&) = delete;
  WorkbookFile& operator=(const WorkbookFile&) = delete;

  // Writes `text` into the first sheet's cell (row, column) as a text cell.
  // The cell keeps its style; a new cell takes its row's or column's style.
  // False when the position lies outside a sheet.
  bool setText(int row, int column, const QString& text);

  // Name of the package part that holds the first sheet, e.g. "xl/worksheets/sheet1.xml".
  const std::string& sheetPart() const { return sheetPart_; }
  // The range of the cells the sheet holds now, e.g. "A1:D13".
  QString usedRange() const;

  // The whole package with the edited sheet; empty with `error` set on failure.
  QByteArray toBytes(QString* error);
  // Writes the package to `path` through a temporary file in the same folder
  // that is then renamed over it: afterwards the folder holds either the whole
  // new file or what it held before, never a partial file.
  bool saveTo(const QString& path, QString* error);

 private:
  WorkbookFile() = default;
  bool readPackage(QString* error);
  bool indexSheet(QString* error);
  pugi::xml_node rowNode(int row);
  pugi::xml_node cellNode(pugi::xml_node row, int rowIndex, int column);
  int inheritedStyle(pugi::xml_node row, int column) const;
  void updateDimension();
  pugi::xml_node child(pugi::xml_node parent, const char* localName) const;
  std::string qualified(const char* localName) const;

  QByteArray package_;  // the workbook file as read
  std::string sheetPart_;
  pugi::xml_document sheet_;
  pugi::xml_node sheetData_;
  std::string prefix_;  // namespace prefix of the sheet's elements ("" or "x:")
  std::map<int, pugi::xml_node> rows_;
  std::map<int, std::pair<int, int>> columnRanges_;  // first column -> (last column, style)
};

}  // namespace karvel
