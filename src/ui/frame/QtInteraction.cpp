// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/QtInteraction.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>

#include "ui/frame/LanguageDialog.h"

namespace karvel::ui {

namespace {

// While a dialog is up the normal arrow replaces a busy cursor, and the busy
// cursor comes back afterwards.
class NormalCursor {
 public:
  NormalCursor() : active_(QApplication::overrideCursor() != nullptr) {
    if (active_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~NormalCursor() {
    if (active_) QApplication::restoreOverrideCursor();
  }
  NormalCursor(const NormalCursor&) = delete;
  NormalCursor& operator=(const NormalCursor&) = delete;

 private:
  bool active_;
};

// "*.BUS" -> "BUS"; empty when the pattern names no single extension.
QString extensionOf(const QString& pattern) {
  static const QRegularExpression single(QStringLiteral("^\\*\\.([A-Za-z0-9_]+)$"));
  const auto match = single.match(pattern.trimmed());
  return match.hasMatch() ? match.captured(1) : QString();
}

// The instrument writes upper-case extensions, PCs often lower-case ones:
// on file systems that tell them apart the filter accepts both.
QString bothCases(const QString& filter) {
#ifdef Q_OS_WIN
  return filter;
#else
  static const QRegularExpression patterns(QStringLiteral("\\(([^)]*)\\)"));
  const auto match = patterns.match(filter);
  if (!match.hasMatch()) return filter;
  QStringList all;
  const QStringList own = match.captured(1).split(u' ', Qt::SkipEmptyParts);
  for (const QString& p : own) {
    for (const QString& variant : {p, p.toUpper(), p.toLower()}) {
      if (!all.contains(variant)) all.append(variant);
    }
  }
  QString out = filter;
  out.replace(match.capturedStart(1), match.capturedLength(1), all.join(u' '));
  return out;
#endif
}

}  // namespace

QWidget* QtInteraction::dialogParent() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (auto* owner = qobject_cast<QWidget*>(dialogOwner()); owner && owner->isVisible())
    return owner->window();
  // A command of a window that did not say so is still asked over it.
  QWidget* active = QApplication::activeWindow();
  if (active && active->isVisible() && !(active->windowType() == Qt::Popup)) return active;
  return parent_;
}

void QtInteraction::message(const QString& title, const QString& text) {
  NormalCursor normal;
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, dialogParent());
  box.exec();
}

int QtInteraction::ask(const QString& title, const QString& text, const QStringList& buttons,
                       int enterButton, int escapeButton) {
  NormalCursor normal;
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, dialogParent());
  QList<QPushButton*> added;
  for (const QString& label : buttons) {
    added.append(box.addButton(label, QMessageBox::ActionRole));
  }
  if (enterButton >= 0 && enterButton < added.size()) {
    box.setDefaultButton(added[enterButton]);
    added[enterButton]->setFocus();
  }
  if (escapeButton >= 0 && escapeButton < added.size()) box.setEscapeButton(added[escapeButton]);
  box.exec();
  const int index = static_cast<int>(added.indexOf(static_cast<QPushButton*>(box.clickedButton())));
  if (index < 0) return escapeButton;
  return index;
}

FileChoice QtInteraction::chooseFile(const FileRequest& request) {
  NormalCursor normal;
  QFileDialog dialog(dialogParent(), request.title, request.folder);
  QStringList filters;
  for (const QString& type : request.types) filters.append(bothCases(type));
  if (filters.isEmpty() && !request.pattern.isEmpty()) filters.append(bothCases(request.pattern));
  dialog.setNameFilters(filters);
  // The filter that holds the default pattern comes first.
  for (const QString& filter : filters) {
    if (!request.pattern.isEmpty() && filter.contains(request.pattern, Qt::CaseInsensitive)) {
      dialog.selectNameFilter(filter);
      break;
    }
  }
  const QString extension = extensionOf(request.pattern);
  switch (request.confirm) {
    case FileRequest::Confirm::Load:
      dialog.setAcceptMode(QFileDialog::AcceptOpen);
      dialog.setFileMode(QFileDialog::ExistingFile);
      break;
    case FileRequest::Confirm::Save:
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setFileMode(QFileDialog::AnyFile);
      // Asking before overwriting is the caller's business.
      dialog.setOption(QFileDialog::DontConfirmOverwrite);
      break;
    case FileRequest::Confirm::Ok:
      dialog.setAcceptMode(QFileDialog::AcceptOpen);
      dialog.setFileMode(QFileDialog::ExistingFile);
      dialog.setLabelText(QFileDialog::Accept, QStringLiteral("OK"));
      break;
  }
  if (request.forceExtension && !extension.isEmpty()) dialog.setDefaultSuffix(extension);
  if (!request.defaultFile.isEmpty()) dialog.selectFile(request.defaultFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};

  QString path = dialog.selectedFiles().first();
  if (request.forceExtension && !extension.isEmpty() &&
      !path.endsWith(u'.' + extension, Qt::CaseInsensitive)) {
    path += u'.' + extension;
  }
  FileChoice choice;
  choice.path = QDir::toNativeSeparators(path);
  choice.kind = QFileInfo(path).isFile() ? FileChoice::Kind::Existing : FileChoice::Kind::New;
  return choice;
}

