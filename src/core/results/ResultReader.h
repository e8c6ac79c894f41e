// SPDX-License-Identifier: GPL-3.0-or-later
// The diagnostic result reader (module LectureHTM): turns the instrument's
// HTML result page into a ResultTable by walking the text with plain
// substring searches for a fixed set of markers. It does not parse HTML: the
// pieces between the markers are kept byte for byte (no entity decoding, no
// tag stripping, no trimming) and only decoded from Windows-1252.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QPoint>
#include <QString>
#include <functional>

#include "core/results/ResultTable.h"

namespace karvel {

// Cell coordinate of every table operation: x = column, y = row, both 1-based.
inline QPoint Coordo(int column, int row) { return QPoint(column, row); }

// Substring search over `text`: the index of the first match that lies wholly
// inside the `count` bytes that begin at `start` (count -1: up to the end),
// or -1. A start outside the text finds nothing.
qsizetype findPattern(const QByteArray& text, qsizetype start, qsizetype count, const char* pattern,
                      bool caseSensitive);

// Every piece copied out of a result text holds at most this many bytes.
constexpr qsizetype kResultPieceMax = 299;

// Result files are a few kilobytes; anything beyond this is not a result
// file and is refused before it is read into memory.
constexpr qint64 kResultFileMax = 16 * 1024 * 1024;

// The file name in `path`: what follows its last "\" or "/".
QString pathFileName(const QString& path);

// Whether a read text held anything of a result (a label, the bus, a verdict
// or a row); a file that holds none is not a result file.
bool holdsResult(const ResultTable& table);

// The window title for a result read from `path`: the "File" word, " : ",
// the lower-cased file name up to its first dot, and ".HTM".
QString resultWindowTitle(const QString& path, int language);

// The date and time a result text writes of itself, as the instrument's
// "Date : 2026/11/23 14:02:51": year first with "/", "-" or "." between its
// parts, or day first (23/11/2026, 23.11.2026, 23-11-2026), with or without
// a time, with or without seconds. A date labelled as one ("Date", "Datum",
// "Fecha", "Data") wins over one written elsewhere (a title's); impossible
// dates (month 13) are passed over. Invalid when the text writes none. Only
// the head of the text is looked at: the date stands near the headings.
QDateTime resultDateIn(const QByteArray& text);
// How much of the head of a text resultDateIn looks at.
constexpr qsizetype kResultDateHead = 64 * 1024;

// A date as the windows, sheets and text outputs write it:
// 2026-11-23 14:02, with ":51" when it has seconds.
QString resultDateText(const QDateTime& date);

// Walks a result text (already read: CR LF as LF, ending at its first zero
// byte) and fills `table`; `path` is only used for the title and kept as the
// source path. Never reads outside `text`; when a marker the walk needs is
// missing it keeps what it found so far and names the marker in
// `table.problem`.
// The walk looks at each byte of the text a bounded number of times, so its
// time grows linearly with the text; `bytesExamined`, when given, receives
// how many bytes its searches went through (to check that bound).
//
// With `rows`, each row goes there as it is read instead of into the table
// (whose rows then stay empty): a caller that keeps only figures of them
// never holds them all.
using ResultRowSink = std::function<void(const ResultRow& row)>;
ResultTable readResultText(const QByteArray& text, const QString& path, int language,
                           qint64* bytesExamined = nullptr, const ResultRowSink& rows = {});

// The text of a result file as the reader sees it: the bytes up to the first
// zero byte, with every CR LF pair turned into a single LF.
QByteArray resultTextFromBytes(QByteArray bytes);

// Reads the file at `path` and walks it. Returns false, with a sentence for
// the user in `error`, when the file cannot be opened or read. `text`, when
// given, receives the text the walk went through.
// `rows` as for readResultText.
bool loadResultFile(const QString& path, int language, ResultTable& table, QString* error,
                    QByteArray* text = nullptr, const ResultRowSink& rows = {});

}  // namespace karvel
