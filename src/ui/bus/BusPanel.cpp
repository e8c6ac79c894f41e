// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/bus/BusPanel.h"

#include <QAbstractItemDelegate>
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
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QUndoCommand>
#include <QUndoStack>
#include <algorithm>

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

bool sameRaw(const XmlDocument::RawValue& a, const XmlDocument::RawValue& b) {
  return a.valid == b.valid && a.edited == b.edited && a.replacement == b.replacement &&
         a.treeValue == b.treeValue;
}

// Which typing an edit belongs to: the typing session, and the cell or
// fields typed into. A session of -1 stands alone.
struct Typing {
  int session = -1;
  int target = 0;
};

// One edit of the document, undone by giving its attributes back their exact
// bytes, so that an edit undone and saved writes the file as it was. The
// keys typed into one field or cell, from the first until the user leaves
// it, make one edit: each is in the document at once, and Undo takes back
// the whole typing.
class DocumentEdit : public QUndoCommand {
 public:
  struct Value {
    pugi::xml_attribute attribute;
    XmlDocument::RawValue before;
    XmlDocument::RawValue after;
  };
  using Show = std::function<void(const QStringList& shown)>;
  DocumentEdit(AppState& app, std::vector<Value> values, QStringList shownBefore,
               QStringList shownAfter, Show show, Typing typing = {})
      : app_(app),
        values_(std::move(values)),
        shownBefore_(std::move(shownBefore)),
        shownAfter_(std::move(shownAfter)),
        show_(std::move(show)),
        typing_(typing) {}
  int id() const override { return typing_.session >= 0 ? 1 : -1; }
  bool mergeWith(const QUndoCommand* other) override {
    const auto* next = dynamic_cast<const DocumentEdit*>(other);
    if (!next || next->typing_.session != typing_.session || next->typing_.target != typing_.target)
      return false;
    for (const Value& v : next->values_) {
      const auto same = std::find_if(values_.begin(), values_.end(), [&](const Value& mine) {
        return mine.attribute == v.attribute;
      });
      if (same != values_.end())
        same->after = v.after;
      else
        values_.push_back(v);
    }
    shownAfter_ = next->shownAfter_;
    // Typed back to what it was: nothing is left to undo.
    setObsolete(unchanged());
    return true;
  }
  bool unchanged() const {
    return shownBefore_ == shownAfter_ &&
           std::all_of(values_.begin(), values_.end(),
                       [](const Value& v) { return sameRaw(v.before, v.after); });
  }
  Typing typing() const { return typing_; }
  bool isTyping(Typing typing) const {
    return typing.session >= 0 && typing.session == typing_.session &&
           typing.target == typing_.target;
  }
  // The typing is taken back for good (Escape in a cell's editor): undone,
  // it leaves nothing to redo.
  void dropWhenUndone() { dropWhenUndone_ = true; }
  void undo() override {
    apply(true);
    if (dropWhenUndone_) setObsolete(true);
  }
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
    show_(undo ? shownBefore_ : shownAfter_);
  }
  AppState& app_;
  std::vector<Value> values_;
  QStringList shownBefore_;
  QStringList shownAfter_;
  Show show_;
  Typing typing_;
  bool done_ = false;
  bool dropWhenUndone_ = false;
};

// The table's editor: what is typed into a cell goes into the document key
// by key, as into the bus name and comment fields, so that whatever reads
// the document (Save, a generator, the unsaved-edits question) finds it
// while the editor is still open.
class TypedCellDelegate : public QStyledItemDelegate {
 public:
  using Typed = std::function<void(int row, int column, const QString& text)>;
  TypedCellDelegate(QObject* parent, Typed typed, std::function<void(QWidget* editor)> opened)
      : QStyledItemDelegate(parent), typed_(std::move(typed)), opened_(std::move(opened)) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (opened_) opened_(editor);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      const QPersistentModelIndex at(index);
      const Typed typed = typed_;
      connect(line, &QLineEdit::textEdited, line, [typed, at](const QString& text) {
        if (at.isValid()) typed(at.row(), at.column(), text);
      });
    }
    return editor;
  }

 private:
  Typed typed_;
  std::function<void(QWidget* editor)> opened_;
};

