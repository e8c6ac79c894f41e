// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/instrument/ImportDialog.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "core/frame/Interaction.h"
#include "core/frame/Langue.h"
#include "core/frame/Messages.h"
#include "core/frame/OperationProgress.h"
#include "core/instrument/Catalogue.h"
#include "core/instrument/Communication.h"
#include "core/instrument/CommunicationTexts.h"
#include "core/instrument/FileTransfer.h"
#include "core/instrument/TransferTexts.h"
#include "ui/bus/BusPanel.h"
#include "ui/frame/LabelledFields.h"
#include "ui/instrument/TransferProgress.h"
#include "ui/results/ResultWindow.h"
#include "ui_ImportDialog.h"

namespace karvel::ui {

namespace {

constexpr int kMessageBadFilename = 19;
constexpr int kStoreRole = Qt::UserRole;
// The pattern counts as "no file picked" only near the start of the name.
constexpr int kPatternSearchLength = 12;

constexpr int kStoreNameRole = Qt::UserRole + 1;
// The file's name exactly as the instrument gave it; the item shows it with
// its control characters written visibly.
constexpr int kExactNameRole = Qt::UserRole + 2;

void setBusy(AppState& state, bool busy) {
  if (state.ui) state.ui->setBusy(busy);
}

// Each file's store shown after its name, in the list's dimmed text colour;
// the item's own text stays the file name that the name field takes.
class StoreDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    const QString store = index.data(kStoreNameRole).toString();
    if (store.isEmpty()) return;
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(
        option.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
    painter->drawText(option.rect.adjusted(0, 0, -6, 0), Qt::AlignRight | Qt::AlignVCenter, store);
    painter->restore();
  }
};

}  // namespace

ImportDialog::ImportDialog(AppState& state, QWidget* mainWindow)
    : QDialog(mainWindow),
      state_(state),
      mainWindow_(mainWindow),
      form_(std::make_unique<Ui::ImportDialog>()) {
  form_->setupUi(this);
  Ui::ImportDialog& f = *form_;
  // The selector's own items; a value outside them would list nothing.
  connect(f.typeSelector, &QComboBox::activated, this,
          [this] { Importer(Control::TypeSelector, Commit); });
  connect(f.fileList, &QListWidget::currentRowChanged, this,
          [this] { Importer(Control::FileList, ValueChanged); });
  connect(f.fileList, &QListWidget::itemDoubleClicked, this,
          [this] { Importer(Control::FileList, DoubleClick); });
  // A scroll by the user: the scroll bar's own actions and the wheel.
  connect(f.fileList->verticalScrollBar(), &QScrollBar::actionTriggered, this,
          [this] { Importer(Control::FileList, VerticalScroll); });
  f.fileList->setItemDelegate(new StoreDelegate(f.fileList));
  f.fileList->installEventFilter(this);
  f.fileList->viewport()->installEventFilter(this);
  connect(f.fetchButton, &QPushButton::clicked, this,
          [this] { Importer(Control::FetchButton, Commit); });
  connect(f.quitButton, &QPushButton::clicked, this,
          [this] { Importer(Control::QuitButton, Commit); });
  state_.importPanel = this;
}

ImportDialog::~ImportDialog() {
  if (state_.importPanel == this) state_.importPanel = nullptr;
}

void ImportDialog::TraducImporter() {
  const int language = state_.language;
  setWindowTitle(pick(text::kImportTitle, language));
  form_->quitButton->setText(pick(text::kQuitButton, language));
  form_->fileNameLabel->setText(pick(text::kImportFileName, language));
  form_->typeLabel->setText(pick(text::kImportFileType, language));
  nameFieldsAfterLabels(this);
  form_->fileList->setAccessibleName(pick(text::kImportListName, language));
  form_->fetchButton->setAccessibleDescription(pick(text::kImportFetchHint, language));
}

