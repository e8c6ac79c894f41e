// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/WindowPrint.h"

#include <QDir>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>
#include <climits>
#include <vector>

#include "core/frame/Interaction.h"

namespace karvel::ui {

void nameAfterFile(PrintChoice& choice, const QString& shownFile, bool temporary) {
  const QString file = QDir::fromNativeSeparators(shownFile.trimmed());
  const QFileInfo info(file);
  const QString stem = info.fileName().section(u'.', 0, 0);
  if (file.isEmpty() || stem.isEmpty()) return;
  choice.documentName = info.fileName();
  const QFileInfo folder(info.absolutePath());
  const bool beside = !temporary && folder.isDir() && folder.isWritable();
  const QDir where = beside ? QDir(info.absolutePath()) : QDir::home();
  choice.proposedFile =
      QDir::toNativeSeparators(where.absoluteFilePath(stem + QStringLiteral(".pdf")));
}

void setUpPrinter(QPrinter& printer, const PrintChoice& choice) {
  if (!choice.outputFile.isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir::fromNativeSeparators(choice.outputFile));
  } else if (!choice.printerName.isEmpty()) {
    printer.setPrinterName(choice.printerName);
  }
  printer.setColorMode(choice.colourMode == 2 ? QPrinter::Color : QPrinter::GrayScale);
  printer.setDuplex(choice.duplex == 1   ? QPrinter::DuplexLongSide
                    : choice.duplex == 2 ? QPrinter::DuplexShortSide
                                         : QPrinter::DuplexNone);
  if (!choice.documentName.isEmpty()) printer.setDocName(choice.documentName);
}

namespace {

// Replays recorded drawing onto another painter inside a clip of our own.
// A recorded widget brings its own clip operations, and "replace the clip"
// would drop ours (a printer's engine has no system clip to fall back on):
// here every clip the drawing sets only narrows ours.
class ClippedEngine : public QPaintEngine {
 public:
  ClippedEngine(QPainter& target, const QRectF& clip)
      : QPaintEngine(QPaintEngine::AllFeatures), target_(target), base_(target.transform()) {
    baseClip_.addRect(clip);
  }

  bool begin(QPaintDevice*) override {
    target_.save();
    applyClip();
    return true;
  }
  bool end() override {
    target_.restore();
    return true;
  }
  Type type() const override { return QPaintEngine::User; }

  void updateState(const QPaintEngineState& state) override {
    const DirtyFlags dirty = state.state();
    if (dirty & DirtyPen) {
      // A hairline (a table's grid) is one screen pixel wide: on a 1200 dpi
      // page it would all but vanish, so it keeps its width in window pixels.
      QPen pen = state.pen();
      if (pen.isCosmetic()) {
        pen.setCosmetic(false);
        pen.setWidthF(std::max<qreal>(1, pen.widthF()));
      }
      target_.setPen(pen);
    }
    if (dirty & DirtyBrush) target_.setBrush(state.brush());
    if (dirty & DirtyBrushOrigin) target_.setBrushOrigin(state.brushOrigin());
    if (dirty & DirtyBackground) target_.setBackground(state.backgroundBrush());
    if (dirty & DirtyBackgroundMode) target_.setBackgroundMode(state.backgroundMode());
    if (dirty & DirtyFont) target_.setFont(state.font());
    if (dirty & DirtyHints) target_.setRenderHints(state.renderHints());
    if (dirty & DirtyCompositionMode) target_.setCompositionMode(state.compositionMode());
    if (dirty & DirtyOpacity) target_.setOpacity(state.opacity());
    if (dirty & DirtyTransform) {
      transform_ = state.transform();
      target_.setTransform(transform_ * base_);
    }
    // A clip is given in the coordinates in force when it was set.
    if (dirty & (DirtyClipRegion | DirtyClipPath)) {
      QPainterPath path;
      if (dirty & DirtyClipPath) {
        path = state.clipPath();
      } else {
        path.addRegion(state.clipRegion());
      }
      path = transform_.map(path);
      switch (state.clipOperation()) {
        case Qt::NoClip:
          clipped_ = false;
          break;
        case Qt::ReplaceClip:
          clip_ = path;
          clipped_ = true;
          break;
        case Qt::IntersectClip:
          clip_ = clipped_ ? clip_.intersected(path) : path;
          clipped_ = true;
          break;
      }
    }
    if (dirty & DirtyClipEnabled) clipped_ = state.isClipEnabled() && !clip_.isEmpty();
    if (dirty & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled)) applyClip();
  }

