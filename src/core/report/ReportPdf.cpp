// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/ReportPdf.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "core/frame/SafeWrite.h"
#include "core/report/ReportTexts.h"
#include "core/results/CompareTexts.h"
#include "core/results/Quantity.h"
#include "core/results/ResultReader.h"
#include "core/results/ResultTexts.h"

namespace karvel {

Paper paperFor(const QLocale& locale) {
  switch (locale.territory()) {
    case QLocale::UnitedStates:
    case QLocale::Canada:
    case QLocale::Mexico:
    case QLocale::Philippines:
    case QLocale::Chile:
    case QLocale::Colombia:
    case QLocale::Venezuela:
    case QLocale::PuertoRico:
    case QLocale::Guatemala:
    case QLocale::CostaRica:
    case QLocale::Panama:
    case QLocale::DominicanRepublic:
    case QLocale::ElSalvador:
      return Paper::Letter;
    default:
      break;
  }
  return Paper::A4;
}

namespace {

// The writer works at 72 dots per inch: one unit is one typographic point,
// and fonts given in points keep their size. Text stays vector whatever
// the resolution.
constexpr int kResolution = 72;
constexpr double kMargin = 42;  // left and right, about 15 mm
constexpr double kTop = 62;     // below the page header
constexpr double kBottom = 46;  // above the page footer
constexpr double kRow = 15;     // a table row
constexpr double kGap = 10;     // between blocks
constexpr double kChartHeight = 150;

const QColor kText(0x20, 0x20, 0x20);
const QColor kGrey(0x70, 0x70, 0x70);
const QColor kRule(0xB0, 0xB0, 0xB0);
const QColor kHeadFill(0xE8, 0xEC, 0xF0);
const QColor kStripe(0xF6, 0xF6, 0xF6);
const QColor kBandFill(0xE6, 0xF4, 0xE6);
const QColor kZoneFill(0xFF, 0xF2, 0xA8);
const QColor kLimitLine(0xC0, 0x30, 0x30);
const QColor kShrankFill(0xFF, 0xB3, 0x47);

QColor statusColour(Status status) {
  const int rgb = statusRgb(status);
  return rgb < 0 ? QColor() : QColor::fromRgb(QRgb(0xFF000000u | unsigned(rgb)));
}

QString dateText(const QDate& date) { return date.toString(Qt::ISODate); }
QString dateText(const QDateTime& date) { return resultDateText(date); }

QFont reportFont(double points, bool bold = false) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(points);
  font.setBold(bold);
  // Design widths, as the PDF draws them: measuring and painting agree.
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  // No shaping, hence no ligatures: "fl" stays two letters that a search
  // for "flagged" finds and a copy gives back (Latin text needs none).
  font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferNoShaping));
  return font;
}

// A margin as the tolerance bar's words say it ("49 %", "0.4 %", "-13 %").
QString marginText(std::optional<double> margin) {
  if (!margin) return QStringLiteral("—");
  return percentText(*margin) + QStringLiteral(" %");
}

// A value as its result writes it (the text its results window shows).
QString shownText(const QString& text) { return text.isEmpty() ? QStringLiteral("—") : text; }

// `text` broken into lines no wider than `width` in `font`: at the blanks
// where it can, inside a word too long for a line where it must. The lines
// are joined by '\n', which QPainter::drawText keeps.
QString wrapped(const QString& text, const QFont& font, double width, QPaintDevice* device) {
  QStringList lines;
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  for (const QString& piece : text.split(u'\n')) {
    QTextLayout layout(piece, font, device);
    layout.setTextOption(option);
    layout.beginLayout();
    bool any = false;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(std::max(width, 1.0));
      QString shown = piece.mid(line.textStart(), line.textLength());
      while (!shown.isEmpty() && shown.back().isSpace()) shown.chop(1);
      lines << shown;
      any = true;
    }
    layout.endLayout();
    if (!any) lines << QString();
  }
  return lines.join(u'\n');
}

// The width `text` takes when drawn, as QPainter::drawText lays it out (a
// hair more, at times, than the sum of its advances).
double widthOf(const QFontMetricsF& metrics, const QString& text) {
  return metrics.boundingRect(QRectF(0, 0, 1e6, 1e6), 0, text).width();
}