bool ImportDialog::eventFilter(QObject* watched, QEvent* event) {
  QListWidget* list = form_->fileList;
  if (watched == list->viewport() && event->type() == QEvent::Wheel)
    Importer(Control::FileList, VerticalScroll);
  if (watched == list && event->type() == QEvent::FocusIn) Importer(Control::FileList, GotFocus);
  return QDialog::eventFilter(watched, event);
}

int ImportDialog::Importer(Control control, int event) {
  Ui::ImportDialog& f = *form_;
  if (event == VerticalScroll) {
    skipDoubleClick_ = 1;
    return 0;
  }
  if (control == Control::FileList && event == DoubleClick) {
    if (skipDoubleClick_ == 1) {
      skipDoubleClick_ = 0;
      return 0;
    }
    return Importer(Control::FetchButton, Commit);
  }
  if (control == Control::FileList && (event == ValueChanged || event == GotFocus)) {
    state_.importSource = f.typeSelector->currentIndex();
    if (QListWidgetItem* item = f.fileList->currentItem()) {
      f.fileNameField->clear();
      f.fileNameField->setText(item->text());
    }
    return 0;
  }
  if (event != Commit) return 0;
  switch (control) {
    case Control::TypeSelector:
      listFiles();
      break;
    case Control::FetchButton:
      fetch();
      break;
    case Control::QuitButton:
      quit();
      break;
    default:
      break;
  }
  return 0;
}

void ImportDialog::listFiles() {
  Ui::ImportDialog& f = *form_;
  // The link may have ended while the dialog was up (the user was told):
  // the instrument is asked for again before its stores are.
  if (!state_.sessionOpen && OpenDev(state_) < 0) return;
  setBusy(state_, true);
  state_.importSource = std::clamp(f.typeSelector->currentIndex(), 0, 1);
  f.fileNameField->clear();
  {
    // Filling the list is not the user choosing an item.
    const QSignalBlocker quiet(f.fileList);
    f.fileList->clear();
  }
  f.fileList->repaint();
  f.fileNameField->setEnabled(true);
  f.fileList->setEnabled(true);
  f.fileNameField->setText(QString::fromLatin1(kImportPatterns[state_.importSource]));
  QList<CatalogueEntry> files;
  int result = 0;
  {
    OperationScope operation(state_, pick(text::kActivityMemoryCatalogue, state_.language));
    result = RetourneCatalogue(state_, state_.importSource, files);
    // Stopped by the user: a list cut short would say the store holds less
    // than it does; the session stays open for another try.
    if (operationCancelled(state_)) {
      files.clear();
      result = 0;
    }
  }
  {
    const QSignalBlocker quiet(f.fileList);
    for (const CatalogueEntry& file : files) {
      // A name's escape sequences and line breaks must not act on the list.
      const QString shown = visibleName(file.name);
      auto* item = new QListWidgetItem(shown, f.fileList);
      item->setData(kExactNameRole, file.name);
      item->setData(kStoreRole, file.store);
      item->setData(kStoreNameRole,
                    pick(file.store == 0 ? text::kStoreMemory : text::kStoreCard, state_.language));
      // The store is painted beside the name, which a screen reader does not
      // see: it reads the store in the item's accessible text instead.
      const QString where =
          pick(file.store == 0 ? text::kStoreInMemory : text::kStoreOnCard, state_.language);
      item->setData(Qt::AccessibleTextRole,
                    pick(text::kImportEntry, state_.language).arg(shown, where));
    }
  }
  setBusy(state_, false);
  if (result < 0) PopupErreur(state_, result);
}

