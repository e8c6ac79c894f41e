// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/ReportPdf.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTextLayout>
#include <algorithm>
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

// A number in base units with the prefix that suits it ("8.02 µs").
QString valueText(std::optional<double> value, const QString& unit) {
  if (!value) return QStringLiteral("—");
  double v = *value;
  QString prefix;
  if (isBaseUnit(unit) && v != 0 && std::isfinite(v)) {
    static const std::pair<double, const char16_t*> prefixes[] = {
        {1e9, u"G"},  {1e6, u"M"},  {1e3, u"k"},  {1, u""},
        {1e-3, u"m"}, {1e-6, u"µ"}, {1e-9, u"n"}, {1e-12, u"p"}};
    for (const auto& [factor, name] : prefixes) {
      if (std::fabs(v) >= factor * 0.9995 || factor == 1e-12) {
        v /= factor;
        prefix = QString::fromUtf16(name);
        break;
      }
    }
  }
  // A rate per second reads better per the time unit that gives it a
  // size people know ("2.9 V/µs" rather than 2900000 V/s).
  QString shownUnit = unit;
  if (unit.endsWith(QLatin1String("/s")) && isBaseUnit(unit.left(unit.size() - 2)) && v != 0 &&
      std::isfinite(v) && std::fabs(v) >= 1000) {
    static const std::pair<double, const char16_t*> per[] = {
        {1e-3, u"ms"}, {1e-6, u"µs"}, {1e-9, u"ns"}};
    for (const auto& [factor, name] : per) {
      if (std::fabs(v * factor) < 1000 || factor == 1e-9) {
        v *= factor;
        shownUnit = unit.left(unit.size() - 1) + QString::fromUtf16(name);
        break;
      }
    }
  }
  QString number = QString::number(v, 'g', 4);
  if (number.contains(u'e')) number = QString::number(v, 'e', 3);
  const QString u = prefix + shownUnit;
  return u.isEmpty() ? number : number + u' ' + u;
}

QString marginText(std::optional<double> margin) {
  if (!margin) return QStringLiteral("—");
  return QString::number(std::round(*margin * 100), 'f', 0) + QStringLiteral(" %");
}

struct Cell {
  Cell() = default;
  Cell(QString shown) : text(std::move(shown)) {}  // NOLINT: a cell of text
  QString text;
  QColor fill;  // invalid: none
  bool bold = false;
  QColor colour = kText;
  int span = 1;                                         // columns it covers
  std::function<void(QPainter&, const QRectF&)> paint;  // drawn instead of the text
};

struct Column {
  Column(QString heading, double widthShare, Qt::Alignment alignment = Qt::AlignLeft)
      : title(std::move(heading)), share(widthShare), align(alignment) {}
  QString title;
  double share;  // of the width
  Qt::Alignment align;
};

class Pages {
 public:
  Pages(const Report& report, QPdfWriter& writer, QPainter* painter, int pageCount)
      : r_(report), writer_(writer), p_(painter), pageCount_(pageCount) {
    const QSizeF size = writer.pageLayout().fullRectPoints().size();
    width_ = size.width();
    height_ = size.height();
    startPage(false);
  }

  int pages() const { return page_; }
  double contentWidth() const { return width_ - 2 * kMargin; }
  QString t(const Text5& text) const { return pick(text, r_.language); }

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