// The main window's title: the program's alone, or after the name of the
// file shown, with the place for the unsaved-edits "*".
QString mainWindowTitle(const QString& filePath) {
  const QString version = QString::fromUtf8(kVersionText);
  const QString name = QFileInfo(QDir::fromNativeSeparators(filePath)).fileName();
  return name.isEmpty() ? version : name + QStringLiteral("[*] - ") + version;
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
    auto* delegate = new TypedCellDelegate(
        busTable_,
        [this](int row, int column, const QString& text) { typedIntoCell(row, column, text); },
        [this](QWidget* editor) {
          endTyping();
          cellEditor_ = editor;
        });
    busTable_->setItemDelegate(delegate);
    connect(delegate, &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
              cellEditor_ = nullptr;
              // Escape gives the cell back its value from before the editor.
              if (hint == QAbstractItemDelegate::RevertModelCache) dropTyping();
              endTyping();
            });
  }
  // Each key typed is an edit of the document at once (textEdited: the
  // user's, never the panel's own setText); leaving the field or Return ends
  // the typing that Undo takes back as one.
  for (QLineEdit* field : {busField_, commentField_}) {
    if (!field) continue;
    connect(field, &QLineEdit::textEdited, this, [this] { ModifTitle(true); });
    connect(field, &QLineEdit::editingFinished, this, [this] {
      ModifTitle(false);
      endTyping();
    });
  }
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

