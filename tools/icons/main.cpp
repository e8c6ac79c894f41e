// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-icons: paints the toolbar images into the folder given as argument,
// each as <name>.bmp (24 x 24) and <name>@2x.bmp (48 x 48) for high-density
// screens. Bitmaps have no transparency: the background is the key colour
// that the program makes see-through (see src/ui/frame/ToolbarIcons.h).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cstdio>
#include <functional>

namespace {

constexpr QRgb kKey = 0xFFEFEFF1;  // same value as karvel::ui::kToolbarKeyColour

const QColor kOutline(0x3a, 0x3f, 0x4b);

QPen outline(qreal width = 1.0) {
  QPen pen(kOutline, width);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  return pen;
}

QLinearGradient vertical(qreal top, qreal bottom, QColor light, QColor dark) {
  QLinearGradient g(0, top, 0, bottom);
  g.setColorAt(0, light);
  g.setColorAt(1, dark);
  return g;
}

// An arrow along the vertical line x from y0 to y1 (pointing at y1).
void arrow(QPainter& p, qreal x, qreal y0, qreal y1, QColor fill) {
  const qreal dir = y1 > y0 ? 1 : -1;
  const qreal head = 5.5;
  QPolygonF shape;
  shape << QPointF(x - 2.2, y0) << QPointF(x + 2.2, y0) << QPointF(x + 2.2, y1 - dir * head)
        << QPointF(x + 5.5, y1 - dir * head) << QPointF(x, y1) << QPointF(x - 5.5, y1 - dir * head)
        << QPointF(x - 2.2, y1 - dir * head);
  p.setPen(outline(0.9));
  p.setBrush(fill);
  p.drawPolygon(shape);
}

// A small instrument (a handheld scope) at the top of the transfer images.
void instrument(QPainter& p, QRectF r) {
  p.setPen(outline(0.9));
  p.setBrush(vertical(r.top(), r.bottom(), QColor(0x3d, 0x6f, 0xb0), QColor(0x1d, 0x35, 0x57)));
  p.drawRoundedRect(r, 1.6, 1.6);
  const QRectF screen = r.adjusted(1.8, 1.6, -1.8, -1.6);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x0b, 0x13, 0x20));
  p.drawRect(screen);
  QPen trace(QColor(0x2e, 0xcc, 0x71), 0.9);
  p.setPen(trace);
  const qreal y0 = screen.bottom() - 1.0, y1 = screen.top() + 1.0;
  const qreal w = screen.width();
  QPolygonF wave;
  wave << QPointF(screen.left() + 0.5, y0) << QPointF(screen.left() + w * 0.25, y0)
       << QPointF(screen.left() + w * 0.25, y1) << QPointF(screen.left() + w * 0.55, y1)
       << QPointF(screen.left() + w * 0.55, y0) << QPointF(screen.left() + w * 0.8, y0)
       << QPointF(screen.left() + w * 0.8, y1) << QPointF(screen.right() - 0.5, y1);
  p.drawPolyline(wave);
}

// A PC tray at the bottom of the transfer images.
void tray(QPainter& p) {
  p.setPen(outline(0.9));
  p.setBrush(vertical(17, 22, QColor(0xf6, 0xf5, 0xf4), QColor(0xb0, 0xb4, 0xbb)));
  QPainterPath path;
  path.moveTo(2.5, 16.5);
  path.lineTo(7, 16.5);
  path.lineTo(8.5, 18.5);
  path.lineTo(15.5, 18.5);
  path.lineTo(17, 16.5);
  path.lineTo(21.5, 16.5);
  path.lineTo(21.5, 21.5);
  path.lineTo(2.5, 21.5);
  path.closeSubpath();
  p.drawPath(path);
}

void paintOpen(QPainter& p) {
  // Folder back.
  p.setPen(outline());
  p.setBrush(vertical(4, 20, QColor(0xf8, 0xd8, 0x6a), QColor(0xd8, 0xa2, 0x1c)));
  QPainterPath back;
  back.moveTo(2.5, 19.5);
  back.lineTo(2.5, 5.5);
  back.lineTo(8.5, 5.5);
  back.lineTo(10.5, 7.5);
  back.lineTo(19.5, 7.5);
  back.lineTo(19.5, 10);
  back.lineTo(2.5, 19.5);
  p.drawPath(back);
  // Sheet sticking out.
  p.setBrush(Qt::white);
  p.drawRect(QRectF(5.5, 8.5, 12, 7));
  // Open flap.
  p.setBrush(vertical(10, 20, QColor(0xfc, 0xe9, 0x9a), QColor(0xe6, 0xb4, 0x34)));
  QPolygonF flap;
  flap << QPointF(2.5, 19.5) << QPointF(6.5, 10.5) << QPointF(22.5, 10.5) << QPointF(18.5, 19.5);
  p.drawPolygon(flap);
}

