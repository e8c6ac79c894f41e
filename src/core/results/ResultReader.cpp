// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/results/ResultReader.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cstring>

#include "core/frame/BoundedRead.h"
#include "core/frame/StandardStreams.h"
#include "core/results/ResultTexts.h"

namespace karvel {

namespace {

inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// The pieces of a result text, decoded from the instrument's code page.
class Walk {
 public:
  explicit Walk(const QByteArray& text) : text_(text), decoder_("windows-1252") {}

  qsizetype find(qsizetype from, const char* marker, qsizetype count = -1,
                 bool caseSensitive = true) const {
    const qsizetype at = findPattern(text_, from, count, marker, caseSensitive);
    // What the search went through: up to the match's end, else its window.
    if (from >= 0 && from <= text_.size()) {
      const qsizetype end = at >= 0      ? at + qsizetype(std::strlen(marker))
                            : count >= 0 ? std::min(text_.size(), from + count)
                                         : text_.size();
      examined += end - from;
    }
    return at;
  }

  // The bytes from `a` up to `e`, cut to the piece size.
  QString piece(qsizetype a, qsizetype e) {
    if (a < 0 || e < a || e > text_.size()) return {};
    const qsizetype n = std::min(e - a, kResultPieceMax);
    const QByteArrayView bytes(text_.constData() + a, n);
    if (decoder_.isValid()) return decoder_.decode(bytes);
    return QString::fromLatin1(bytes);
  }

  // The text enclosed by the first `open` and the first `close` of the text.
  QString firstEnclosed(const char* open, const char* close) {
    const qsizetype o = find(0, open);
    const qsizetype c = find(0, close);
    if (o < 0) return note(open);
    if (c < 0) return note(close);
    const qsizetype a = o + qsizetype(std::strlen(open));
    if (c < a) return note(close);
    return piece(a, c);
  }

  // Remembers the first marker the walk missed; the piece it stood for is empty.
  QString note(const char* marker) {
    if (problem.isEmpty()) problem = QString::fromLatin1(marker);
    return {};
  }

  qsizetype size() const { return text_.size(); }

  QString problem;
  mutable qint64 examined = 0;

