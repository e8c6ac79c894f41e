// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/HelpViewer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPolygonF>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>

#include "core/frame/HelpTexts.h"
#include "core/frame/Interaction.h"

namespace karvel::ui {

namespace {

constexpr qreal kZoomStep = 1.25;
constexpr qreal kZoomMin = 0.25;
constexpr qreal kZoomMax = 5.0;

// Toolbar pictures drawn here: the style has none for zooming, and an icon
// theme may not be installed. Drawn in the palette's text colour, so that
// they show on dark palettes too.
enum class Glyph { ZoomIn, ZoomOut, FitWidth };

QIcon glyphIcon(Glyph glyph, const QColor& ink) {
  QIcon icon;
  for (int side : {16, 24, 32, 48}) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 24.0, side / 24.0);
    const QPen line(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(line);
    if (glyph == Glyph::FitWidth) {
      // |<->|
      p.drawLine(QPointF(3, 5), QPointF(3, 19));
      p.drawLine(QPointF(21, 5), QPointF(21, 19));
      p.drawLine(QPointF(7, 12), QPointF(17, 12));
      p.drawPolyline(QPolygonF({QPointF(10, 9), QPointF(7, 12), QPointF(10, 15)}));
      p.drawPolyline(QPolygonF({QPointF(14, 9), QPointF(17, 12), QPointF(14, 15)}));
    } else {
      // A magnifying glass with a minus or a plus.
      p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
      p.drawLine(QPointF(7, 10), QPointF(13, 10));
      if (glyph == Glyph::ZoomIn) p.drawLine(QPointF(10, 7), QPointF(10, 13));
      p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(15.5, 15.5), QPointF(20.5, 20.5));
    }
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

HelpViewer::HelpViewer(int language, QWidget* parent) : QMainWindow(parent), language_(language) {
  setObjectName(QStringLiteral("helpViewer"));
  setAttribute(Qt::WA_DeleteOnClose);

  // First made, first gone: its closing still updates the toolbar.
  document_ = new QPdfDocument(this);
  auto* bar = addToolBar(QString());
  bar->setObjectName(QStringLiteral("viewerBar"));
  bar->setMovable(false);
  bar->setContextMenuPolicy(Qt::PreventContextMenu);
  auto text = [language](const Text5& t) { return pick(t, language); };
  auto add = [&](const QIcon& icon, const Text5& label, const char* name,
                 void (HelpViewer::*slot)()) {
    QAction* action = bar->addAction(icon, text(label));
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(text(label));
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  const QColor ink = palette().color(QPalette::WindowText);
  previous_ = add(style()->standardIcon(QStyle::SP_ArrowUp), text::kViewerPrevious, "previousPage",
                  &HelpViewer::previousPage);
  pageBox_ = new QSpinBox(bar);
  pageBox_->setObjectName(QStringLiteral("pageNumber"));
  pageBox_->setRange(1, 1);
  bar->addWidget(pageBox_);
  pageCountLabel_ = new QLabel(bar);
  pageCountLabel_->setObjectName(QStringLiteral("pageCount"));
  pageCountLabel_->setContentsMargins(4, 0, 8, 0);
  bar->addWidget(pageCountLabel_);
  next_ = add(style()->standardIcon(QStyle::SP_ArrowDown), text::kViewerNext, "nextPage",
              &HelpViewer::nextPage);
  bar->addSeparator();
  add(glyphIcon(Glyph::ZoomOut, ink), text::kViewerZoomOut, "zoomOut", &HelpViewer::zoomOut)
      ->setShortcuts(QKeySequence::ZoomOut);
  add(glyphIcon(Glyph::ZoomIn, ink), text::kViewerZoomIn, "zoomIn", &HelpViewer::zoomIn)
      ->setShortcuts(QKeySequence::ZoomIn);
  add(glyphIcon(Glyph::FitWidth, ink), text::kViewerFitWidth, "fitWidth", &HelpViewer::fitWidth);
  bar->addSeparator();
  QAction* closeAction =
      bar->addAction(style()->standardIcon(QStyle::SP_DialogCloseButton), text(text::kViewerClose));
  closeAction->setObjectName(QStringLiteral("closeViewer"));
  closeAction->setToolTip(text(text::kViewerClose));
  connect(closeAction, &QAction::triggered, this, &QWidget::close);
  bar->setWindowTitle(text(text::kViewerToolbarName));
  pageBox_->setAccessibleName(text(text::kViewerPageName));
  // Tab reaches the toolbar's buttons too, in reading order (the toolbar,
  // then the page), so that each of them works from the keyboard; the page
  // has the focus first, for the arrow and page keys.
  QWidget* last = nullptr;
  for (QAction* action : bar->actions()) {
    QWidget* control = bar->widgetForAction(action);
    if (!control || action->isSeparator() || qobject_cast<QLabel*>(control)) continue;
    if (!qobject_cast<QSpinBox*>(control)) control->setFocusPolicy(Qt::TabFocus);
    if (last) setTabOrder(last, control);
    last = control;
  }

  // Made after the toolbar, so that Tab meets it after the toolbar's controls.
  view_ = new QPdfView(this);
  view_->setObjectName(QStringLiteral("pdfView"));
  view_->setDocument(document_);
  view_->setPageMode(QPdfView::PageMode::MultiPage);
  view_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
  view_->setPageSpacing(8);
  setCentralWidget(view_);
  view_->setAccessibleName(text(text::kHelpWord));
  view_->setFocus();

  // Esc and Ctrl+W close the window, as in the desktop's own viewers, and
  // the platform's Close keys (Ctrl+F4). Each key once: two shortcuts on one
  // key cancel each other out.
  QList<QKeySequence> closeKeys = {QKeySequence(Qt::Key_Escape),
                                   QKeySequence(Qt::CTRL | Qt::Key_W)};
  for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Close)) {
    if (!closeKeys.contains(key)) closeKeys.append(key);
  }
  for (const QKeySequence& key : closeKeys) {
    auto* shortcut = new QShortcut(key, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &QWidget::close);
  }