void ImportDialog::fetch() {
  Ui::ImportDialog& f = *form_;
  if (!state_.sessionOpen && OpenDev(state_) < 0) return;
  state_.importSource = std::clamp(f.typeSelector->currentIndex(), 0, 1);
  // With no item the store is that of the internal memory.
  const QListWidgetItem* item = f.fileList->currentItem();
  const int store = item ? item->data(kStoreRole).toInt() : 0;
  // The item's name as the instrument has it, unless the user typed another.
  const QString name = item && f.fileNameField->text() == item->text()
                           ? item->data(kExactNameRole).toString()
                           : f.fileNameField->text();
  if (name.left(kPatternSearchLength).contains(QStringLiteral("*."))) {
    PopupErreur(state_, kMessageBadFilename);
    return;
  }
  // A result gets a temporary file of its own, so that two windows of the
  // same result never share (and delete) one file; a bus file is read into
  // the main window at once from the one temporary file of bus files.
  const QString folder = temporaryFolder(state_);
  auto fileError = [&](const QString& file, const QString& reason) {
    state_.ui->message(
        pick(text::kErrorWord, state_.language),
        pick(text::kCannotWriteFile, state_.language).arg(QDir::toNativeSeparators(file), reason));
  };
  QString path;
  BusPanel* panel = nullptr;
  QPointer<ResultWindow> fetched;
  if (state_.importSource == kKindBus) {
    // Unsaved edits of the file shown are saved or given up before the fetch.
    if (mainWindow_) {
      panel = BusPanel::attachedTo(state_, mainWindow_);
      if (!panel->confirmDiscard()) return;
    }
    path = temporaryPath(folder, name, kKindBus);
  } else {
    QString reason;
    path = newTemporaryFile(folder, name, state_.importSource, &reason);
    if (path.isEmpty()) {
      fileError(folder, reason);
      return;
    }
  }
  setBusy(state_, true);
  int result = 0;
  QString reason;
  {
    TransferProgressDialog progress(this, state_.language);
    result = downloadFile(state_, state_.session, name, static_cast<io::ViUInt16>(store),
                          static_cast<io::ViInt16>(state_.importSource), path, &progress, &reason);
  }
  if (result < 0) {
    if (state_.importSource != kKindBus) QFile::remove(path);
    setBusy(state_, false);
    // Not being able to write the file on this PC is no fault of the link:
    // the session stays open. Nor is a cancel, and the user may pick again.
    if (result == kTransferCancelled) return;
    if (result == kDownloadCannotWrite) {
      fileError(path, reason);
    } else if (result == kDownloadNameRefused) {
      // Nothing was sent: the session stays open for the other files.
      state_.ui->message(
          pick(text::kErrorWord, state_.language),
          pick(text::kFetchNameRefused, state_.language).arg(visibleName(name), reason));
    } else if (result == kDownloadBadReply) {
      // The instrument answered, wrongly; what followed was drained.
      state_.ui->message(
          pick(text::kErrorWord, state_.language),
          pick(text::kFetchBadReply, state_.language).arg(visibleName(name), reason));
    } else {
      PopupErreur(state_, result);
    }
    return;
  }
  if (state_.importSource == kKindBus) {
    if (panel) {
      panel->load(path, true);
      QFile::remove(path);
      // The instrument's name, not the temporary file's, is what the user knows.
      panel->screen().view.filePath = name;
      panel->render();
    } else {
      QFile::remove(path);
    }
  } else {
    // The temporary file goes when its results window closes.
    // It is shown under the instrument's name, not the temporary file's.
    fetched = ReadHTMLFile(state_, path, ResultFile::Temporary, name);
    if (fetched) fetched->setInstrumentIdentification(state_.identificationReply);
  }
  setBusy(state_, false);
  AppState& state = state_;
  quit();
  // Once the dialog is gone, the site register may offer to file the result.
  if (fetched && state.offerFiling) state.offerFiling(fetched.data());
}

void ImportDialog::quit() {
  state_.importPanel = nullptr;
  done(QDialog::Rejected);
  close();
}

ImportDialog* prepareImportDialog(AppState& state, QWidget* mainWindow) {
  auto* dialog = new ImportDialog(state, mainWindow);
  dialog->TraducImporter();
  dialog->form().typeSelector->setCurrentIndex(std::clamp(state.importSource, 0, 1));
  dialog->Importer(ImportDialog::Control::TypeSelector, ImportDialog::Commit);
  return dialog;
}

void showImportDialog(AppState& state, QWidget* mainWindow) {
  ImportDialog* dialog = prepareImportDialog(state, mainWindow);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->exec();
}

}  // namespace karvel::ui