QStringList QtInteraction::chooseFiles(const FileRequest& request) {
  NormalCursor normal;
  QFileDialog dialog(dialogParent(), request.title, request.folder);
  QStringList filters;
  for (const QString& type : request.types) filters.append(bothCases(type));
  if (filters.isEmpty() && !request.pattern.isEmpty()) filters.append(bothCases(request.pattern));
  dialog.setNameFilters(filters);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  if (dialog.exec() != QDialog::Accepted) return {};
  QStringList paths;
  for (const QString& path : dialog.selectedFiles()) paths << QDir::toNativeSeparators(path);
  return paths;
}

std::optional<QString> QtInteraction::askText(const QString& title, const QString& label,
                                              const QString& proposed) {
  NormalCursor normal;
  bool ok = false;
  const QString text =
      QInputDialog::getText(dialogParent(), title, label, QLineEdit::Normal, proposed, &ok);
  if (!ok) return std::nullopt;
  return text;
}

QString QtInteraction::chooseFolder(const QString& title, const QString& startFolder) {
  NormalCursor normal;
  const QString folder = QFileDialog::getExistingDirectory(dialogParent(), title, startFolder);
  return folder.isEmpty() ? QString() : QDir::toNativeSeparators(folder);
}

bool QtInteraction::choosePrinter(PrintChoice& choice) {
  NormalCursor normal;
  QPrinter printer(QPrinter::HighResolution);
  if (!choice.printerName.isEmpty()) printer.setPrinterName(choice.printerName);
  printer.setColorMode(choice.colourMode == 2 ? QPrinter::Color : QPrinter::GrayScale);
  printer.setDuplex(choice.duplex == 1   ? QPrinter::DuplexLongSide
                    : choice.duplex == 2 ? QPrinter::DuplexShortSide
                                         : QPrinter::DuplexNone);
  if (!choice.documentName.isEmpty()) printer.setDocName(choice.documentName);
  if (!choice.proposedFile.isEmpty()) {
    // The dialog's file field shows the printer's output file; naming one
    // also makes the printer a PDF file, so the default printer, when there
    // is one, is put back as the destination the dialog starts with.
    const bool toPrinter = printer.outputFormat() == QPrinter::NativeFormat;
    printer.setOutputFileName(QDir::fromNativeSeparators(choice.proposedFile));
    if (toPrinter) printer.setOutputFormat(QPrinter::NativeFormat);
  }
  QPrintDialog dialog(&printer, dialogParent());
  if (dialog.exec() != QDialog::Accepted) return false;

  choice.printerName = printer.printerName();
  choice.outputFile =
      printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
  if (printer.colorMode() == QPrinter::Color) {
    choice.colourMode = 2;
  } else if (choice.colourMode == 2) {
    choice.colourMode = 1;  // grey scale; black and white stays as it was
  }
  switch (printer.duplex()) {
    case QPrinter::DuplexLongSide:
      choice.duplex = 1;
      break;
    case QPrinter::DuplexShortSide:
      choice.duplex = 2;
      break;
    case QPrinter::DuplexAuto:
      choice.duplex = 1;
      break;
    default:
      choice.duplex = 0;
      break;
  }
  return true;
}

int QtInteraction::chooseLanguage() {
  NormalCursor normal;
  LanguageDialog dialog(dialogParent());
  dialog.exec();
  return dialog.chosen();
}

void QtInteraction::setBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++busyDepth_;
  } else if (busyDepth_ > 0) {
    QApplication::restoreOverrideCursor();
    --busyDepth_;
  }
}

bool QtInteraction::openExternally(const QUrl& url) {
  // A local file of a type that no application takes would still "open":
  // xdg-open starts, then hands it to a browser or gives up unseen.
  if (url.isLocalFile() && !desktopHandlesFile(url.toLocalFile())) return false;
  return QDesktopServices::openUrl(url);
}

bool desktopHandlesFile(const QString& path, const QString& xdgMime) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  const QString program =
      xdgMime.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("xdg-mime")) : xdgMime;
  if (program.isEmpty()) return true;
  const QString type = QMimeDatabase().mimeTypeForFile(path).name();
  QProcess query;
  query.start(program, {QStringLiteral("query"), QStringLiteral("default"), type});
  // A shell script that answers at once; one that hangs decides nothing.
  if (!query.waitForFinished(5000)) {
    query.kill();
    query.waitForFinished(1000);
    return true;
  }
  // A failing query says nothing about the type either.
  if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return true;
  return !query.readAllStandardOutput().trimmed().isEmpty();
#else
  Q_UNUSED(path);
  Q_UNUSED(xdgMime);
  return true;
#endif
}

}  // namespace karvel::ui