// The widest word of `text` in `metrics`: a column narrower than it breaks
// the word.
double widestWord(const QString& text, const QFontMetricsF& metrics) {
  double widest = 0;
  for (const QString& word :
       text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
    widest = std::max(widest, widthOf(metrics, word));
  return widest;
}

// `text` shortened with "…" to at most `width` as `metrics` measure it
// as drawn (elidedText's own measure may differ by a hair).
QString elided(const QString& text, const QFontMetricsF& metrics, double width) {
  QString shown = text;
  for (double room = width; widthOf(metrics, shown) > width && room > 0; room -= 1)
    shown = metrics.elidedText(text, Qt::ElideRight, room);
  return shown;
}

// A painter and what watches it, on one page: every text goes through
// `text`, which tells the watch the box the text must fit.
class Canvas {
 public:
  Canvas(QPainter& painter, const ReportWatch& watch, int page)
      : p(painter), watch_(watch), page_(page) {}
  QPainter& p;
  // `text` in the painter's font, inside `box` (no wrapping: break it first).
  void text(const QRectF& box, int flags, const QString& text) const {
    if (watch_.text) watch_.text({page_, text, p.font(), box, flags, p.device()});
    p.drawText(box, flags, text);
  }
  int page() const { return page_; }
  const ReportWatch& watch() const { return watch_; }

 private:
  const ReportWatch& watch_;
  int page_;
};

struct Cell {
  Cell() = default;
  Cell(QString shown) : text(std::move(shown)) {}  // NOLINT: a cell of text
  QString text;
  QColor fill;  // invalid: none
  bool bold = false;
  QColor colour = kText;
  int span = 1;                                       // columns it covers
  std::function<void(Canvas&, const QRectF&)> paint;  // drawn instead of the text
  double paintWidth = 0;                              // the least width `paint` needs
};

struct Column {
  Column(QString heading, double widthShare, Qt::Alignment alignment = Qt::AlignLeft)
      : title(std::move(heading)), share(widthShare), align(alignment) {}
  QString title;
  double share;  // of the width
  Qt::Alignment align;
};

// A cell's text keeps this much room on its left and right, and above and below.
constexpr double kCellPadX = 3;
constexpr double kCellPadY = 2;

// The columns' widths: each its share of `width`, widened where a word of
// its heading would not fit, the room taken from the columns that have some
// to spare (more than the longest word of their cells, up to their share).
// A word wider than its column's share is broken inside.
std::vector<double> columnWidths(const std::vector<Column>& columns,
                                 const std::vector<std::vector<Cell>>& rows, double width,
                                 const QFontMetricsF& head, const QFontMetricsF& plain,
                                 const QFontMetricsF& strong) {
  const std::size_t n = columns.size();
  std::vector<double> need(n, 0), widths(n, 0);
  for (const std::vector<Cell>& cells : rows) {
    std::size_t c = 0;
    for (const Cell& cell : cells) {
      if (c >= n) break;
      if (cell.span <= 1) {
        const double w =
            cell.paint ? cell.paintWidth : widestWord(cell.text, cell.bold ? strong : plain);
        need[c] = std::max(need[c], w);
      }
      c += std::size_t(std::max(cell.span, 1));
    }
  }
  double needed = 0;
  for (std::size_t c = 0; c < n; ++c) {
    need[c] =
        std::max(widestWord(columns[c].title, head), std::min(need[c], columns[c].share * width)) +
        2 * kCellPadX + 0.5;
    needed += need[c];
  }
  if (needed >= width) {
    // Not even the words fit: each column in proportion to its need.
    for (std::size_t c = 0; c < n; ++c) widths[c] = need[c] * width / needed;
    return widths;
  }
  double deficit = 0, slack = 0;
  for (std::size_t c = 0; c < n; ++c) {
    widths[c] = columns[c].share * width;
    if (widths[c] < need[c])
      deficit += need[c] - widths[c];
    else
      slack += widths[c] - need[c];
  }
  if (deficit > 0 && slack > 0) {
    for (std::size_t c = 0; c < n; ++c) {
      if (widths[c] < need[c])
        widths[c] = need[c];
      else
        widths[c] -= deficit * (widths[c] - need[c]) / slack;
    }
  }
  return widths;
}

class Pages {
 public:
  Pages(const Report& report, QPdfWriter& writer, QPainter* painter, int pageCount,
        const ReportWatch& watch)
      : r_(report), writer_(writer), p_(painter), pageCount_(pageCount), watch_(watch) {
    const QSizeF size = writer.pageLayout().fullRectPoints().size();
    width_ = size.width();
    height_ = size.height();
    startPage(false);
  }

  int pages() const { return page_; }
  double contentWidth() const { return width_ - 2 * kMargin; }
  QString t(const Text5& text) const { return pick(text, r_.language); }
  QPaintDevice* device() const { return &writer_; }

  void newPage() { startPage(true); }
  // Room for `height` more points on this page, else a new page.
  void ensure(double height) {
    if (y_ + height > height_ - kBottom) newPage();
  }
  void space(double points) { y_ += points; }
  double y() const { return y_; }

  // Wrapped text across the content width (or from `x` on); returns its height.
  // Text of any length, wrapped line by line: a long note goes on over as
  // many pages as it needs.
  double paragraph(const QString& text, const QFont& font, const QColor& colour = kText,
                   double x = 0, double width = -1) {
    if (width < 0) width = contentWidth() - x;
    const double lineHeight = QFontMetricsF(font, &writer_).height();
    double height = 0;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& piece : text.split(u'\n')) {
      QTextLayout layout(piece, font, &writer_);
      layout.setTextOption(option);
      layout.beginLayout();
      std::vector<QTextLine> lines;
      for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines.push_back(line);
      }
      layout.endLayout();
      if (lines.empty()) {
        ensure(lineHeight);
        y_ += lineHeight;
        height += lineHeight;
        continue;
      }
      for (QTextLine& line : lines) {
        const double h = std::max(line.height(), lineHeight);
        // A page turned inside a paragraph counts from the new page's top.
        if (y_ + h > height_ - kBottom) {
          newPage();
          height = 0;
        }
        if (p_) {
          if (watch_.text) {
            QString shown = piece.mid(line.textStart(), line.textLength());
            while (!shown.isEmpty() && shown.back().isSpace()) shown.chop(1);
            watch_.text({page_, shown, font, QRectF(kMargin + x, y_, width, h),
                         int(Qt::AlignLeft | Qt::AlignTop), &writer_});
          }
          p_->setPen(colour);
          line.draw(p_, QPointF(kMargin + x - line.position().x(), y_ - line.position().y()));
        }
        y_ += h;
        height += h;
      }
    }
    return height;
  }

  void heading(const QString& text, double size) {
    const QFont font = reportFont(size, true);
    // A heading is never left alone at a page's foot.
    ensure(QFontMetricsF(font, &writer_).height() + 3 * kRow);
    paragraph(text, font);
    if (p_) {
      p_->setPen(QPen(kRule, 0.6));
      p_->drawLine(QPointF(kMargin, y_ + 1), QPointF(width_ - kMargin, y_ + 1));
    }
    y_ += 5;
  }

  // A table, its heading row repeated on each page it runs over. Columns
  // widen for their longest words; a text wraps in its cell, and its row
  // grows: nothing is cut.
  void table(const std::vector<Column>& columns, std::size_t rowCount,
             const std::function<std::vector<Cell>(std::size_t)>& cellsOf) {
    const QFont headFont = reportFont(7.5, true);
    const QFont font = reportFont(8), bold = reportFont(8, true);
    const QFontMetricsF hm(headFont, &writer_), plain(font, &writer_), strong(bold, &writer_);
    std::vector<std::vector<Cell>> rows;
    rows.reserve(rowCount);
    for (std::size_t i = 0; i < rowCount; ++i) rows.push_back(cellsOf(i));
    const std::vector<double> widths =
        columnWidths(columns, rows, contentWidth(), hm, plain, strong);
    // The text of a cell `w` wide, broken into its lines, and their height.
    auto lay = [&](const QString& text, const QFont& f, const QFontMetricsF& fm, double w) {
      const QString lines = wrapped(text, f, w - 2 * kCellPadX, &writer_);
      const double h = fm.boundingRect(QRectF(0, 0, w - 2 * kCellPadX, 1e6), 0, lines).height();
      return std::pair<QString, double>(lines, h);
    };
    std::vector<QString> titles;
    double headHeight = kRow;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const auto [lines, h] = lay(columns[c].title, headFont, hm, widths[c]);
      titles.push_back(lines);
      headHeight = std::max(headHeight, h + 2 * kCellPadY);
    }
    auto head = [&] {
      if (p_) {
        Canvas canvas(*p_, watch_, page_);
        double x = kMargin;
        p_->fillRect(QRectF(kMargin, y_, contentWidth(), headHeight), kHeadFill);
        p_->setFont(headFont);
        p_->setPen(kText);
        for (std::size_t c = 0; c < columns.size(); ++c) {
          canvas.text(QRectF(x, y_, widths[c], headHeight)
                          .adjusted(kCellPadX, kCellPadY, -kCellPadX, -kCellPadY),
                      int(Qt::AlignVCenter | columns[c].align), titles[c]);
          x += widths[c];
        }
      }
      y_ += headHeight;
    };
    ensure(headHeight + kRow);
    head();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const std::vector<Cell>& cells = rows[i];
      // Each cell's place (the columns it covers) and its text in lines.
      struct Placed {
        double left, width;
        std::size_t column;
        QString lines;
      };
      std::vector<Placed> places;
      double rowHeight = kRow;
      double x = kMargin;
      for (std::size_t c = 0, k = 0; c < columns.size() && k < cells.size(); ++k) {
        const std::size_t first = c;
        double w = 0;
        for (int n = 0; n < std::max(cells[k].span, 1) && c < columns.size(); ++n, ++c)
          w += widths[c];
        Placed place{x, w, first, {}};
        if (!cells[k].paint && !cells[k].text.isEmpty()) {
          const bool b = cells[k].bold;
          const auto [lines, h] = lay(cells[k].text, b ? bold : font, b ? strong : plain, w);
          place.lines = lines;
          rowHeight = std::max(rowHeight, h + 2 * kCellPadY);
        }
        places.push_back(place);
        x += w;
      }
      if (y_ + rowHeight > height_ - kBottom) {
        newPage();
        head();
      }
      if (p_) {
        Canvas canvas(*p_, watch_, page_);
        if (i % 2 == 1) p_->fillRect(QRectF(kMargin, y_, contentWidth(), rowHeight), kStripe);
        for (std::size_t k = 0; k < places.size(); ++k) {
          const Cell& cell = cells[k];
          const QRectF rect(places[k].left, y_, places[k].width, rowHeight);
          if (cell.fill.isValid()) p_->fillRect(rect.adjusted(1, 1, -1, -1), cell.fill);
          if (cell.paint) {
            cell.paint(canvas,
                       QRectF(rect.left(), rect.center().y() - kRow / 2, rect.width(), kRow));
          } else if (!places[k].lines.isEmpty()) {
            p_->setFont(cell.bold ? bold : font);
            p_->setPen(cell.colour);
            canvas.text(rect.adjusted(kCellPadX, kCellPadY, -kCellPadX, -kCellPadY),
                        int(Qt::AlignVCenter | columns[places[k].column].align), places[k].lines);
          }
        }
        p_->setPen(QPen(kRule, 0.3));
        p_->drawLine(QPointF(kMargin, y_ + rowHeight), QPointF(width_ - kMargin, y_ + rowHeight));
      }
      y_ += rowHeight;
    }
  }

  // A list item: the bullet, and its text wrapped beside it.
  void bullet(const QString& text, const QFont& font) {
    const QFontMetricsF fm(font, &writer_);
    // The bullet goes with its text: room for all its lines first.
    ensure(fm.boundingRect(QRectF(0, 0, contentWidth() - 12, 1e6), 0,
                           wrapped(text, font, contentWidth() - 12, &writer_))
               .height());
    if (p_) {
      Canvas canvas(*p_, watch_, page_);
      p_->setFont(font);
      p_->setPen(kText);
      canvas.text(QRectF(kMargin + 2, y_, 10, fm.height()), int(Qt::AlignLeft | Qt::AlignTop),
                  QStringLiteral("•"));
    }
    paragraph(text, font, kText, 12);
  }

  // A block of fixed height drawn by `paint` into the content width.
  void block(double height, const std::function<void(Canvas&, const QRectF&)>& paint) {
    ensure(height);
    if (p_) {
      Canvas canvas(*p_, watch_, page_);
      paint(canvas, QRectF(kMargin, y_, contentWidth(), height));
    }
    y_ += height;
  }

 private:
  void startPage(bool next) {
    if (next) {
      if (p_) writer_.newPage();
    }
    ++page_;
    y_ = kTop;
    if (!p_) return;
    Canvas canvas(*p_, watch_, page_);
    // The header: the report, the site and the visit; the footer: the page.
    const QFont font = reportFont(7.5);
    p_->setFont(font);
    p_->setPen(kGrey);
    const QString left =
        (r_.companyName.isEmpty() ? QString() : r_.companyName + QStringLiteral(" · ")) +
        t(reporttext::kTitle) + QStringLiteral(" · ") + r_.site.name;
    const QRectF header(kMargin, 24, width_ - 2 * kMargin, 14);
    // The visit's dates always show; a long site name gives way to them.
    const QFontMetricsF fm(font, &writer_);
    const double room = std::max(header.width() - widthOf(fm, visitText()) - 12, 40.0);
    canvas.text(QRectF(header.left(), header.top(), room, header.height()),
                int(Qt::AlignLeft | Qt::AlignVCenter), elided(left, fm, room));
    canvas.text(header, int(Qt::AlignRight | Qt::AlignVCenter), visitText());
    p_->setPen(QPen(kRule, 0.6));
    p_->drawLine(QPointF(kMargin, 40), QPointF(width_ - kMargin, 40));
    p_->setPen(kGrey);
    canvas.text(QRectF(kMargin, height_ - 32, width_ - 2 * kMargin, 14),
                int(Qt::AlignRight | Qt::AlignVCenter),
                t(reporttext::kPage).arg(page_).arg(std::max(pageCount_, page_)));
  }

 public:
  QString visitText() const {
    return r_.from == r_.to ? dateText(r_.from)
                            : t(reporttext::kVisitRange).arg(dateText(r_.from), dateText(r_.to));
  }

 private:
  const Report& r_;
  QPdfWriter& writer_;
  QPainter* p_;
  int pageCount_;
  const ReportWatch& watch_;
  int page_ = 0;
  double y_ = 0;
  double width_ = 0, height_ = 0;
};

