#include "core/workbook/SheetExport.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace karvel {

QString templatePath(const QString& programDir) {
  return QDir::toNativeSeparators(
      QDir(QDir::fromNativeSeparators(programDir)).filePath(excel::kTemplateName));
}

QString proposedSheetName(const QString& sourcePath) {
  const qsizetype slash = std::max(sourcePath.lastIndexOf(u'\\'), sourcePath.lastIndexOf(u'/'));
  QString name = sourcePath.mid(slash + 1);
  const qsizetype dot = name.indexOf(u'.');
  if (dot >= 0) name.truncate(dot);
  const QString extension = QStringLiteral(".xlsx");
  return name.left(excel::kSheetNameMax - extension.size()) + extension;
}

QString exportRangeReference(int rows) { return QStringLiteral("A1:D%1").arg(rows + 10); }

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
  int row = 5;
  for (const ResultRow& r : table.rows) {
    // Name, minimum, maximum and measured value; the distance stays out.
    for (int column = 1; column <= 4; ++column)
      set(row, column, r.cells[static_cast<std::size_t>(column - 1)]);
    ++row;
  }
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
  SheetRangeHandle range;
  int status = app->workbooks(&workbooks);
  if (status == kSheetOk) status = workbooks->open(templateFile, &workbook);
  if (status != kSheetOk) {
    *error = app->lastError();
    return false;
  }
  status = app->sheets(&sheets);
  if (status == kSheetOk) status = sheets->item(1, &sheet);
  if (status == kSheetOk)
    status = sheet->range(exportRangeReference(static_cast<int>(table.rows.size())), &range);
  if (status == kSheetOk) status = writeResultSheet(*range, table, language);
  if (status == kSheetOk) status = workbook->saveAs(target);
  if (status != kSheetOk)
    *error = workbook->lastError().isEmpty() ? app->lastError() : workbook->lastError();
  app->quit();
  return status == kSheetOk;
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
