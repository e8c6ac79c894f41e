// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own PDF viewer: shows a help document when the desktop has no
// application for PDF files. One window per document, with page navigation
// and zoom; Esc or Ctrl+W closes it.
#pragma once

#include <QMainWindow>

#include "core/frame/AppState.h"

class QAction;
class QLabel;
class QPdfDocument;
class QPdfView;
class QSpinBox;

namespace karvel::ui {

class HelpViewer : public QMainWindow {
  Q_OBJECT
 public:
  // Texts in `language`; a document is shown once `load` succeeded.
  explicit HelpViewer(int language, QWidget* parent = nullptr);
  ~HelpViewer() override;

  // Reads the PDF file at `path`. False, with what is wrong in `problem`
  // (a full sentence in the viewer's language), when it cannot be shown.
  bool load(const QString& path, QString* problem);

  QString documentPath() const { return path_; }
  int pageCount() const;
  int currentPage() const;   // from 0
  qreal zoomFactor() const;  // 1: the page at its printed size

  void goToPage(int page);  // from 0; kept inside the document
  void nextPage();
  void previousPage();
  void zoomIn();
  void zoomOut();
  void fitWidth();

 private:
  void showPage(int page);
  void zoomTo(qreal factor);

  const int language_;
  QString path_;
  QPdfDocument* document_ = nullptr;
  QPdfView* view_ = nullptr;
  QSpinBox* pageBox_ = nullptr;
  QLabel* pageCountLabel_ = nullptr;
  QAction* previous_ = nullptr;
  QAction* next_ = nullptr;
};

// Shows the PDF file at `path` in the viewer, over the main window when there
// is one; a document already shown is brought to the front instead. False,
// after a message naming the file and the reason, when it cannot be read.
bool showHelpViewer(AppState& state, const QString& path);

}  // namespace karvel::ui