// The status in words on its colour (black text reads on all three).
Cell statusCell(Status status, int language, const QString& text = {}) {
  Cell c;
  c.text = text.isEmpty() ? statusText(status, language) : text;
  c.fill = statusColour(status);
  c.bold = status != Status::None;
  if (status == Status::None) c.colour = kGrey;
  if (status == Status::Red) c.colour = Qt::white;
  return c;
}

// The tolerance bar of a row, laid out as the results window lays it out:
// the band, its warning zones as the row's status implies them, the value's
// marker in its status colour, held at the end it passed with an arrow.
void paintBar(Canvas& canvas, const QRectF& cell, const ResultRow& row, int language) {
  QPainter& p = canvas.p;
  const std::optional<ToleranceValues> values = toleranceValues(row);
  if (!values) {
    // A value that is no number says so; limits that are none show as such
    // in their own cells, and the bar is left out as on screen.
    if (!siQuantity(row.cells[3]).number) {
      p.setFont(reportFont(7));
      p.setPen(kGrey);
      canvas.text(cell.adjusted(6, 0, -3, 0), int(Qt::AlignVCenter | Qt::AlignLeft),
                  pick(reporttext::kNoNumber, language));
    }
    return;
  }
  const ToleranceBarLayout bar =
      layoutToleranceBar(cell, QFontMetricsF(reportFont(8), p.device()).height(), *values);
  if (canvas.watch().bar) canvas.watch().bar({canvas.page(), row, bar});
  if (bar.band.width() <= 0) return;
  p.fillRect(bar.band, kBandFill);
  if (bar.lowZone.width() > 0) p.fillRect(bar.lowZone, kZoneFill);
  if (bar.highZone.width() > 0) p.fillRect(bar.highZone, kZoneFill);
  p.setPen(QPen(kGrey, 0.4));
  p.setBrush(Qt::NoBrush);
  p.drawRect(bar.band);
  QColor colour = statusColour(row.status);
  if (!colour.isValid()) colour = kText;
  p.fillRect(bar.marker, colour);
  p.setPen(QPen(Qt::black, 0.5));
  p.drawRect(bar.marker);
  if (!bar.arrow.isEmpty()) {
    QPainterPath arrow;
    arrow.addPolygon(bar.arrow);
    arrow.closeSubpath();
    p.fillPath(arrow, colour);
  }
}