void paintSave(QPainter& p) {
  p.setPen(outline());
  p.setBrush(vertical(3, 21, QColor(0x5b, 0x8f, 0xd6), QColor(0x1f, 0x4e, 0x8c)));
  QPainterPath body;
  body.moveTo(3.5, 3.5);
  body.lineTo(17.5, 3.5);
  body.lineTo(20.5, 6.5);
  body.lineTo(20.5, 20.5);
  body.lineTo(3.5, 20.5);
  body.closeSubpath();
  p.drawPath(body);
  // Shutter.
  p.setBrush(QColor(0xd0, 0xd4, 0xda));
  p.drawRect(QRectF(7.5, 3.5, 8, 5.5));
  p.setBrush(kOutline);
  p.setPen(Qt::NoPen);
  p.drawRect(QRectF(12.5, 4.5, 2, 3.5));
  // Label.
  p.setPen(outline(0.8));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6.5, 12.5, 11, 8));
  p.setPen(QPen(QColor(0x9a, 0xa0, 0xa6), 0.8));
  p.drawLine(QPointF(8.5, 15), QPointF(15.5, 15));
  p.drawLine(QPointF(8.5, 17.5), QPointF(15.5, 17.5));
}

void paintImport(QPainter& p) {
  instrument(p, QRectF(5.5, 1.5, 13, 8));
  tray(p);
  arrow(p, 12, 9.5, 18.5, QColor(0x33, 0xb0, 0x5c));
}

void paintExport(QPainter& p) {
  instrument(p, QRectF(5.5, 1.5, 13, 8));
  tray(p);
  arrow(p, 12, 18.5, 9.0, QColor(0xf0, 0x8c, 0x1e));
}

void paintPrint(QPainter& p) {
  // Paper behind.
  p.setPen(outline(0.9));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6.5, 2.5, 11, 8));
  // Body.
  p.setPen(outline());
  p.setBrush(vertical(9, 18, QColor(0xe0, 0xe3, 0xe8), QColor(0x8c, 0x93, 0x9d)));
  p.drawRoundedRect(QRectF(2.5, 8.5, 19, 9), 1.8, 1.8);
  // Output slot and printed sheet.
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6.5, 14.5, 11, 7));
  p.setPen(QPen(QColor(0x9a, 0xa0, 0xa6), 0.8));
  p.drawLine(QPointF(8.5, 17), QPointF(15.5, 17));
  p.drawLine(QPointF(8.5, 19.2), QPointF(13.5, 19.2));
  // Power lamp.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x33, 0xb0, 0x5c));
  p.drawEllipse(QPointF(18.5, 11.5), 1.1, 1.1);
}

void disc(QPainter& p, QColor light, QColor dark) {
  p.setPen(outline());
  QRadialGradient g(QPointF(9, 8), 14);
  g.setColorAt(0, light);
  g.setColorAt(1, dark);
  p.setBrush(g);
  p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
}

void paintHelp(QPainter& p) {
  disc(p, QColor(0x7a, 0xb6, 0xf5), QColor(0x1c, 0x5b, 0xa8));
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(15);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(2.5, 2.5, 19, 19.5), Qt::AlignCenter, QStringLiteral("?"));
}

void paintStop(QPainter& p) {
  // An octagon: no connection.
  QPolygonF octagon;
  const qreal a = 6.3, b = 12 - 2.6;
  const QPointF c(12, 12);
  octagon << c + QPointF(-a + 2.6, -b) << c + QPointF(a - 2.6, -b) << c + QPointF(b, -a + 2.6)
          << c + QPointF(b, a - 2.6) << c + QPointF(a - 2.6, b) << c + QPointF(-a + 2.6, b)
          << c + QPointF(-b, a - 2.6) << c + QPointF(-b, -a + 2.6);
  p.setPen(outline());
  p.setBrush(vertical(2, 22, QColor(0xf2, 0x6d, 0x5b), QColor(0xb3, 0x1b, 0x16)));
  p.drawPolygon(octagon);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(6.5, 10.3, 11, 3.4), 1, 1);
}

void paintGo(QPainter& p) {
  disc(p, QColor(0x7c, 0xe0, 0x9a), QColor(0x1e, 0x8a, 0x44));
  QPolygonF play;
  play << QPointF(9.5, 7) << QPointF(17.5, 12) << QPointF(9.5, 17);
  p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::white);
  p.drawPolygon(play);
}