  void drawRects(const QRectF* rects, int count) override { target_.drawRects(rects, count); }
  void drawLines(const QLineF* lines, int count) override { target_.drawLines(lines, count); }
  void drawEllipse(const QRectF& rect) override { target_.drawEllipse(rect); }
  void drawPath(const QPainterPath& path) override { target_.drawPath(path); }
  void drawPoints(const QPointF* points, int count) override { target_.drawPoints(points, count); }
  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    switch (mode) {
      case PolylineMode:
        target_.drawPolyline(points, count);
        break;
      case WindingMode:
        target_.drawPolygon(points, count, Qt::WindingFill);
        break;
      default:
        target_.drawPolygon(points, count, Qt::OddEvenFill);
        break;
    }
  }
  void drawPixmap(const QRectF& rect, const QPixmap& pixmap, const QRectF& source) override {
    target_.drawPixmap(rect, pixmap, source);
  }
  void drawTiledPixmap(const QRectF& rect, const QPixmap& pixmap, const QPointF& at) override {
    target_.drawTiledPixmap(rect, pixmap, at);
  }
  void drawImage(const QRectF& rect, const QImage& image, const QRectF& source,
                 Qt::ImageConversionFlags flags) override {
    target_.drawImage(rect, image, source, flags);
  }
  void drawTextItem(const QPointF& at, const QTextItem& text) override {
    target_.drawTextItem(at, text);
  }

 private:
  // Clips are kept in the coordinates of the replay's start.
  void applyClip() {
    const QTransform now = target_.transform();
    target_.setTransform(base_);
    target_.setClipPath(clipped_ ? baseClip_.intersected(clip_) : baseClip_);
    target_.setTransform(now);
  }

  QPainter& target_;
  const QTransform base_;
  QPainterPath baseClip_;
  QTransform transform_;
  QPainterPath clip_;
  bool clipped_ = false;
};

// The paint device of a replay: as large as needed, at the resolution the
// picture was recorded in, so that the picture is replayed unscaled.
class ClippedReplay : public QPaintDevice {
 public:
  ClippedReplay(QPainter& target, const QRectF& clip, int dpiX, int dpiY)
      : engine_(target, clip), dpiX_(dpiX), dpiY_(dpiY) {}
  ~ClippedReplay() override = default;
  QPaintEngine* paintEngine() const override { return &engine_; }

 protected:
  int metric(PaintDeviceMetric metric) const override {
    constexpr int kSide = 1 << 20;
    switch (metric) {
      case PdmWidth:
      case PdmHeight:
        return kSide;
      case PdmWidthMM:
        return int(kSide * 25.4 / dpiX_);
      case PdmHeightMM:
        return int(kSide * 25.4 / dpiY_);
      case PdmDpiX:
      case PdmPhysicalDpiX:
        return dpiX_;
      case PdmDpiY:
      case PdmPhysicalDpiY:
        return dpiY_;
      case PdmNumColors:
        return INT_MAX;
      case PdmDepth:
        return 32;
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
      default:
        return 0;
    }
  }

 private:
  mutable ClippedEngine engine_;
  int dpiX_;
  int dpiY_;
};

// One widget's own drawing (its children come separately), where it sits in
// the window and the part of it that shows there.
struct WidgetDrawing {
  QPicture picture;
  QPoint at;
  QRect shown;
};

// Widgets told to render onto a printer paint into a bitmap first. Recorded
// as pictures they keep their drawing commands, text included, and replay
// them on the page at the printer's resolution. A picture loses the clip
// that keeps a widget inside its parent (a table's cells inside its
// viewport), so each widget is recorded alone and kept on the page to what
// of it shows in the window: parents before children, siblings in stacking
// order, as the screen paints them.
void recordWidgets(QWidget& window, QWidget& widget, const QRect& parentShown,
                   std::vector<WidgetDrawing>& out) {
  const QPoint at = widget.mapTo(&window, QPoint());
  const QRect shown = parentShown & QRect(at, widget.size());
  if (shown.isEmpty()) return;
  WidgetDrawing drawing;
  drawing.at = at;
  drawing.shown = shown;
  {
    QPainter recorder(&drawing.picture);
    widget.render(&recorder, QPoint(), QRegion(),
                  &widget == &window ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
  }
  out.push_back(std::move(drawing));
  for (QObject* child : widget.children()) {
    auto* w = qobject_cast<QWidget*>(child);
    // Visible in the window, whether or not the window is on the screen.
    if (w && !w->isWindow() && w->isVisibleTo(&window)) recordWidgets(window, *w, shown, out);
  }
}

}  // namespace

bool renderWindow(QWidget& window, QPrinter& printer) {
  const QSize size = window.size();
  if (size.isEmpty()) return false;
  std::vector<WidgetDrawing> drawings;
  recordWidgets(window, window, QRect(QPoint(), size), drawings);

  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // Window pixels (1/96 inch on the screen) to the page, as large as it fits.
  const QRect page = painter.viewport();
  const qreal scale =
      std::min(qreal(page.width()) / size.width(), qreal(page.height()) / size.height());
  painter.translate(page.topLeft());
  painter.scale(scale, scale);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  for (WidgetDrawing& drawing : drawings) {
    painter.save();
    painter.translate(drawing.at);
    ClippedReplay replay(painter, drawing.shown.translated(-drawing.at),
                         drawing.picture.logicalDpiX(), drawing.picture.logicalDpiY());
    QPainter replayer(&replay);
    drawing.picture.play(&replayer);
    replayer.end();
    painter.restore();
  }
  return painter.end();
}

bool printWindow(QWidget& window, const PrintChoice& choice) {
  QPrinter printer(QPrinter::HighResolution);
  setUpPrinter(printer, choice);
  return renderWindow(window, printer);
}

QString printTargetName(const PrintChoice& choice) {
  if (!choice.outputFile.isEmpty()) return QDir::toNativeSeparators(choice.outputFile);
  if (!choice.printerName.isEmpty()) return choice.printerName;
  return QPrinterInfo::defaultPrinterName();
}

}  // namespace karvel::ui