// A measurement over the segment's results: its values by date on its band
// (the minimum and maximum of each result), the points in their status
// colours, and the line the limit date comes from: LimitReach's fit over
// the results up to the visit, drawn over the dates it rests on.
void paintChart(Canvas& canvas, const QRectF& area, const Comparison& c, std::size_t index,
                const std::optional<LimitReach>& reach, int language) {
  QPainter& p = canvas.p;
  QPaintDevice* device = p.device();
  const CompareMeasurement& m = c.measurements[index];
  const QFont titleFont = reportFont(8, true);
  p.setFont(titleFont);
  p.setPen(kText);
  // A long name is shortened, the number of results kept.
  const QString count = QString::number(c.runs.size());
  const QString whole = pick(reporttext::kChartTitle, language).arg(m.name, count);
  const QFontMetricsF fm(titleFont, device);
  QString title = whole;
  if (widthOf(fm, whole) > area.width()) {
    const double room = area.width() - widthOf(fm, whole) + widthOf(fm, m.name);
    title = pick(reporttext::kChartTitle, language)
                .arg(elided(m.name, fm, std::max(room, 20.0)), count);
    title = elided(title, fm, area.width());
  }
  canvas.text(QRectF(area.left(), area.top(), area.width(), 12),
              int(Qt::AlignLeft | Qt::AlignVCenter), title);

  const QFont small = reportFont(6.5);
  const QFontMetricsF sm(small, device);
  const std::size_t latest = c.runs.size() - 1;
  // The scale: the band's ends of the latest result, else the lowest and
  // the highest value; each written as its result writes it.
  struct Mark {
    double value;
    QString text;
  };
  std::vector<Mark> marks;
  if (m.minimum[latest] && std::isfinite(*m.minimum[latest]))
    marks.push_back({*m.minimum[latest], shownText(resultCellText(c, latest, m.name, 1))});
  if (m.maximum[latest] && std::isfinite(*m.maximum[latest]))
    marks.push_back({*m.maximum[latest], shownText(resultCellText(c, latest, m.name, 2))});
  if (marks.empty()) {
    std::optional<std::size_t> low, high;
    for (std::size_t r = 0; r < c.runs.size(); ++r) {
      if (!m.values[r] || !std::isfinite(*m.values[r])) continue;
      if (!low || *m.values[r] < *m.values[*low]) low = r;
      if (!high || *m.values[r] > *m.values[*high]) high = r;
    }
    for (const std::optional<std::size_t>& r : {low, high})
      if (r && (marks.empty() || *m.values[*r] != marks.front().value))
        marks.push_back({*m.values[*r], shownText(resultCellText(c, *r, m.name, 3))});
  }
  // The scale's column is as wide as its widest text, up to a third of the chart.
  double markWidth = 20;
  for (const Mark& mark : marks) markWidth = std::max(markWidth, widthOf(sm, mark.text) + 1);
  markWidth = std::min(markWidth, area.width() / 3);
  for (Mark& mark : marks) mark.text = wrapped(mark.text, small, markWidth, device);

  // Below the plot: the dates, then the limit date, wrapped if need be.
  const QFont reachFont = reportFont(7, true);
  QString reachText;
  double reachHeight = 0;
  if (reach) {
    reachText = wrapped(pick(reporttext::kLimitReach, language) + QStringLiteral(": ") +
                            limitReachText(*reach, language) + QStringLiteral(" ¹"),
                        reachFont, area.width(), device);
    reachHeight = QFontMetricsF(reachFont, device)
                      .boundingRect(QRectF(0, 0, area.width(), 1e6), 0, reachText)
                      .height();
  }
  const qint64 t0 = c.runs.front().date.toMSecsSinceEpoch();
  const qint64 t1 = c.runs.back().date.toMSecsSinceEpoch();
  const double span = double(std::max<qint64>(t1 - t0, 1));
  const bool oneDate = t1 == t0;
  const double plotLeft = area.left() + markWidth + 6;
  const double plotWidth = area.right() - 12 - plotLeft;
  auto xAtTime = [&](const QDateTime& date) {
    return plotLeft + 8 + (plotWidth - 16) * double(date.toMSecsSinceEpoch() - t0) / span;
  };
  auto xAt = [&](std::size_t r) {
    if (oneDate) return plotLeft + plotWidth * (double(r) + 0.5) / double(c.runs.size());
    return xAtTime(c.runs[r].date);
  };
  // The date labels, on two lines where one has no room: the first and
  // the last always, those between where either line has room for them.
  // A day already said by its neighbour is not said again.
  struct DateLabel {
    QRectF box;
    QString text;
    int line = 0;
  };
  const double dateHeight = sm.height();
  auto dateBox = [&](std::size_t r, const QString& text) {
    const double w = widthOf(sm, text) + 1;
    QRectF box(xAt(r) - w / 2, 0, w, dateHeight);
    if (box.left() < area.left()) box.moveLeft(area.left());
    if (box.right() > area.right()) box.moveRight(area.right());
    return box;
  };
  auto apart = [](const QRectF& a, const QRectF& b) {
    return a.right() + 4 <= b.left() || b.right() + 4 <= a.left();
  };
  const QString firstText = c.runs.front().date.date().toString(Qt::ISODate);
  const QString lastText = c.runs[latest].date.date().toString(Qt::ISODate);
  std::vector<DateLabel> dates = {{dateBox(0, firstText), firstText, 0}};
  DateLabel last{dateBox(latest, lastText), lastText, 0};
  if (latest == 0 || lastText == firstText)
    last.text.clear();  // one day: said once
  else if (!apart(dates.front().box, last.box))
    last.line = 1;
  std::array<std::optional<QRectF>, 2> lineEnd = {dates.front().box, std::nullopt};
  QString said = firstText;
  for (std::size_t r = 1; r < latest; ++r) {
    const QString text = c.runs[r].date.date().toString(Qt::ISODate);
    if (text == said || text == lastText) continue;
    const QRectF box = dateBox(r, text);
    for (int line = 0; line < 2; ++line) {
      if (lineEnd[std::size_t(line)] && !apart(*lineEnd[std::size_t(line)], box)) continue;
      if (!last.text.isEmpty() && last.line == line && !apart(box, last.box)) continue;
      dates.push_back({box, text, line});
      lineEnd[std::size_t(line)] = box;
      said = text;
      break;
    }
  }
  if (!last.text.isEmpty()) dates.push_back(last);
  const int dateRows =
      std::any_of(dates.begin(), dates.end(), [](const DateLabel& d) { return d.line == 1; }) ? 2
                                                                                              : 1;
  const double bottomRoom = dateRows * dateHeight + 2 + (reach ? reachHeight + 2 : 0);
  const QRectF plot(plotLeft, area.top() + 18, plotWidth, area.height() - 18 - bottomRoom - 2);

  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (std::size_t r = 0; r < c.runs.size(); ++r)
    for (const auto* series : {&m.values, &m.minimum, &m.maximum})
      if ((*series)[r] && std::isfinite(*(*series)[r])) {
        lo = std::min(lo, *(*series)[r]);
        hi = std::max(hi, *(*series)[r]);
      }
  p.setPen(QPen(kRule, 0.6));
  p.setBrush(Qt::NoBrush);
  p.drawRect(plot);
  if (!std::isfinite(lo)) return;
  if (hi - lo < 1e-300) {
    const double pad = std::max(std::fabs(lo) * 0.1, 1e-12);
    lo -= pad;
    hi += pad;
  }
  const double pad = (hi - lo) * 0.08;
  lo -= pad;
  hi += pad;
  auto yAt = [&](double v) { return plot.bottom() - (v - lo) / (hi - lo) * plot.height(); };
  // The band of each result, as a step between neighbours.
  for (std::size_t r = 0; r < c.runs.size(); ++r) {
    const double left = r == 0 ? plot.left() : (xAt(r - 1) + xAt(r)) / 2;
    const double right = r + 1 == c.runs.size() ? plot.right() : (xAt(r) + xAt(r + 1)) / 2;
    const std::optional<double> a = m.minimum[r], b = m.maximum[r];
    if (a && b && std::isfinite(*a) && std::isfinite(*b))
      p.fillRect(QRectF(QPointF(left, yAt(*b)), QPointF(right, yAt(*a))), kBandFill);
    p.setPen(QPen(kLimitLine, 0.8, Qt::DashLine));
    for (const std::optional<double>& limit : {a, b})
      if (limit && std::isfinite(*limit))
        p.drawLine(QPointF(left, yAt(*limit)), QPointF(right, yAt(*limit)));
  }
  p.save();
  p.setClipRect(plot);
  if (reach && !oneDate) {
    const double from = reach->valueAt(reach->from), to = reach->valueAt(reach->to);
    if (canvas.watch().trend)
      canvas.watch().trend({canvas.page(), m.name, *reach, reach->from, reach->to, from, to});
    p.setPen(QPen(kGrey, 0.8, Qt::DotLine));
    p.drawLine(QPointF(xAtTime(reach->from), yAt(from)), QPointF(xAtTime(reach->to), yAt(to)));
  }
  p.setPen(QPen(kText, 0.9));
  std::optional<QPointF> previous;
  for (std::size_t r = 0; r < c.runs.size(); ++r) {
    if (!m.values[r]) continue;
    const QPointF at(xAt(r), yAt(*m.values[r]));
    if (previous) p.drawLine(*previous, at);
    previous = at;
  }
  for (std::size_t r = 0; r < c.runs.size(); ++r) {
    if (!m.values[r]) continue;
    QColor colour = statusColour(m.statuses[r]);
    if (!colour.isValid()) colour = kGrey;
    p.setBrush(colour);
    p.setPen(QPen(Qt::black, 0.5));
    p.drawEllipse(QPointF(xAt(r), yAt(*m.values[r])), 3, 3);
  }
  p.restore();
  p.setBrush(Qt::NoBrush);
  p.setFont(small);
  p.setPen(kGrey);
  // The scale's texts beside their heights, moved apart where they would touch.
  std::sort(marks.begin(), marks.end(),
            [](const Mark& a, const Mark& b) { return a.value > b.value; });
  std::vector<QRectF> markBoxes;
  for (const Mark& mark : marks) {
    const double h = sm.boundingRect(QRectF(0, 0, markWidth, 1e6), 0, mark.text).height();
    QRectF box(area.left(), yAt(mark.value) - h / 2, markWidth, h);
    if (!markBoxes.empty() && box.top() < markBoxes.back().bottom())
      box.moveTop(markBoxes.back().bottom());
    markBoxes.push_back(box);
  }
  // Pushed below the plot, the lowest moves the others up instead.
  if (!markBoxes.empty() && markBoxes.back().bottom() > plot.bottom()) {
    double bottom = plot.bottom();
    for (auto box = markBoxes.rbegin(); box != markBoxes.rend(); ++box) {
      if (box->bottom() > bottom) box->moveBottom(bottom);
      bottom = box->top();
    }
  }
  for (std::size_t i = 0; i < marks.size(); ++i)
    canvas.text(markBoxes[i], int(Qt::AlignRight | Qt::AlignVCenter), marks[i].text);
  for (const DateLabel& label : dates)
    canvas.text(label.box.translated(0, plot.bottom() + 2 + label.line * dateHeight),
                int(Qt::AlignHCenter | Qt::AlignTop), label.text);
  if (reach) {
    p.setFont(reachFont);
    p.setPen(kText);
    canvas.text(QRectF(area.left(), plot.bottom() + 2 + dateRows * dateHeight + 2, area.width(),
                       reachHeight),
                int(Qt::AlignRight | Qt::AlignTop), reachText);
  }
}

