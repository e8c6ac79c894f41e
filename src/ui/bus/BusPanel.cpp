// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/bus/BusPanel.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableWidget>
#include <QUndoCommand>
#include <QUndoStack>

#include "core/bus/BusTexts.h"
#include "core/bus/XmlDocument.h"
#include "core/frame/Interaction.h"
#include "core/frame/Langue.h"
#include "core/frame/RecentFiles.h"
#include "ui/bus/NewFileDialogs.h"
#include "ui/frame/Colours.h"
#include "ui/frame/MainWindow.h"

namespace karvel::ui {

namespace {
const char kPanelName[] = "karvelBusPanel";

template <typename T>
T* widget(QObject* window, const char* name) {
  return window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

// One edit of the document, undone by giving its attributes back their exact
// bytes, so that an edit undone and saved writes the file as it was.
class DocumentEdit : public QUndoCommand {
 public:
  struct Value {
    pugi::xml_attribute attribute;
    XmlDocument::RawValue before;
    XmlDocument::RawValue after;
  };
  DocumentEdit(AppState& app, std::vector<Value> values, std::function<void(bool undo)> show)
      : app_(app), values_(std::move(values)), show_(std::move(show)) {}
  void undo() override { apply(true); }
  void redo() override {
    // Pushed after the edit was made: the first redo is already done.
    if (done_) apply(false);
    done_ = true;
  }

 private:
  void apply(bool undo) {
    if (!app_.xmlDocument) return;
    for (const Value& v : values_)
      app_.xmlDocument->restoreRawValue(v.attribute, undo ? v.before : v.after);
    show_(undo);
  }
  AppState& app_;
  std::vector<Value> values_;
  std::function<void(bool undo)> show_;
  bool done_ = false;
};

// The main window's title: the program's alone, or after the name of the
// file shown, with the place for the unsaved-edits "*".
QString mainWindowTitle(const QString& filePath) {
  const QString version = QString::fromUtf8(kVersionText);
  const QString name = QFileInfo(QDir::fromNativeSeparators(filePath)).fileName();
  return name.isEmpty() ? version : name + QStringLiteral("[*] - ") + version;
}

bool sameRaw(const XmlDocument::RawValue& a, const XmlDocument::RawValue& b) {
  return a.valid == b.valid && a.edited == b.edited && a.replacement == b.replacement &&
         a.treeValue == b.treeValue;
}

}  // namespace

BusPanel::BusPanel(AppState& app, QWidget* window) : QObject(window), app_(app), window_(window) {
  setObjectName(QString::fromLatin1(kPanelName));
  fileField_ = widget<QLineEdit>(window, "fileField");
  busField_ = widget<QLineEdit>(window, "busField");
  commentField_ = widget<QLineEdit>(window, "commentField");
  busPicture_ = widget<QLabel>(window, "busPicture");
  busTable_ = widget<QTableWidget>(window, "busTable");
  frequencyField_ = widget<QLineEdit>(window, "frequencyField");
  bitTimeField_ = widget<QLineEdit>(window, "bitTimeField");
  maxVoltageField_ = widget<QLineEdit>(window, "maxVoltageField");
  speedCaption_ = widget<QLabel>(window, "speedCaption");
  speedNextButton_ = widget<QPushButton>(window, "speedNextButton");
  voltageCaption_ = widget<QLabel>(window, "voltageCaption");
  voltageNextButton_ = widget<QPushButton>(window, "voltageNextButton");

  if (busField_) busField_->setMaxLength(kTextMax);
  if (commentField_) commentField_->setMaxLength(kTextMax);
  if (busTable_) {
    if (busTable_->columnCount() < 3) busTable_->setColumnCount(3);
    busTable_->installEventFilter(this);
    connect(busTable_, &QTableWidget::cellChanged, this,
            [this](int row, int column) { modifValXML(row, column); });
  }
  if (busField_) connect(busField_, &QLineEdit::editingFinished, this, [this] { ModifTitle(); });
  if (commentField_)
    connect(commentField_, &QLineEdit::editingFinished, this, [this] { ModifTitle(); });
  if (speedNextButton_)
    connect(speedNextButton_, &QPushButton::clicked, this, [this] { CreationFichier(true); });
  if (voltageNextButton_)
    connect(voltageNextButton_, &QPushButton::clicked, this, [this] { CreationFichier(false); });

  undo_ = new QUndoStack(this);
  if (window_) {
    // The main window's Edit menu holds Undo, Redo and the generators; a
    // window without it still has Undo and Redo as shortcuts.
    QAction* undo = widget<QAction>(window_, "actionUndo");
    QAction* redo = widget<QAction>(window_, "actionRedo");
    if (undo && redo) {
      connect(undo, &QAction::triggered, undo_, &QUndoStack::undo);
      connect(redo, &QAction::triggered, undo_, &QUndoStack::redo);
      connect(undo_, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
      connect(undo_, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
      undo->setEnabled(undo_->canUndo());
      redo->setEnabled(undo_->canRedo());
    } else {
      undo = undo_->createUndoAction(this);
      undo->setShortcuts(QKeySequence::Undo);
      redo = undo_->createRedoAction(this);
      redo->setShortcuts(
          {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
      for (QAction* a : {undo, redo}) {
        a->setShortcutContext(Qt::WindowShortcut);
        window_->addAction(a);
      }
    }
    newSpeedItem_ = widget<QAction>(window_, "actionNewSpeed");
    newVoltageItem_ = widget<QAction>(window_, "actionNewVoltage");
    // The items run what the buttons run, and only when the buttons can.
    if (newSpeedItem_)
      connect(newSpeedItem_, &QAction::triggered, this, [this] {
        if (speedNextButton_ ? speedNextButton_->isEnabled() : screen_.view.speedEnabled)
          CreationFichier(true);
      });
    if (newVoltageItem_)
      connect(newVoltageItem_, &QAction::triggered, this, [this] {
        if (voltageNextButton_ ? voltageNextButton_->isEnabled() : screen_.view.voltageEnabled)
          CreationFichier(false);
      });
    if (auto* main = qobject_cast<MainWindow*>(window_))
      connect(main, &MainWindow::languageChanged, this, [this] { describePicture(); });
    // The marker of unsaved edits; the window's title stays as it is.
    if (auto* main = qobject_cast<QMainWindow*>(window_)) {
      modifiedLabel_ = new QLabel(main);
      modifiedLabel_->setObjectName(QStringLiteral("modifiedLabel"));
      main->statusBar()->addPermanentWidget(modifiedLabel_);
    }
  }
  connect(undo_, &QUndoStack::indexChanged, this, [this] { showModified(); });
  render();
}

bool BusPanel::isModified() const { return app_.xmlDocument && app_.xmlDocument->isModified(); }

void BusPanel::showModified() {
  // The title's "*" and the status bar's word say the same.
  if (auto* main = qobject_cast<QMainWindow*>(window_)) main->setWindowModified(isModified());
  if (!modifiedLabel_) return;
  modifiedLabel_->setText(isModified() ? pick(bustext::kModified, app_.language) : QString());
}

void BusPanel::showWritten(const QString& path) {
  screen_.view.filePath = QDir::toNativeSeparators(path);
  render();
  showModified();
  if (fileWritten_) fileWritten_(screen_.view.filePath);
}

void BusPanel::startBesideFileShown(FileRequest& request) const {
  startBeside(request, screen_.view.filePath);
}

void BusPanel::forgetEdits() {
  undo_->clear();
  showModified();
}

bool BusPanel::confirmDiscard() {
  if (!isModified() || !app_.ui) return true;
  const int l = app_.language;
  const int answer =
      app_.ui->ask(pick(bustext::kUnsavedTitle, l), pick(bustext::kUnsavedQuestion, l),
                   {pick(bustext::kSaveButton, l), pick(bustext::kDiscardButton, l),
                    pick(bustext::kCancelButton, l)},
                   0, 2);
  if (answer == 0) return save();  // a cancelled or failed save keeps the edits
  return answer == 1;
}

BusPanel* BusPanel::of(QWidget* window) {
  return window ? window->findChild<BusPanel*>(QString::fromLatin1(kPanelName),
                                               Qt::FindDirectChildrenOnly)
                : nullptr;
}

int BusPanel::load(const QString& path, bool discardConfirmed) {
  if (!discardConfirmed && !confirmDiscard()) return 0;
  const int result = karvel::ConvertAndRenderXMLFileInTree(app_, screen_, path);
  forgetEdits();
  render();
  return result;
}

void BusPanel::close() {
  if (!confirmDiscard()) return;
  CloseBusFile(app_, screen_);
  forgetEdits();
  render();
}

bool BusPanel::save() {
  if (!app_.ui) return false;
  FileRequest request;
  request.pattern = QStringLiteral("*.BUS");
  request.types = {QStringLiteral("*.BUS")};
  request.title = pick(bustext::kBusFile, app_.language);
  request.confirm = FileRequest::Confirm::Save;
  request.forceExtension = true;
  startBesideFileShown(request);
  const FileChoice choice = app_.ui->chooseFile(request);
  if (choice.kind == FileChoice::Kind::None || choice.path.isEmpty() || !app_.xmlDocument)
    return false;
  const QString target = busSavePath(choice.path, isSecondFamilyDocument(*app_.xmlDocument));
  if (!confirmReplace(app_, choice, target)) return false;
  QString written;
  QString error;
  if (SaveBusDocument(app_, choice.path, &written, &error) < 0) {
    app_.ui->message(pick(bustext::kErrorTitle, app_.language), error);
    return false;
  }
  // The document now is that file: the edits are in it, not in the one read.
  showWritten(written);
  return true;
}

void BusPanel::render() {
  rendering_ = true;
  const BusView& v = screen_.view;
  if (fileField_) fileField_->setText(v.filePath);
  if (auto* main = qobject_cast<QMainWindow*>(window_)) {
    main->setWindowTitle(mainWindowTitle(app_.xmlDocument ? v.filePath : QString()));
    main->setWindowModified(isModified());
  }
  if (busField_) busField_->setText(v.title);
  if (commentField_) commentField_->setText(v.comment);
  if (busPicture_) {
    QPixmap picture;
    if (!v.picturePath.isEmpty()) picture.load(v.picturePath);
    if (picture.isNull()) {
      busPicture_->clear();
    } else {
      const QSize room = busPicture_->contentsRect().size();
      busPicture_->setPixmap(
          room.width() > 16 && room.height() > 16
              ? picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
              : picture);
    }
    describePicture();
  }
  if (busTable_) {
    const QSignalBlocker blocker(busTable_);
    // The keyboard user stays on the cell after an edit, an undo or a save.
    const int currentRow = busTable_->currentRow();
    const int currentColumn = busTable_->currentColumn();
    busTable_->setUpdatesEnabled(false);
    busTable_->setRowCount(0);
    busTable_->setRowCount(static_cast<int>(v.rows.size()));
    const Qt::ItemFlags flags = v.cellsMarked
                                    ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                    : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    for (int r = 0; r < static_cast<int>(v.rows.size()); ++r) {
      const BusRow& row = v.rows[static_cast<std::size_t>(r)];
      busTable_->setVerticalHeaderItem(r, new QTableWidgetItem(row.label));
      const QColor background = QColor::fromRgb(row.background);
      const QColor text = textColourOn(background);
      for (int c = 0; c < 3; ++c) {
        auto* item = new QTableWidgetItem(row.cells[static_cast<std::size_t>(c)]);
        item->setBackground(background);
        item->setForeground(text);
        item->setFlags(flags);
        busTable_->setItem(r, c, item);
      }
    }
    if (currentRow >= 0 && currentRow < busTable_->rowCount() && currentColumn >= 0)
      busTable_->setCurrentCell(currentRow, currentColumn);
    busTable_->setUpdatesEnabled(true);
  }
  if (frequencyField_) frequencyField_->setText(v.frequencyText);
  if (bitTimeField_) bitTimeField_->setText(v.bitTimeText);
  if (maxVoltageField_) maxVoltageField_->setText(v.maxVoltageText);
  if (speedCaption_) speedCaption_->setEnabled(v.speedEnabled);
  if (speedNextButton_) speedNextButton_->setEnabled(v.speedEnabled);
  if (voltageCaption_) voltageCaption_->setEnabled(v.voltageEnabled);
  if (voltageNextButton_) voltageNextButton_->setEnabled(v.voltageEnabled);
  if (newSpeedItem_) newSpeedItem_->setEnabled(v.speedEnabled);
  if (newVoltageItem_) newVoltageItem_->setEnabled(v.voltageEnabled);
  rendering_ = false;
}

bool BusPanel::eventFilter(QObject* watched, QEvent* event) {
  // Tab into the table lands on a cell the user sees: Qt leaves none current
  // once the rows were rebuilt.
  if (watched == busTable_ && event->type() == QEvent::FocusIn && busTable_->rowCount() > 0 &&
      !busTable_->currentIndex().isValid() &&
      static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
    busTable_->setCurrentCell(0, 0);
  return QObject::eventFilter(watched, event);
}

void BusPanel::describePicture() {
  // A screen reader cannot see the picture: it hears which bus it shows.
  if (!busPicture_) return;
  const bool shown = !busPicture_->pixmap().isNull();
  busPicture_->setAccessibleDescription(shown ? screen_.view.title
                                              : pick(text::kNoBusPicture, app_.language));
}

void BusPanel::modifValXML(int row, int column) {
  if (rendering_ || !busTable_) return;
  QTableWidgetItem* item = busTable_->item(row, column);
  if (!item) return;
  const std::size_t r = static_cast<std::size_t>(row);
  const std::size_t cell = static_cast<std::size_t>(column < 2 ? column : 2);
  const bool inView = r < screen_.view.rows.size();
  const QString shownBefore = inView ? screen_.view.rows[r].cells[cell] : QString();
  const pugi::xml_attribute attribute = busCellAttribute(app_, row + 1, column + 1);
  const XmlDocument::RawValue before =
      app_.xmlDocument ? app_.xmlDocument->rawValue(attribute) : XmlDocument::RawValue{};

  const QString shown = karvel::modifValXML(app_, screen_, row + 1, column + 1, item->text());
  {
    const QSignalBlocker blocker(busTable_);
    item->setText(shown);
  }
  if (!app_.xmlDocument || !inView) return showModified();
  const XmlDocument::RawValue after = app_.xmlDocument->rawValue(attribute);
  if (sameRaw(before, after) && shownBefore == shown) return showModified();
  undo_->push(new DocumentEdit(app_, {{attribute, before, after}},
                               [this, r, cell, shownBefore, shown](bool undo) {
                                 if (r < screen_.view.rows.size())
                                   screen_.view.rows[r].cells[cell] = undo ? shownBefore : shown;
                                 render();
                               }));
  showModified();
}

void BusPanel::ModifTitle() {
  if (rendering_ || !busField_ || !commentField_) return;
  const QString titleBefore = screen_.view.title;
  const QString commentBefore = screen_.view.comment;
  const auto [title, comment] = busTitleAttributes(app_);
  XmlDocument* doc = app_.xmlDocument.get();
  const XmlDocument::RawValue titleRaw = doc ? doc->rawValue(title) : XmlDocument::RawValue{};
  const XmlDocument::RawValue commentRaw = doc ? doc->rawValue(comment) : XmlDocument::RawValue{};
  QString error;
  if (!karvel::ModifTitle(app_, screen_, busField_->text(), commentField_->text(), &error) &&
      app_.ui)
    app_.ui->message(pick(bustext::kErrorTitle, app_.language), error);
  if (!doc) return showModified();
  const QString titleAfter = screen_.view.title;
  const QString commentAfter = screen_.view.comment;
  std::vector<DocumentEdit::Value> values = {{title, titleRaw, doc->rawValue(title)},
                                             {comment, commentRaw, doc->rawValue(comment)}};
  if (sameRaw(values[0].before, values[0].after) && sameRaw(values[1].before, values[1].after) &&
      titleBefore == titleAfter && commentBefore == commentAfter)
    return showModified();
  undo_->push(
      new DocumentEdit(app_, std::move(values),
                       [this, titleBefore, commentBefore, titleAfter, commentAfter](bool undo) {
                         screen_.view.title = undo ? titleBefore : titleAfter;
                         screen_.view.comment = undo ? commentBefore : commentAfter;
                         render();
                       }));
  showModified();
}

QDialog* BusPanel::CreationFichier(bool speed) {
  if (!app_.xmlDocument) return nullptr;
  QDialog* dialog = nullptr;
  if (speed) {
    auto* d = new NewSpeedDialog(app_, *this, window_);
    d->setFields(busField_ ? busField_->text() : screen_.view.title, screen_.state.busSpeed);
    app_.speedPanel = d;
    dialog = d;
  } else {
    auto* d = new NewVoltageDialog(app_, *this, window_);
    d->setFields(busField_ ? busField_->text() : screen_.view.title,
                 maxVoltageField_ ? maxVoltageField_->text() : screen_.view.maxVoltageText);
    app_.voltagePanel = d;
    dialog = d;
  }
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->show();
  // The keyboard goes to the dialog at once, opened from the menu or a button.
  dialog->activateWindow();
  return dialog;
}

BusPanel* BusPanel::attachedTo(AppState& app, QWidget* window) {
  BusPanel* panel = of(window);
  return panel ? panel : new BusPanel(app, window);
}

int ConvertAndRenderXMLFileInTree(AppState& app, QWidget* mainWindow, const QString& path) {
  return BusPanel::attachedTo(app, mainWindow)->load(path);
}

}  // namespace karvel::ui