  connect(pageBox_, &QSpinBox::valueChanged, this, [this](int number) { goToPage(number - 1); });
  connect(view_->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this,
          [this](int page) { showPage(page); });

  // Portrait pages want a tall window, but never taller than the screen.
  QSize size(760, 900);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
  }
  resize(size);
}

HelpViewer::~HelpViewer() {
  // The view tells its page navigator's changes while it is being destroyed,
  // after this window has stopped being a HelpViewer: stop listening first.
  if (view_) disconnect(view_->pageNavigator(), nullptr, this, nullptr);
}

bool HelpViewer::load(const QString& path, QString* problem) {
  const QString file = QDir::fromNativeSeparators(path);
  const QString shown = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
  const auto fail = [&](const Text5& reason) {
    if (problem) {
      *problem = pick(text::kHelpNotShown, language_).arg(shown, pick(reason, language_));
    }
    return false;
  };
  if (!QFileInfo(file).isFile()) {
    if (problem) *problem = pick(text::kHelpMissing, language_).arg(shown);
    return false;
  }
  // The PDF reader says "file not found" for a file it may not read.
  if (QFile probe(file); !probe.open(QIODevice::ReadOnly)) return fail(text::kPdfUnreadable);
  switch (document_->load(file)) {
    case QPdfDocument::Error::None:
      break;
    case QPdfDocument::Error::IncorrectPassword:
    case QPdfDocument::Error::UnsupportedSecurityScheme:
      return fail(text::kPdfLocked);
    case QPdfDocument::Error::FileNotFound:
      return fail(text::kPdfUnreadable);
    default:
      return fail(text::kPdfDamaged);
  }
  if (document_->pageCount() < 1) return fail(text::kPdfDamaged);

  path_ = QFileInfo(file).absoluteFilePath();
  setWindowTitle(
      QStringLiteral("%1 - %2").arg(QFileInfo(file).fileName(), pick(text::kHelpWord, language_)));
  pageBox_->setRange(1, document_->pageCount());
  pageCountLabel_->setText(pick(text::kViewerPageCount, language_).arg(document_->pageCount()));
  view_->setAccessibleName(windowTitle());
  pageBox_->setAccessibleDescription(pageCountLabel_->text());
  showPage(0);
  return true;
}

int HelpViewer::pageCount() const { return document_->pageCount(); }

int HelpViewer::currentPage() const { return view_->pageNavigator()->currentPage(); }

qreal HelpViewer::zoomFactor() const {
  if (view_->zoomMode() != QPdfView::ZoomMode::FitToWidth || pageCount() < 1) {
    return view_->zoomFactor();
  }
  // Fitted to the width, the view keeps its factor to itself: the same
  // reckoning from the page's width and the room the view has.
  const QMargins margins = view_->documentMargins();
  const qreal page = document_->pagePointSize(currentPage()).width() * logicalDpiX() / 72.0;
  const int room = view_->viewport()->width() - margins.left() - margins.right();
  return page > 0 && room > 0 ? room / page : view_->zoomFactor();
}

void HelpViewer::goToPage(int page) {
  if (pageCount() < 1) return;
  page = std::clamp(page, 0, pageCount() - 1);
  if (page != currentPage()) view_->pageNavigator()->jump(page, QPointF(), view_->zoomFactor());
  showPage(page);
}

void HelpViewer::nextPage() { goToPage(currentPage() + 1); }

void HelpViewer::previousPage() { goToPage(currentPage() - 1); }

// From the size the page has now, fitted or not.
void HelpViewer::zoomIn() { zoomTo(zoomFactor() * kZoomStep); }

void HelpViewer::zoomOut() { zoomTo(zoomFactor() / kZoomStep); }

void HelpViewer::zoomTo(qreal factor) {
  view_->setZoomMode(QPdfView::ZoomMode::Custom);
  view_->setZoomFactor(std::clamp(factor, kZoomMin, kZoomMax));
}

void HelpViewer::fitWidth() { view_->setZoomMode(QPdfView::ZoomMode::FitToWidth); }

// The page box, and the two arrows that would lead out of the document.
void HelpViewer::showPage(int page) {
  {
    const QSignalBlocker quiet(pageBox_);
    pageBox_->setValue(page + 1);
  }
  previous_->setEnabled(page > 0);
  next_->setEnabled(page + 1 < pageCount());
}

bool showHelpViewer(AppState& state, const QString& path) {
  const QString file = QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath();
  QWidget* owner = qobject_cast<QWidget*>(state.mainPanel.data());
  // A document already open is brought back rather than opened twice.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* viewer = qobject_cast<HelpViewer*>(window);
    if (viewer && viewer->documentPath() == file) {
      viewer->showNormal();
      viewer->raise();
      viewer->activateWindow();
      return true;
    }
  }
  auto* viewer = new HelpViewer(state.language, owner);
  QString problem;
  if (!viewer->load(file, &problem)) {
    delete viewer;
    if (state.ui) state.ui->message(pick(text::kHelpWord, state.language), problem);
    return false;
  }
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
  return true;
}

}  // namespace karvel::ui