class ReportPainter {
 public:
  ReportPainter(const Report& report, Pages& pages) : r_(report), pg_(pages) {}

  void paint() {
    cover();
    summary();
    for (const ReportSegment& s : r_.segments)
      if (s.current) segment(s);
    signature();
  }

 private:
  QString t(const Text5& text) const { return pick(text, r_.language); }

  void cover() {
    const double logoHeight = 56;
    if (!r_.logo.isNull() || !r_.companyName.isEmpty()) {
      const QImage logo = r_.logo;
      QSizeF logoSize;
      if (!logo.isNull()) {
        logoSize = logo.size();
        logoSize.scale(160, logoHeight, Qt::KeepAspectRatio);
      }
      // The company's name beside the logo, on as many lines as it needs.
      const QFont companyFont = reportFont(14, true);
      const double nameLeft = logo.isNull() ? 0 : logoSize.width() + 14;
      const double nameWidth = pg_.contentWidth() - nameLeft;
      const QString company = wrapped(r_.companyName, companyFont, nameWidth, pg_.device());
      const double nameHeight = r_.companyName.isEmpty()
                                    ? 0
                                    : QFontMetricsF(companyFont, pg_.device())
                                          .boundingRect(QRectF(0, 0, nameWidth, 1e6), 0, company)
                                          .height();
      pg_.block(std::max(logoHeight, nameHeight), [&](Canvas& canvas, const QRectF& area) {
        QPainter& p = canvas.p;
        if (!logo.isNull()) {
          // Flattened on white: PDF/A-1b allows no transparency.
          QImage flat(logo.size(), QImage::Format_RGB32);
          flat.fill(Qt::white);
          QPainter onWhite(&flat);
          onWhite.drawImage(0, 0, logo);
          onWhite.end();
          p.drawImage(QRectF(area.topLeft(), logoSize), flat);
        }
        if (company.isEmpty()) return;
        p.setFont(companyFont);
        p.setPen(kText);
        canvas.text(QRectF(area.left() + nameLeft, area.top(), nameWidth, area.height()),
                    int(Qt::AlignLeft | Qt::AlignVCenter), company);
      });
      pg_.space(kGap * 2);
    }
    pg_.paragraph(t(reporttext::kTitle), reportFont(22, true));
    pg_.space(kGap * 1.5);
    auto field = [&](const Text5& label, const QString& value) {
      const double before = pg_.y();
      pg_.paragraph(value.isEmpty() ? t(reporttext::kUnknown) : value, reportFont(10),
                    value.isEmpty() ? kGrey : kText, 130);
      const double after = pg_.y();
      pg_.space(before - after);
      pg_.paragraph(t(label), reportFont(10, true), kText, 0, 125);
      pg_.space(std::max(0.0, after - pg_.y()) + 3);
    };
    field(reporttext::kCustomer, r_.site.customer);
    field(reporttext::kSite, r_.site.name);
    field(reporttext::kVisit, pg_.visitText());
    field(reporttext::kTechnician, r_.technician);
    QStringList instruments;
    for (const InstrumentIdentity& i : r_.instruments)
      instruments << pick(reporttext::kInstrumentLine, r_.language)
                         .arg(i.model.isEmpty() ? t(reporttext::kUnknown) : i.model,
                              i.serial.isEmpty() ? t(reporttext::kUnknown) : i.serial);
    field(reporttext::kInstrument, instruments.join(u'\n'));
    if (!r_.site.notes.trimmed().isEmpty()) {
      // Notes may run long: below the fields, at full width.
      pg_.space(kGap);
      pg_.paragraph(t(reporttext::kSiteNotes), reportFont(10, true));
      pg_.space(3);
      pg_.paragraph(r_.site.notes.trimmed(), reportFont(10));
    }
    pg_.space(kGap * 2);
  }