 private:
  const QByteArray& text_;
  QStringDecoder decoder_;
};

// The colour word of a verdict heading's opening tag: red wins over green;
// neither gives yellow.
Status verdictColourAt(const Walk& walk, qsizetype h) {
  if (walk.find(h, "red", 15, false) >= 0) return Status::Red;
  if (walk.find(h, "green", 15, false) >= 0) return Status::Green;
  return Status::Yellow;
}

// Reads the verdict heading that follows `after` (the closing marker of the
// bus heading): its colour from the tag, its text between `textStart` (found
// from the tag) and `close`. `skip` is what follows `textStart` before the text.
void readVerdict(Walk& walk, ResultTable& table, qsizetype after, const char* afterMarker,
                 const char* tag, const char* textStart, qsizetype skip, const char* close) {
  if (after < 0) {
    walk.note(afterMarker);
    return;
  }
  const qsizetype tagAt = walk.find(after, tag);
  if (tagAt < 0) {
    walk.note(tag);
    return;
  }
  const qsizetype h = tagAt + 3;
  table.verdictColour = verdictColourAt(walk, h);
  const qsizetype start = walk.find(h, textStart);
  if (start < 0) {
    walk.note(textStart);
    return;
  }
  const qsizetype a = start + skip;
  const qsizetype b = walk.find(a, close);
  if (b < 0) {
    walk.note(close);
    return;
  }
  table.verdict = walk.piece(a, b);
}

// One measurement row from `p` on. Returns false when the walk must stop;
// `p` moves strictly forward on success, so the walk cannot loop.
bool readRow(Walk& walk, qsizetype& p, ResultRow& row) {
  qsizetype a = 0;
  qsizetype e = 0;
  // A cell opened by `open` (searched from `from`), its text `skip` bytes on,
  // up to the next "</TD>".
  auto cell = [&](qsizetype from, const char* open, qsizetype skip, QString& out) {
    const qsizetype t = walk.find(from, open);
    if (t < 0) {
      walk.note(open);
      return false;
    }
    a = t + skip;
    e = walk.find(a, "</TD>");
    if (e < 0) {
      walk.note("</TD>");
      return false;
    }
    out = walk.piece(a, e);
    return true;
  };

  if (!cell(p, "<TD>", 4, row.cells[0])) return false;
  if (!cell(e, "<TD>", 4, row.cells[1])) return false;
  if (!cell(e, "<TD>", 4, row.cells[2])) return false;

  // The status cell: only it may carry a class attribute.
  const qsizetype t = walk.find(e, "<TD");
  if (t < 0) {
    walk.note("<TD");
    return false;
  }
  qsizetype q = t + 3;
  if (walk.find(t, "<TD class=", 50) >= 0) {
    const qsizetype c = t + 9;  // the "=" of the class attribute
    if (walk.find(c, "green", 10, false) >= 0) {
      row.status = Status::Green;
    } else if (walk.find(c, "red", 10, false) >= 0) {
      row.status = Status::Red;
    } else if (walk.find(c, "yellow", 10, false) >= 0) {
      row.status = Status::Yellow;
    }
    q = c + 3;
  }
  if (!cell(q, ">", 1, row.cells[3])) return false;

  // The distance cell is expected to open with exactly "<TD>".
  if (!cell(e, "<TD", 4, row.cells[4])) return false;
  p = a;
  return true;
}

}  // namespace

qsizetype findPattern(const QByteArray& text, qsizetype start, qsizetype count, const char* pattern,
                      bool caseSensitive) {
  const qsizetype size = text.size();
  const qsizetype m = qsizetype(std::strlen(pattern));
  if (start < 0 || start > size || m == 0) return -1;
  qsizetype end = size;
  if (count >= 0 && count < size - start) end = start + count;
  if (end - start < m) return -1;
  if (caseSensitive) {
    const qsizetype at =
        QByteArrayView(text.constData() + start, end - start).indexOf(QByteArrayView(pattern, m));
    return at < 0 ? -1 : start + at;
  }
  const char* data = text.constData();
  for (qsizetype i = start; i + m <= end; ++i) {
    qsizetype k = 0;
    while (k < m && lowerAscii(data[i + k]) == lowerAscii(pattern[k])) ++k;
    if (k == m) return i;
  }
  return -1;
}

QString pathFileName(const QString& path) {
  return path.mid(std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/')) + 1);
}

bool holdsResult(const ResultTable& table) {
  return !table.tableLabel.isEmpty() || !table.busHeading.isEmpty() || !table.verdict.isEmpty() ||
         !table.rows.empty();
}

QString resultWindowTitle(const QString& path, int language) {
  QString name = pathFileName(path).toLower();
  const qsizetype dot = name.indexOf(u'.');
  if (dot >= 0) name.truncate(dot);
  return (pick(resulttext::kFileWord, language) + QStringLiteral(" : ") + name +
          QStringLiteral(".HTM"))
      .left(kResultPieceMax);
}

QDateTime resultDateIn(const QByteArray& text) {
  // The instrument writes its date beside the headings; a page whose head
  // is this long holds none there, and a longer search could only find a
  // number of the table that looks like a date.
  const QString head = QString::fromLatin1(text.left(kResultDateHead));
  // Year first (2026/11/23) or day first (23.11.2026), the same separator
  // twice, not part of a longer run of digits; then perhaps a time.
  static const QRegularExpression pattern(QStringLiteral(
      "(?<![\\d/.-])(?:(\\d{4})([-/.])(\\d{1,2})\\2(\\d{1,2})|(\\d{1,2})([-/"
      ".])(\\d{1,2})\\6(\\d{4}))"
      "(?![\\d/.-]?\\d)(?:(?:T|,? {1,3})(\\d{1,2}):(\\d{2})(?::(\\d{2}))?(?!\\d))?"));
  static const QRegularExpression label(QStringLiteral("dat|fecha"),
                                        QRegularExpression::CaseInsensitiveOption);
  QDateTime first;
  QRegularExpressionMatchIterator it = pattern.globalMatch(head);
  while (it.hasNext()) {
    const QRegularExpressionMatch m = it.next();
    const bool yearFirst = !m.captured(1).isEmpty();
    const QDate date =
        yearFirst ? QDate(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt())
                  : QDate(m.captured(8).toInt(), m.captured(7).toInt(), m.captured(5).toInt());
    QTime time(0, 0);
    if (!m.captured(9).isEmpty())
      time = QTime(m.captured(9).toInt(), m.captured(10).toInt(), m.captured(11).toInt());
    if (!date.isValid() || !time.isValid()) continue;
    const QDateTime found(date, time);
    // "Date : ..." just before it: the result's own date line.
    const qsizetype from = std::max<qsizetype>(0, m.capturedStart() - 24);
    if (label.match(head.mid(from, m.capturedStart() - from)).hasMatch()) return found;
    if (!first.isValid()) first = found;
  }
  return first;
}

QString resultDateText(const QDateTime& date) {
  if (!date.isValid()) return {};
  return date.toString(date.time().second() != 0 ? QStringLiteral("yyyy-MM-dd HH:mm:ss")
                                                 : QStringLiteral("yyyy-MM-dd HH:mm"));
}

QByteArray resultTextFromBytes(QByteArray bytes) {
  const qsizetype zero = bytes.indexOf('\0');
  if (zero >= 0) bytes.truncate(zero);
  bytes.replace("\r\n", "\n");
  return bytes;
}

ResultTable readResultText(const QByteArray& text, const QString& path, int language,
                           qint64* bytesExamined, const ResultRowSink& rows) {
  ResultTable table;
  table.sourcePath = path;
  table.title = resultWindowTitle(path, language);
  Walk walk(text);

  if (walk.find(0, "<TITLE>TarvikIV", 300) >= 0) {
    table.tableLabel =
        (QStringLiteral("BUS DIAGNOSTIC RESULT ") + walk.firstEnclosed("<H3>", "</H3>"))
            .left(kResultPieceMax);
    table.busHeading = walk.firstEnclosed("<H1>", "</H1>");
    readVerdict(walk, table, walk.find(0, "</H1>"), "</H1>", "<H2", ":", 2, "</H2>");
  } else {
    table.tableLabel = walk.firstEnclosed("<H1>", "</H1>");
    table.busHeading = walk.firstEnclosed("<H2>", "</H2>");
    readVerdict(walk, table, walk.find(0, "</H2>"), "</H2>", "<H4", ">", 1, "</H4>");
  }

  const qsizetype body = walk.find(0, "<TBODY>");
  if (body < 0) {
    walk.note("<TBODY>");
  } else {
    qsizetype p = body + 6;
    // The next row marker at or after p. The cells of a row are read from p
    // whatever lies between, so a marker found far ahead stays the answer
    // until p passes it; searching again from p each time would go over the
    // same bytes once per row.
    qsizetype nextRow = walk.find(p, "<TR class=");
    while (nextRow >= 0) {
      // A row cut short keeps what it holds; the walk ends there.
      if (rows) {
        ResultRow row;
        const bool whole = readRow(walk, p, row);
        rows(row);
        if (!whole) break;
      } else {
        table.rows.emplace_back();
        if (!readRow(walk, p, table.rows.back())) break;
      }
      if (nextRow < p) nextRow = walk.find(p, "<TR class=");
    }
  }
  table.date = resultDateIn(text);
  table.problemMarker = walk.problem;
  if (bytesExamined) *bytesExamined = walk.examined;
  return table;
}

bool loadResultFile(const QString& path, int language, ResultTable& table, QString* error,
                    QByteArray* text, const ResultRowSink& rows) {
  auto fail = [&](const QString& reason) {
    if (error) *error = pick(resulttext::kCannotRead, language).arg(path, reason);
    return false;
  };
  QFile file;
  if (!openForReading(file, path)) return fail(file.errorString());
  QByteArray bytes;
  const BoundedRead read = readBounded(file, kResultFileMax, &bytes);
  if (read == BoundedRead::TooLarge) return fail(pick(resulttext::kTooLarge, language));
  if (read == BoundedRead::Failed) return fail(file.errorString());
  const QByteArray walked = resultTextFromBytes(std::move(bytes));
  table = readResultText(walked, path, language, nullptr, rows);
  if (text) *text = walked;
  return true;
}

}  // namespace karvel