void paintRs232(QPainter& p) {
  // A nine-pin D connector seen from the front.
  QPainterPath shell;
  shell.moveTo(1.5, 6.5);
  shell.lineTo(22.5, 6.5);
  shell.lineTo(19.5, 17.5);
  shell.lineTo(4.5, 17.5);
  shell.closeSubpath();
  p.setPen(outline());
  p.setBrush(vertical(6, 18, QColor(0xe4, 0xe7, 0xeb), QColor(0x9a, 0xa1, 0xab)));
  p.drawPath(shell);
  QPainterPath inner;
  inner.moveTo(4, 8.5);
  inner.lineTo(20, 8.5);
  inner.lineTo(17.8, 15.5);
  inner.lineTo(6.2, 15.5);
  inner.closeSubpath();
  p.setBrush(QColor(0x2b, 0x30, 0x3b));
  p.drawPath(inner);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf4, 0xd3, 0x5e));
  for (int i = 0; i < 5; ++i) p.drawEllipse(QPointF(6.8 + i * 2.6, 10.8), 0.85, 0.85);
  for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(8.1 + i * 2.6, 13.4), 0.85, 0.85);
}

void paintUsb(QPainter& p) {
  const QColor blue(0x1c, 0x5b, 0xa8);
  QPen stem(blue, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(stem);
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(12, 4.5), QPointF(12, 19));
  QPolygonF left;
  left << QPointF(12, 15.5) << QPointF(6.5, 11.5) << QPointF(6.5, 9);
  p.drawPolyline(left);
  QPolygonF right;
  right << QPointF(12, 13.5) << QPointF(17.5, 10.5) << QPointF(17.5, 8.5);
  p.drawPolyline(right);
  p.setPen(Qt::NoPen);
  p.setBrush(blue);
  QPolygonF tip;
  tip << QPointF(12, 1.5) << QPointF(14.8, 5.5) << QPointF(9.2, 5.5);
  p.drawPolygon(tip);
  p.drawEllipse(QPointF(12, 19.8), 2.3, 2.3);
  p.drawEllipse(QPointF(6.5, 8.2), 1.8, 1.8);
  p.drawRect(QRectF(15.9, 6.3, 3.2, 3.2));
}

void paintEthernet(QPainter& p) {
  // An RJ45 socket.
  p.setPen(outline());
  p.setBrush(vertical(3, 21, QColor(0xe4, 0xe7, 0xeb), QColor(0x9a, 0xa1, 0xab)));
  p.drawRoundedRect(QRectF(2.5, 3.5, 19, 17), 2, 2);
  QPainterPath socket;
  socket.moveTo(5.5, 6.5);
  socket.lineTo(18.5, 6.5);
  socket.lineTo(18.5, 15.5);
  socket.lineTo(15.5, 15.5);
  socket.lineTo(15.5, 18.5);
  socket.lineTo(8.5, 18.5);
  socket.lineTo(8.5, 15.5);
  socket.lineTo(5.5, 15.5);
  socket.closeSubpath();
  p.setBrush(QColor(0x2b, 0x30, 0x3b));
  p.drawPath(socket);
  p.setPen(QPen(QColor(0xf4, 0xd3, 0x5e), 0.9));
  for (int i = 0; i < 8; ++i) {
    const qreal x = 7.0 + i * 1.43;
    p.drawLine(QPointF(x, 7.3), QPointF(x, 10.0));
  }
}

bool paintImage(const QString& folder, const QString& name, int scale,
                const std::function<void(QPainter&)>& draw) {
  QImage image(24 * scale, 24 * scale, QImage::Format_RGB32);
  image.fill(kKey);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    draw(p);
  }
  const QString file =
      QDir(folder).filePath(scale == 1 ? name + ".bmp" : name + QStringLiteral("@2x.bmp"));
  if (!image.save(file, "BMP")) {
    std::fprintf(stderr, "karvel-icons: cannot write %s\n", qPrintable(file));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: karvel-icons FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "karvel-icons: cannot create %s\n", argv[1]);
    return 1;
  }
  const std::pair<const char*, std::function<void(QPainter&)>> images[] = {
      {"open", paintOpen},         {"save", paintSave},
      {"import", paintImport},     {"export", paintExport},
      {"print", paintPrint},       {"help", paintHelp},
      {"stop", paintStop},         {"go", paintGo},
      {"RS232", paintRs232},       {"USB", paintUsb},
      {"Ethernet", paintEthernet},
  };
  bool ok = true;
  for (const auto& [name, draw] : images) {
    for (int scale : {1, 2}) ok = paintImage(folder, QString::fromLatin1(name), scale, draw) && ok;
  }
  return ok ? 0 : 1;
}