  void summary() {
    pg_.heading(t(reporttext::kSummary), 13);
    const bool any = std::any_of(r_.segments.begin(), r_.segments.end(),
                                 [](const ReportSegment& s) { return s.current.has_value(); });
    if (!any) {
      pg_.paragraph(t(reporttext::kNoSegmentMeasured), reportFont(9));
      pg_.space(kGap);
    }
    const std::vector<Column> columns = {{t(reporttext::kSegment), 0.17},
                                         {t(reporttext::kBus), 0.21},
                                         {t(reporttext::kVerdictNow), 0.16, Qt::AlignHCenter},
                                         {t(reporttext::kVerdictBaseline), 0.16, Qt::AlignHCenter},
                                         {t(reporttext::kFailedRows), 0.09, Qt::AlignRight},
                                         {t(reporttext::kWarningRows), 0.10, Qt::AlignRight},
                                         {t(reporttext::kShrunkMargins), 0.11, Qt::AlignRight}};
    pg_.table(columns, r_.segments.size(), [&](std::size_t i) {
      const ReportSegment& s = r_.segments[i];
      std::vector<Cell> cells;
      cells.push_back({s.segment.name});
      cells.push_back({s.segment.bus});
      if (s.current) {
        cells.push_back(statusCell(s.runs[*s.current].table.verdictColour, r_.language));
      } else {
        // The rest of the row says it: no verdict, no counts.
        Cell c{t(reporttext::kNotMeasured)};
        c.colour = kGrey;
        c.span = 5;
        cells.push_back(c);
        return cells;
      }
      if (s.baseline) {
        cells.push_back(statusCell(s.runs[*s.baseline].table.verdictColour, r_.language));
      } else {
        Cell c{t(reporttext::kNoBaseline)};
        c.colour = kGrey;
        cells.push_back(c);
      }
      if (s.current) {
        cells.push_back({QString::number(s.failed)});
        cells.push_back({QString::number(s.warnings)});
        Cell shrunk{QString::number(s.shrunk)};
        if (s.shrunk > 0) {
          shrunk.fill = kShrankFill;
          shrunk.bold = true;
        }
        cells.push_back(shrunk);
      }
      return cells;
    });
    pg_.space(kGap);
  }

