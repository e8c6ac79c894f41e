#include "ui/frame/WindowPrint.h"

#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include "core/frame/Interaction.h"

namespace karvel::ui {

bool printWindowPicture(QWidget& window, const PrintChoice& choice, const QString& documentName) {
  QPrinter printer(QPrinter::HighResolution);
  if (!choice.outputFile.isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(choice.outputFile);
  } else if (!choice.printerName.isEmpty()) {
    printer.setPrinterName(choice.printerName);
  }
  printer.setColorMode(choice.colourMode == 2 ? QPrinter::Color : QPrinter::GrayScale);
  printer.setDuplex(choice.duplex == 1   ? QPrinter::DuplexLongSide
                    : choice.duplex == 2 ? QPrinter::DuplexShortSide
                                         : QPrinter::DuplexNone);
  printer.setDocName(documentName);

  const QPixmap picture = window.grab();
  QPainter painter;
  if (picture.isNull() || !painter.begin(&printer)) return false;
  const QRect page = painter.viewport();
  QSize size = picture.size();
  size.scale(page.size(), Qt::KeepAspectRatio);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(QRect(page.topLeft(), size), picture);
  painter.end();
  return true;
}

QString printTargetName(const PrintChoice& choice) {
  if (!choice.outputFile.isEmpty()) return QDir::toNativeSeparators(choice.outputFile);
  if (!choice.printerName.isEmpty()) return choice.printerName;
  return QPrinterInfo::defaultPrinterName();
}

}  // namespace karvel::ui
