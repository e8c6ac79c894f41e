// SPDX-License-Identifier: GPL-3.0-or-later
// Reads workbooks back for the tests with independent programs: openpyxl
// (through tests/support/read_workbook.py) and, when installed, LibreOffice.
#pragma once

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#ifndef KARVEL_QSTRING_PRINTTO
#define KARVEL_QSTRING_PRINTTO
#include <ostream>
// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}
#endif

namespace karvel::test {

// Debian's openpyxl belongs to the system interpreter; another python3 may
// come first on PATH.
inline const char* kSystemPython = "/usr/bin/python3";

// What read_workbook.py reports; an object with "error" when reading failed.
inline QJsonObject readWorkbook(const QString& path) {
  QProcess python;
  python.start(QString::fromLatin1(kSystemPython),
               {QStringLiteral(KARVEL_SOURCE_DIR "/tests/support/read_workbook.py"), path});
  if (!python.waitForFinished(60000) || python.exitCode() != 0)
    return {{"error", QString::fromUtf8(python.readAllStandardError())}};
  return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

inline QString cellText(const QJsonObject& book, const QString& cell) {
  return book["cells"].toObject()[cell].toObject()["value"].toString();
}

inline QJsonObject cellInfo(const QJsonObject& book, const QString& cell) {
  return book["cells"].toObject()[cell].toObject();
}

inline QString sofficePath() { return QStandardPaths::findExecutable(QStringLiteral("soffice")); }

// Splits CSV text (comma, double quotes doubled inside quoted fields) into rows.
inline QList<QStringList> parseCsv(const QString& text) {
  QList<QStringList> rows;
  QStringList row;
  QString field;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
        field += u'"';
        ++i;
      } else if (c == u'"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == u'"') {
      quoted = true;
    } else if (c == u',') {
      row << field;
      field.clear();
    } else if (c == u'\n') {
      row << field;
      rows << row;
      row.clear();
      field.clear();
    } else if (c != u'\r') {
      field += c;
    }
  }
  if (!field.isEmpty() || !row.isEmpty()) rows << (row << field);
  return rows;
}

// Converts a workbook to CSV (UTF-8, comma, double quotes) with LibreOffice
// and returns its rows; empty when the conversion failed.
inline QList<QStringList> convertWithLibreOffice(const QString& workbook) {
  QTemporaryDir out, profile;
  // The workbook under an extension LibreOffice recognises.
  const QString input = out.filePath(QStringLiteral("book.xlsx"));
  QFile::copy(workbook, input);
  QProcess soffice;
  soffice.setWorkingDirectory(out.path());
  soffice.start(sofficePath(), {QStringLiteral("-env:UserInstallation=file://") + profile.path(),
                                QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"),
                                QStringLiteral("--outdir"), out.path(), input});
  if (!soffice.waitForFinished(120000)) {
    soffice.kill();
    soffice.waitForFinished();
    return {};
  }
  QFile csv(out.filePath(QStringLiteral("book.csv")));
  if (!csv.open(QIODevice::ReadOnly)) return {};
  return parseCsv(QString::fromUtf8(csv.readAll()));
}

}  // namespace karvel::test