  void segment(const ReportSegment& s) {
    pg_.newPage();
    const std::size_t now = *s.current;
    const RegisterEntry& entry = s.entries[now];
    const ResultTable& table = s.runs[now].table;
    pg_.heading(pick(reporttext::kSegmentHeading, r_.language).arg(s.segment.name, s.segment.bus),
                13);
    pg_.paragraph(
        pick(reporttext::kResultOf, r_.language).arg(entry.fileName, dateText(entry.date)) +
            (entry.instrument.isEmpty()
                 ? QString()
                 : QStringLiteral(" · ") +
                       pick(reporttext::kInstrumentLine, r_.language)
                           .arg(entry.instrument.model, entry.instrument.serial)),
        reportFont(9));
    if (s.visitResults > 1)
      pg_.paragraph(pick(reporttext::kMoreResults, r_.language).arg(s.visitResults), reportFont(8),
                    kGrey);
    pg_.space(4);
    // The verdict: its colour, its word and the instrument's sentence.
    const Status verdict = table.verdictColour;
    const QString verdictWords = statusText(verdict, r_.language);
    const QString sentence = table.verdict.simplified();
    // The word and the chip as wide as their texts; the sentence wraps.
    const QFont labelFont = reportFont(10, true), sentenceFont = reportFont(9);
    const QFontMetricsF lm(labelFont, pg_.device());
    const double labelWidth = widthOf(lm, t(reporttext::kVerdict)) + 2;
    const double chipWidth = std::max(90.0, widthOf(lm, verdictWords) + 16);
    const double sentenceLeft = labelWidth + 10 + chipWidth + 10;
    const double sentenceWidth = std::max(pg_.contentWidth() - sentenceLeft, 40.0);
    const QString sentenceLines = wrapped(sentence, sentenceFont, sentenceWidth, pg_.device());
    const double sentenceHeight =
        sentence.isEmpty() ? 0
                           : QFontMetricsF(sentenceFont, pg_.device())
                                 .boundingRect(QRectF(0, 0, sentenceWidth, 1e6), 0, sentenceLines)
                                 .height();
    pg_.block(std::max(20.0, sentenceHeight), [&](Canvas& canvas, const QRectF& area) {
      QPainter& p = canvas.p;
      p.setFont(labelFont);
      p.setPen(kText);
      canvas.text(QRectF(area.left(), area.top(), labelWidth, 20),
                  int(Qt::AlignLeft | Qt::AlignVCenter), t(reporttext::kVerdict));
      const QRectF chip(area.left() + labelWidth + 10, area.top() + 1, chipWidth, 18);
      p.fillRect(chip, statusColour(verdict));
      p.setPen(verdict == Status::Red ? QColor(Qt::white) : kText);
      canvas.text(chip, int(Qt::AlignCenter), verdictWords);
      if (sentence.isEmpty()) return;
      p.setPen(kText);
      p.setFont(sentenceFont);
      canvas.text(QRectF(area.left() + sentenceLeft, area.top(), sentenceWidth, area.height()),
                  int(Qt::AlignLeft | Qt::AlignVCenter), sentenceLines);
    });
    pg_.space(kGap);
    resultTable(table);
    pg_.space(kGap);
    changeSection(s, true);
    changeSection(s, false);
    charts(s);
    notes(s);
    actions(s);
    footnote(s);
  }

  void resultTable(const ResultTable& table) {
    const std::vector<Column> columns = {{t(reporttext::kMeasurement), 0.26},
                                         {t(reporttext::kMinimum), 0.12, Qt::AlignRight},
                                         {t(reporttext::kMaximum), 0.12, Qt::AlignRight},
                                         {t(reporttext::kValue), 0.12, Qt::AlignRight},
                                         {t(reporttext::kStatus), 0.12, Qt::AlignHCenter},
                                         {t(reporttext::kMarginBar), 0.26}};
    pg_.table(columns, table.rows.size(), [&](std::size_t i) {
      const ResultRow& row = table.rows[i];
      std::vector<Cell> cells;
      for (int c : {0, 1, 2, 3}) cells.push_back({row.cells[std::size_t(c)].simplified()});
      cells.push_back(statusCell(row.status, r_.language));
      Cell bar;
      const int language = r_.language;
      bar.paintWidth = 60;
      bar.paint = [&row, language](Canvas& canvas, const QRectF& rect) {
        paintBar(canvas, rect, row, language);
      };
      cells.push_back(bar);
      return cells;
    });
  }

  void changeSection(const ReportSegment& s, bool baseline) {
    const QFont sub = reportFont(10.5, true);
    if (baseline) {
      if (!s.baseline) {
        pg_.ensure(3 * kRow);
        pg_.paragraph(t(reporttext::kNoBaselineSentence), reportFont(9), kGrey);
        pg_.space(kGap);
        return;
      }
      if (*s.baseline == *s.current) {
        pg_.ensure(3 * kRow);
        pg_.paragraph(t(reporttext::kBaselineIsCurrent), reportFont(9), kGrey);
        pg_.space(kGap);
        return;
      }
    } else if (!s.previous) {
      pg_.ensure(3 * kRow);
      pg_.paragraph(t(reporttext::kNoPrevious), reportFont(9), kGrey);
      pg_.space(kGap);
      return;
    }
    const std::size_t then = baseline ? *s.baseline : *s.previous;
    pg_.ensure(4 * kRow);
    pg_.paragraph(
        pick(baseline ? reporttext::kSinceBaseline : reporttext::kSincePrevious, r_.language)
            .arg(dateText(s.entries[then].date)),
        sub);
    pg_.space(3);
    const std::vector<ReportChange>& list = baseline ? s.sinceBaseline : s.sincePrevious;
    const std::vector<Column> columns = {{t(reporttext::kMeasurement), 0.24},
                                         {t(reporttext::kThen), 0.13, Qt::AlignRight},
                                         {t(reporttext::kNow), 0.13, Qt::AlignRight},
                                         {t(reporttext::kMarginThen), 0.11, Qt::AlignRight},
                                         {t(reporttext::kMarginNow), 0.11, Qt::AlignRight},
                                         {t(reporttext::kFlags), 0.28}};
    pg_.table(columns, list.size(), [&](std::size_t i) {
      const ReportChange& ch = list[i];
      std::vector<Cell> cells;
      Cell name{ch.name};
      name.bold = ch.flagged();
      cells.push_back(name);
      Cell then{shownText(ch.thenText)}, nowCell{shownText(ch.nowText)};
      then.fill = statusColour(ch.then ? ch.statusThen : Status::None);
      nowCell.fill = statusColour(ch.now ? ch.statusNow : Status::None);
      // White reads on the red, as in the status cells.
      for (Cell* value : {&then, &nowCell})
        if (value->fill == statusColour(Status::Red)) value->colour = Qt::white;
      cells.push_back(then);
      cells.push_back(nowCell);
      cells.push_back({marginText(ch.marginThen)});
      Cell marginNow{marginText(ch.marginNow)};
      if (ch.shrank) {
        marginNow.fill = kShrankFill;
        marginNow.bold = true;
      }
      cells.push_back(marginNow);
      QStringList flags;
      if (ch.worse) flags << t(reporttext::kFlagWorse);
      if (ch.better) flags << t(reporttext::kFlagBetter);
      if (ch.shrank) flags << t(reporttext::kFlagShrank);
      if (ch.added) flags << t(reporttext::kFlagNew);
      if (ch.missing) flags << t(reporttext::kFlagMissing);
      Cell flagCell{flags.join(QStringLiteral(", "))};
      flagCell.bold = ch.flagged();
      cells.push_back(flagCell);
      return cells;
    });
    if (std::none_of(list.begin(), list.end(), [](const ReportChange& c) { return c.flagged(); }))
      pg_.paragraph(t(reporttext::kNoChange), reportFont(8), kGrey);
    pg_.space(kGap);
  }