bool BusPanel::settleBeforeSending(QString& path) {
  if (!isModified() || !app_.ui) return true;
  const QString shown =
      QFileInfo(QDir::fromNativeSeparators(screen_.view.filePath)).canonicalFilePath();
  if (shown.isEmpty() || shown != QFileInfo(QDir::fromNativeSeparators(path)).canonicalFilePath())
    return true;
  const int l = app_.language;
  const int answer =
      app_.ui->ask(pick(bustext::kUnsavedTitle, l),
                   pick(bustext::kSendUnsavedQuestion, l).arg(QFileInfo(shown).fileName()),
                   {pick(bustext::kSaveAndSend, l), pick(bustext::kSendAsSaved, l),
                    pick(bustext::kCancelButton, l)},
                   0, 2);
  if (answer == 0) {
    if (!save()) return false;  // a cancelled or failed save sends nothing
    path = QDir::fromNativeSeparators(screen_.view.filePath);
    return true;
  }
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
  // A field being typed into keeps its cursor: it already shows its text.
  if (busField_ && busField_->text() != v.title) busField_->setText(v.title);
  if (commentField_ && commentField_->text() != v.comment) commentField_->setText(v.comment);
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
    // An editor still open is closed first: what it holds is in the
    // document already, and the rows it stands on are rebuilt.
    if (cellEditor_)
      emit busTable_->itemDelegate()->closeEditor(cellEditor_, QAbstractItemDelegate::NoHint);
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

namespace {

// The typing an edit belongs to: one cell, or the bus name and comment
// together (both are written at each edit).
constexpr int kTitleTyping = -1;
int cellTyping(int row, int column) { return row * 3 + column; }

// Pushes `edit` unless it changes nothing; an edit that continues the
// typing on top of the stack is pushed even so: it may take that back.
void pushEdit(QUndoStack& stack, DocumentEdit* edit, Typing typing) {
  const auto* top = stack.index() > 0
                        ? dynamic_cast<const DocumentEdit*>(stack.command(stack.index() - 1))
                        : nullptr;
  if (edit->unchanged() && !(top && top->isTyping(typing))) {
    delete edit;
    return;
  }
  stack.push(edit);
}

}  // namespace

void BusPanel::endTyping() { ++typingSession_; }

void BusPanel::dropTyping() {
  const auto* top = undo_->index() > 0
                        ? dynamic_cast<const DocumentEdit*>(undo_->command(undo_->index() - 1))
                        : nullptr;
  if (!top || !top->isTyping({typingSession_, top->typing().target})) return;
  const_cast<DocumentEdit*>(top)->dropWhenUndone();
  undo_->undo();
}

void BusPanel::modifValXML(int row, int column) {
  if (rendering_ || !busTable_) return;
  QTableWidgetItem* item = busTable_->item(row, column);
  if (!item) return;
  const QString shown = editCell(row, column, item->text(), false);
  const QSignalBlocker blocker(busTable_);
  item->setText(shown);
}

void BusPanel::typedIntoCell(int row, int column, const QString& text) {
  // The editor keeps what is typed; the cell shows the value formatted once
  // the editor closes.
  if (rendering_ || !busTable_) return;
  editCell(row, column, text, true);
}

QString BusPanel::editCell(int row, int column, const QString& text, bool typing) {
  const std::size_t r = static_cast<std::size_t>(row);
  const std::size_t cell = static_cast<std::size_t>(column < 2 ? column : 2);
  const bool inView = r < screen_.view.rows.size();
  const QString shownBefore = inView ? screen_.view.rows[r].cells[cell] : QString();
  const pugi::xml_attribute attribute = busCellAttribute(app_, row + 1, column + 1);
  const XmlDocument::RawValue before =
      app_.xmlDocument ? app_.xmlDocument->rawValue(attribute) : XmlDocument::RawValue{};

  const QString shown = karvel::modifValXML(app_, screen_, row + 1, column + 1, text);
  if (app_.xmlDocument && inView) {
    const Typing typed = typing ? Typing{typingSession_, cellTyping(row, column)} : Typing{};
    pushEdit(*undo_,
             new DocumentEdit(
                 app_, {{attribute, before, app_.xmlDocument->rawValue(attribute)}}, {shownBefore},
                 {shown},
                 [this, r, cell](const QStringList& cells) {
                   if (r < screen_.view.rows.size())
                     screen_.view.rows[r].cells[cell] = cells.value(0);
                   render();
                 },
                 typed),
             typed);
  }
  showModified();
  return shown;
}

void BusPanel::ModifTitle(bool typing) {
  if (rendering_ || !busField_ || !commentField_) return;
  const QString titleBefore = screen_.view.title;
  const QString commentBefore = screen_.view.comment;
  const auto [title, comment] = busTitleAttributes(app_);
  XmlDocument* doc = app_.xmlDocument.get();
  const XmlDocument::RawValue titleRaw = doc ? doc->rawValue(title) : XmlDocument::RawValue{};
  const XmlDocument::RawValue commentRaw = doc ? doc->rawValue(comment) : XmlDocument::RawValue{};
  QString error;
  const bool stored =
      karvel::ModifTitle(app_, screen_, busField_->text(), commentField_->text(), &error);
  if (!doc) return showModified();
  if (!stored) {
    // A field never shows a text that the document does not hold: the
    // refused one goes back to what is stored, and the user is told why.
    auto keepStored = [&](QLineEdit* field, pugi::xml_attribute attribute, QString& shown) {
      if (!attribute || doc->value(attribute) == field->text()) return;
      shown = doc->value(attribute);
      const int fromEnd = static_cast<int>(field->text().size()) - field->cursorPosition();
      const QSignalBlocker blocker(field);
      field->setText(shown);
      field->setCursorPosition(std::max(0, static_cast<int>(shown.size()) - fromEnd));
    };
    keepStored(busField_, title, screen_.view.title);
    keepStored(commentField_, comment, screen_.view.comment);
  }
  const Typing typed = typing ? Typing{typingSession_, kTitleTyping} : Typing{};
  pushEdit(
      *undo_,
      new DocumentEdit(
          app_,
          {{title, titleRaw, doc->rawValue(title)}, {comment, commentRaw, doc->rawValue(comment)}},
          {titleBefore, commentBefore}, {screen_.view.title, screen_.view.comment},
          [this](const QStringList& texts) {
            screen_.view.title = texts.value(0);
            screen_.view.comment = texts.value(1);
            render();
          },
          typed),
      typed);
  showModified();
  if (!stored && app_.ui) app_.ui->message(pick(bustext::kErrorTitle, app_.language), error);
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