  // A table, its heading row repeated on each page it runs over.
  void table(const std::vector<Column>& columns, std::size_t rows,
             const std::function<std::vector<Cell>(std::size_t)>& cellsOf) {
    const QFont headFont = reportFont(7.5, true);
    const QFontMetricsF hm(headFont, &writer_);
    double headHeight = kRow;
    for (const Column& c : columns)
      headHeight =
          std::max(headHeight, hm.boundingRect(QRectF(0, 0, c.share * contentWidth() - 6, 1e6),
                                               Qt::TextWordWrap, c.title)
                                       .height() +
                                   4);
    auto head = [&] {
      if (p_) {
        double x = kMargin;
        p_->fillRect(QRectF(kMargin, y_, contentWidth(), headHeight), kHeadFill);
        p_->setFont(headFont);
        p_->setPen(kText);
        for (const Column& c : columns) {
          const double w = c.share * contentWidth();
          p_->drawText(QRectF(x + 3, y_ + 2, w - 6, headHeight - 4),
                       Qt::TextWordWrap | Qt::AlignVCenter | c.align, c.title);
          x += w;
        }
      }
      y_ += headHeight;
    };
    ensure(headHeight + kRow);
    head();
    const QFont font = reportFont(8), bold = reportFont(8, true);
    const QFontMetricsF plain(font, &writer_), strong(bold, &writer_);
    // Each cell's place: the columns it covers.
    auto placeCells = [&](const std::vector<Cell>& cells) {
      std::vector<std::pair<double, double>> places;  // left, width
      double x = kMargin;
      for (std::size_t c = 0, k = 0; c < columns.size() && k < cells.size(); ++k) {
        double w = 0;
        for (int n = 0; n < std::max(cells[k].span, 1) && c < columns.size(); ++n, ++c)
          w += columns[c].share * contentWidth();
        places.emplace_back(x, w);
        x += w;
      }
      return places;
    };
    for (std::size_t i = 0; i < rows; ++i) {
      const std::vector<Cell> cells = cellsOf(i);
      const std::vector<std::pair<double, double>> places = placeCells(cells);
      // A long name or a list of flags wraps: the row grows, nothing is cut.
      double rowHeight = kRow;
      for (std::size_t k = 0; k < places.size(); ++k) {
        if (cells[k].paint || cells[k].text.isEmpty()) continue;
        const QFontMetricsF& fm = cells[k].bold ? strong : plain;
        rowHeight = std::max(rowHeight, fm.boundingRect(QRectF(0, 0, places[k].second - 6, 1e6),
                                                        Qt::TextWordWrap, cells[k].text)
                                                .height() +
                                            4);
      }
      if (y_ + rowHeight > height_ - kBottom) {
        newPage();
        head();
      }
      if (p_) {
        if (i % 2 == 1) p_->fillRect(QRectF(kMargin, y_, contentWidth(), rowHeight), kStripe);
        std::size_t column = 0;
        for (std::size_t k = 0; k < places.size(); ++k) {
          const Cell& cell = cells[k];
          const QRectF rect(places[k].first, y_, places[k].second, rowHeight);
          if (cell.fill.isValid()) p_->fillRect(rect.adjusted(1, 1, -1, -1), cell.fill);
          if (cell.paint) {
            cell.paint(*p_, QRectF(rect.left(), rect.center().y() - kRow / 2, rect.width(), kRow));
          } else {
            p_->setFont(cell.bold ? bold : font);
            p_->setPen(cell.colour);
            p_->drawText(rect.adjusted(3, 2, -3, -2),
                         Qt::AlignVCenter | Qt::TextWordWrap | columns[column].align, cell.text);
          }
          column += std::size_t(std::max(cell.span, 1));
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
    ensure(
        fm.boundingRect(QRectF(0, 0, contentWidth() - 12, 1e6), Qt::TextWordWrap, text).height());
    if (p_) {
      p_->setFont(font);
      p_->setPen(kText);
      p_->drawText(QPointF(kMargin + 2, y_ + fm.ascent()), QStringLiteral("•"));
    }
    paragraph(text, font, kText, 12);
  }

  // A block of fixed height drawn by `paint` into the content width.
  void block(double height, const std::function<void(QPainter&, const QRectF&)>& paint) {
    ensure(height);
    if (p_) paint(*p_, QRectF(kMargin, y_, contentWidth(), height));
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
    const double room = header.width() - fm.horizontalAdvance(visitText()) - 12;
    p_->drawText(header, Qt::AlignLeft | Qt::AlignVCenter,
                 fm.elidedText(left, Qt::ElideRight, std::max(room, 40.0)));
    p_->drawText(header, Qt::AlignRight | Qt::AlignVCenter, visitText());
    p_->setPen(QPen(kRule, 0.6));
    p_->drawLine(QPointF(kMargin, 40), QPointF(width_ - kMargin, 40));
    p_->setPen(kGrey);
    p_->drawText(QRectF(kMargin, height_ - 32, width_ - 2 * kMargin, 14),
                 Qt::AlignRight | Qt::AlignVCenter,
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

// The tolerance bar of a row: the band, its warning zones at both ends and
// the value's marker in its status colour; a value outside is held at the
// end it passed, with an arrow.
void paintBar(QPainter& p, const QRectF& cell, const ResultRow& row, int language) {
  const Quantity min = siQuantity(row.cells[1]), max = siQuantity(row.cells[2]),
                 value = siQuantity(row.cells[3]);
  const bool drawable = min.number && max.number && value.number && *max.number > *min.number &&
                        std::isfinite(*min.number) && std::isfinite(*max.number) &&
                        std::isfinite(*value.number);
  if (!drawable) {
    p.setFont(reportFont(7));
    p.setPen(kGrey);
    p.drawText(cell.adjusted(6, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft,
               pick(reporttext::kNoNumber, language));
    return;
  }
  const QRectF band(cell.left() + 10, cell.center().y() - 2.5, cell.width() - 20, 5);
  p.fillRect(band, kBandFill);
  const double zone = 0.1 * band.width();
  p.fillRect(QRectF(band.left(), band.top(), zone, band.height()), kZoneFill);
  p.fillRect(QRectF(band.right() - zone, band.top(), zone, band.height()), kZoneFill);
  p.setPen(QPen(kGrey, 0.4));
  p.setBrush(Qt::NoBrush);
  p.drawRect(band);
  const double t = (*value.number - *min.number) / (*max.number - *min.number);
  const double x = band.left() + std::clamp(t, 0.0, 1.0) * band.width();
  QColor colour = statusColour(row.status);
  if (!colour.isValid()) colour = kText;
  const QRectF marker(x - 2, cell.center().y() - 5, 4, 10);
  p.fillRect(marker, colour);
  p.setPen(QPen(Qt::black, 0.5));
  p.drawRect(marker);
  if (t < 0 || t > 1) {
    const double dir = t < 0 ? -1 : 1;
    const double tip = (t < 0 ? band.left() : band.right()) + dir * 8;
    QPainterPath arrow;
    arrow.moveTo(tip, cell.center().y());
    arrow.lineTo(tip - dir * 5, cell.center().y() - 3.5);
    arrow.lineTo(tip - dir * 5, cell.center().y() + 3.5);
    arrow.closeSubpath();
    p.fillPath(arrow, colour);
  }
}

// A measurement over the segment's results: its values by date on its band
// (the minimum and maximum of each result), the points in their status
// colours, the straight line through them when it says when a limit comes.
void paintChart(QPainter& p, const QRectF& area, const Comparison& c, std::size_t index,
                const std::optional<LimitReach>& reach, int language) {
  const CompareMeasurement& m = c.measurements[index];
  const QFont titleFont = reportFont(8, true);
  p.setFont(titleFont);
  p.setPen(kText);
  // A long name is shortened, the number of results kept.
  const QString count = QString::number(c.runs.size());
  const QString whole = pick(reporttext::kChartTitle, language).arg(m.name, count);
  const QFontMetricsF fm(titleFont, p.device());
  QString title = whole;
  if (fm.horizontalAdvance(whole) > area.width()) {
    const double room = area.width() - fm.horizontalAdvance(whole) + fm.horizontalAdvance(m.name);
    title = pick(reporttext::kChartTitle, language)
                .arg(fm.elidedText(m.name, Qt::ElideRight, std::max(room, 20.0)), count);
  }
  p.drawText(QRectF(area.left(), area.top(), area.width(), 12), Qt::AlignLeft | Qt::AlignVCenter,
             title);
  const QRectF plot(area.left() + 62, area.top() + 18, area.width() - 74, area.height() - 40);
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
  const qint64 t0 = c.runs.front().date.toMSecsSinceEpoch();
  const qint64 t1 = c.runs.back().date.toMSecsSinceEpoch();
  const double span = double(std::max<qint64>(t1 - t0, 1));
  const bool oneDate = t1 == t0;
  auto xAt = [&](std::size_t r) {
    if (oneDate) return plot.left() + plot.width() * (double(r) + 0.5) / double(c.runs.size());
    return plot.left() + 8 +
           (plot.width() - 16) * double(c.runs[r].date.toMSecsSinceEpoch() - t0) / span;
  };
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
  if (reach && !oneDate) {
    // The fitted line across the results' dates.
    const double intercept0 = [&] {
      double sx = 0, sy = 0;
      int n = 0;
      for (std::size_t r = 0; r < c.runs.size(); ++r)
        if (m.values[r]) {
          sx += double(c.runs[r].date.toMSecsSinceEpoch() - t0) / 86400000.0;
          sy += *m.values[r];
          ++n;
        }
      return n ? sy / n - reach->slopePerDay * sx / n : 0.0;
    }();
    const double days = span / 86400000.0;
    p.setPen(QPen(kGrey, 0.8, Qt::DotLine));
    p.drawLine(QPointF(plot.left() + 8, yAt(intercept0)),
               QPointF(plot.right() - 8, yAt(intercept0 + reach->slopePerDay * days)));
  }
  p.save();
  p.setClipRect(plot);
  p.setPen(QPen(kText, 0.9));
  std::optional<QPointF> last;
  for (std::size_t r = 0; r < c.runs.size(); ++r) {
    if (!m.values[r]) continue;
    const QPointF at(xAt(r), yAt(*m.values[r]));
    if (last) p.drawLine(*last, at);
    last = at;
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
  // The scale: the band's ends of the latest result, else the plot's.
  p.setFont(reportFont(6.5));
  p.setPen(kGrey);
  auto label = [&](double v) {
    p.drawText(QRectF(area.left(), yAt(v) - 6, 58, 12), Qt::AlignRight | Qt::AlignVCenter,
               valueText(v, m.unit));
  };
  const std::size_t latest = c.runs.size() - 1;
  if (m.minimum[latest]) label(*m.minimum[latest]);
  if (m.maximum[latest]) label(*m.maximum[latest]);
  if (!m.minimum[latest] && !m.maximum[latest]) {
    label(lo + pad);
    label(hi - pad);
  }
  // The dates below: the first, the last, and between them those with room.
  constexpr double kLabelRoom = 50;
  double lastLabel = -1e9;
  for (std::size_t r = 0; r < c.runs.size(); ++r) {
    const double x = xAt(r);
    if (r != 0 && r != latest && (x - lastLabel < kLabelRoom || xAt(latest) - x < kLabelRoom))
      continue;
    lastLabel = x;
    QRectF box(x - 25, plot.bottom() + 2, 50, 10);
    if (box.right() > area.right()) box.moveRight(area.right());
    p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, c.runs[r].date.date().toString(Qt::ISODate));
  }
  if (reach) {
    p.setFont(reportFont(7, true));
    p.setPen(kText);
    p.drawText(QRectF(area.left(), plot.bottom() + 12, area.width(), 12),
               Qt::AlignRight | Qt::AlignVCenter,
               pick(reporttext::kLimitReach, language) + QStringLiteral(": ") +
                   limitReachText(*reach, language) + QStringLiteral(" ¹"));
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
      const QString company = r_.companyName;
      pg_.block(logoHeight, [&](QPainter& p, const QRectF& area) {
        double x = area.left();
        if (!logo.isNull()) {
          QSizeF size = logo.size();
          size.scale(160, logoHeight, Qt::KeepAspectRatio);
          // Flattened on white: PDF/A-1b allows no transparency.
          QImage flat(logo.size(), QImage::Format_RGB32);
          flat.fill(Qt::white);
          QPainter onWhite(&flat);
          onWhite.drawImage(0, 0, logo);
          onWhite.end();
          p.drawImage(QRectF(QPointF(x, area.top()), size), flat);
          x += size.width() + 14;
        }
        p.setFont(reportFont(14, true));
        p.setPen(kText);
        p.drawText(QRectF(x, area.top(), area.right() - x, logoHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, company);
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
    pg_.block(20, [&](QPainter& p, const QRectF& area) {
      p.setFont(reportFont(10, true));
      p.setPen(kText);
      p.drawText(QRectF(area.left(), area.top(), 70, 20), Qt::AlignLeft | Qt::AlignVCenter,
                 t(reporttext::kVerdict));
      const QRectF chip(area.left() + 72, area.top() + 1, 90, 18);
      p.fillRect(chip, statusColour(verdict));
      p.setPen(verdict == Status::Red ? QColor(Qt::white) : kText);
      p.drawText(chip, Qt::AlignCenter, verdictWords);
      p.setPen(kText);
      p.setFont(reportFont(9));
      p.drawText(QRectF(chip.right() + 10, area.top(), area.right() - chip.right() - 10, 20),
                 Qt::AlignLeft | Qt::AlignVCenter, sentence);
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
      bar.paint = [&row, language](QPainter& p, const QRectF& rect) {
        paintBar(p, rect, row, language);
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
      Cell then{valueText(ch.then, ch.unit)}, nowCell{valueText(ch.now, ch.unit)};
      then.fill = statusColour(ch.then ? ch.statusThen : Status::None);
      nowCell.fill = statusColour(ch.now ? ch.statusNow : Status::None);
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
      pg_.block(kChartHeight, [&](QPainter& p, const QRectF& area) {
        const double w = (area.width() - 16) / 2;
        for (std::size_t j = 0; j < 2 && k + j < s.flagged.size(); ++j) {
          const std::size_t index = s.flagged[k + j];
          paintChart(p, QRectF(area.left() + double(j) * (w + 16), area.top(), w, area.height()),
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
    pg_.block(80, [&](QPainter& p, const QRectF& area) {
      p.setFont(reportFont(9));
      p.setPen(kText);
      const double w = area.width() / 2 - 10;
      p.drawText(QRectF(area.left(), area.top(), w, 14), Qt::AlignLeft, name);
      p.drawText(QRectF(area.left() + w + 20, area.top(), w, 14), Qt::AlignLeft, date);
      p.setPen(QPen(kText, 0.6));
      p.drawLine(QPointF(area.left(), area.top() + 30), QPointF(area.left() + w, area.top() + 30));
      p.drawLine(QPointF(area.left() + w + 20, area.top() + 30),
                 QPointF(area.right(), area.top() + 30));
      p.drawLine(QPointF(area.left(), area.bottom() - 14),
                 QPointF(area.left() + w, area.bottom() - 14));
      p.setFont(reportFont(7));
      p.setPen(kGrey);
      p.drawText(QRectF(area.left(), area.bottom() - 12, w, 10), Qt::AlignLeft, signatureWord);
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

std::optional<QByteArray> reportPdf(const Report& report, Paper paper, QString* error) {
  // First the pages are counted (nothing drawn), then drawn with "page n of m".
  int pageCount = 0;
  {
    QBuffer nowhere;
    nowhere.open(QIODevice::WriteOnly);
    QPdfWriter writer(&nowhere);
    setUpWriter(writer, report, paper);
    Pages pages(report, writer, nullptr, 0);
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
    Pages pages(report, writer, &painter, pageCount);
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