  void charts(const ReportSegment& s) {
    if (!s.history || s.flagged.empty()) return;
    pg_.ensure(kChartHeight + 30);
    pg_.paragraph(t(reporttext::kCharts), reportFont(10.5, true));
    pg_.space(4);
    // Two charts side by side.
    for (std::size_t k = 0; k < s.flagged.size(); k += 2) {
      pg_.block(kChartHeight, [&](Canvas& canvas, const QRectF& area) {
        const double w = (area.width() - 16) / 2;
        for (std::size_t j = 0; j < 2 && k + j < s.flagged.size(); ++j) {
          const std::size_t index = s.flagged[k + j];
          paintChart(canvas,
                     QRectF(area.left() + double(j) * (w + 16), area.top(), w, area.height()),
                     *s.history, index, s.reaches[index], r_.language);
        }
      });
      pg_.space(kGap);
    }
  }

  void notes(const ReportSegment& s) {
    QStringList lines;
    if (!s.segment.notes.trimmed().isEmpty()) lines << s.segment.notes.trimmed();
    for (std::size_t i = 0; i < s.entries.size(); ++i) {
      const RegisterEntry& e = s.entries[i];
      if (e.note.trimmed().isEmpty()) continue;
      if (e.date.date() < r_.from || e.date.date() > r_.to) continue;
      lines << dateText(e.date) + QStringLiteral(" — ") + e.note.trimmed();
    }
    if (lines.isEmpty()) return;
    pg_.ensure(3 * kRow);
    pg_.paragraph(t(reporttext::kNotes), reportFont(10.5, true));
    pg_.space(3);
    for (const QString& line : lines) pg_.paragraph(line, reportFont(9));
    pg_.space(kGap);
  }

  void actions(const ReportSegment& s) {
    QStringList lines;
    if (s.failed > 0 || s.runs[*s.current].table.verdictColour == Status::Red)
      lines << t(reporttext::kActionRepair);
    if (s.warnings > 0) lines << t(reporttext::kActionWatch);
    if (s.shrunk > 0) lines << t(reporttext::kActionShrank);
    if (s.history)
      for (std::size_t i = 0; i < s.reaches.size(); ++i)
        if (s.reaches[i] && !s.reaches[i]->alreadyReached)
          lines << pick(reporttext::kActionBefore, r_.language)
                       .arg(s.history->measurements[i].name,
                            s.reaches[i]->date.date().toString(Qt::ISODate));
    if (!s.baseline) lines << t(reporttext::kActionBaseline);
    if (lines.isEmpty()) lines << t(reporttext::kActionNone);
    pg_.ensure(3 * kRow);
    pg_.paragraph(t(reporttext::kActions), reportFont(10.5, true));
    pg_.space(3);
    for (const QString& line : lines) pg_.bullet(line, reportFont(9));
    pg_.space(kGap);
  }

  void footnote(const ReportSegment& s) {
    if (std::none_of(s.reaches.begin(), s.reaches.end(),
                     [](const std::optional<LimitReach>& r) { return r.has_value(); }))
      return;
    pg_.paragraph(QStringLiteral("¹ ") + limitReachMethodText(r_.language), reportFont(7), kGrey);
  }

  void signature() {
    pg_.ensure(120);
    pg_.space(kGap * 2);
    pg_.paragraph(t(reporttext::kSignature), reportFont(10.5, true));
    pg_.space(6);
    const QString name = t(reporttext::kSignatureName), date = t(reporttext::kDate);
    const QString signatureWord = t(reporttext::kSignatureLine);
    pg_.block(80, [&](Canvas& canvas, const QRectF& area) {
      QPainter& p = canvas.p;
      p.setFont(reportFont(9));
      p.setPen(kText);
      const double w = area.width() / 2 - 10;
      canvas.text(QRectF(area.left(), area.top(), w, 14), int(Qt::AlignLeft), name);
      canvas.text(QRectF(area.left() + w + 20, area.top(), w, 14), int(Qt::AlignLeft), date);
      p.setPen(QPen(kText, 0.6));
      p.drawLine(QPointF(area.left(), area.top() + 30), QPointF(area.left() + w, area.top() + 30));
      p.drawLine(QPointF(area.left() + w + 20, area.top() + 30),
                 QPointF(area.right(), area.top() + 30));
      p.drawLine(QPointF(area.left(), area.bottom() - 14),
                 QPointF(area.left() + w, area.bottom() - 14));
      p.setFont(reportFont(7));
      p.setPen(kGrey);
      canvas.text(QRectF(area.left(), area.bottom() - 12, w, 10), int(Qt::AlignLeft),
                  signatureWord);
    });
  }

  const Report& r_;
  Pages& pg_;
};

void setUpWriter(QPdfWriter& writer, const Report& report, Paper paper) {
  writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
  writer.setResolution(kResolution);
  writer.setPageLayout(
      QPageLayout(QPageSize(paper == Paper::Letter ? QPageSize::Letter : QPageSize::A4),
                  QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
  writer.setTitle(pick(reporttext::kTitle, report.language) + QStringLiteral(" — ") +
                  report.site.name);
  writer.setCreator(QStringLiteral("KARVEL"));
}

}  // namespace

std::optional<QByteArray> reportPdf(const Report& report, Paper paper, QString* error,
                                    const ReportWatch& watch) {
  // First the pages are counted (nothing drawn), then drawn with "page n of m".
  int pageCount = 0;
  {
    QBuffer nowhere;
    nowhere.open(QIODevice::WriteOnly);
    QPdfWriter writer(&nowhere);
    setUpWriter(writer, report, paper);
    Pages pages(report, writer, nullptr, 0, watch);
    ReportPainter(report, pages).paint();
    pageCount = pages.pages();
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    setUpWriter(writer, report, paper);
    QPainter painter;
    if (!painter.begin(&writer)) {
      if (error) *error = pick(reporttext::kPainterFailed, report.language);
      return std::nullopt;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    Pages pages(report, writer, &painter, pageCount, watch);
    ReportPainter(report, pages).paint();
    if (!painter.end()) {
      if (error) *error = pick(reporttext::kPainterFailed, report.language);
      return std::nullopt;
    }
  }
  return bytes;
}

bool writeReportPdf(const Report& report, Paper paper, const QString& path, QString* error) {
  QString why;
  const std::optional<QByteArray> bytes = reportPdf(report, paper, &why);
  if (!bytes || !writeFileWhole(path, *bytes, &why, report.language)) {
    if (error) *error = pick(reporttext::kCannotWrite, report.language).arg(path, why);
    return false;
  }
  return true;
}

}  // namespace karvel
