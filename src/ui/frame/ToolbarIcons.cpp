// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/ToolbarIcons.h"

#include <QBitmap>
#include <QDir>
#include <QImage>
#include <QPixmap>

namespace karvel::ui {

namespace {

QPixmap keyedPixmap(const QString& path, qreal ratio) {
  QImage image(path);
  if (image.isNull()) return {};
  QPixmap pixmap = QPixmap::fromImage(image.convertToFormat(QImage::Format_RGB32));
  pixmap.setMask(pixmap.createMaskFromColor(QColor::fromRgb(kToolbarKeyColour), Qt::MaskInColor));
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

}  // namespace

QIcon toolbarIcon(const QString& programDir, const QString& relative) {
  const QString path = QDir(programDir).filePath(relative);
  QIcon icon;
  const QPixmap normal = keyedPixmap(path, 1.0);
  if (!normal.isNull()) icon.addPixmap(normal);
  QString doubled = path;
  const qsizetype dot = doubled.lastIndexOf(u'.');
  if (dot > 0) doubled.insert(dot, QStringLiteral("@2x"));
  const QPixmap high = keyedPixmap(doubled, 2.0);
  if (!high.isNull()) icon.addPixmap(high);
  return icon;
}

}  // namespace karvel::ui
