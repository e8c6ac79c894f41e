#include "ui/bus/BusPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

#include "core/bus/BusTexts.h"
#include "core/frame/Interaction.h"
#include "core/bus/XmlDocument.h"
#include "ui/bus/NewFileDialogs.h"

namespace karvel::ui {

namespace {
const char kPanelName[] = "karvelBusPanel";

template <typename T>
T* widget(QWidget* window, const char* name) {
  return window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
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
  render();
}

BusPanel* BusPanel::of(QWidget* window) {
  return window ? window->findChild<BusPanel*>(QString::fromLatin1(kPanelName),
                                               Qt::FindDirectChildrenOnly)
                : nullptr;
}

int BusPanel::load(const QString& path) {
  const int result = karvel::ConvertAndRenderXMLFileInTree(app_, screen_, path);
  render();
  return result;
}

void BusPanel::close() {
  CloseBusFile(app_, screen_);
  render();
}

void BusPanel::save() {
  if (!app_.ui) return;
  FileRequest request;
  request.pattern = QStringLiteral("*.BUS");
  request.types = {QStringLiteral("*.BUS")};
  request.title = pick(bustext::kBusFile, app_.language);
  request.confirm = FileRequest::Confirm::Save;
  request.forceExtension = true;
  const FileChoice choice = app_.ui->chooseFile(request);
  if (choice.kind == FileChoice::Kind::None || choice.path.isEmpty() || !app_.xmlDocument) return;
  QString written;
  QString error;
  if (SaveBusDocument(app_, choice.path, &written, &error) < 0)
    app_.ui->message(pick(bustext::kErrorTitle, app_.language), error);
}

void BusPanel::render() {
  rendering_ = true;
  const BusView& v = screen_.view;
  if (fileField_) fileField_->setText(v.filePath);
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
  }
  if (busTable_) {
    const QSignalBlocker blocker(busTable_);
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
      for (int c = 0; c < 3; ++c) {
        auto* item = new QTableWidgetItem(row.cells[static_cast<std::size_t>(c)]);
        item->setBackground(background);
        item->setFlags(flags);
        busTable_->setItem(r, c, item);
      }
    }
    busTable_->setUpdatesEnabled(true);
  }
  if (frequencyField_) frequencyField_->setText(v.frequencyText);
  if (bitTimeField_) bitTimeField_->setText(v.bitTimeText);
  if (maxVoltageField_) maxVoltageField_->setText(v.maxVoltageText);
  if (speedCaption_) speedCaption_->setEnabled(v.speedEnabled);
  if (speedNextButton_) speedNextButton_->setEnabled(v.speedEnabled);
  if (voltageCaption_) voltageCaption_->setEnabled(v.voltageEnabled);
  if (voltageNextButton_) voltageNextButton_->setEnabled(v.voltageEnabled);
  rendering_ = false;
}

void BusPanel::modifValXML(int row, int column) {
  if (rendering_ || !busTable_) return;
  QTableWidgetItem* item = busTable_->item(row, column);
  if (!item) return;
  const QString shown = karvel::modifValXML(app_, screen_, row + 1, column + 1, item->text());
  const QSignalBlocker blocker(busTable_);
  item->setText(shown);
}

void BusPanel::ModifTitle() {
  if (rendering_ || !busField_ || !commentField_) return;
  QString error;
  if (!karvel::ModifTitle(app_, screen_, busField_->text(), commentField_->text(), &error) &&
      app_.ui)
    app_.ui->message(pick(bustext::kErrorTitle, app_.language), error);
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
  return dialog;
}

int ConvertAndRenderXMLFileInTree(AppState& app, QWidget* mainWindow, const QString& path) {
  BusPanel* panel = BusPanel::of(mainWindow);
  if (!panel) panel = new BusPanel(app, mainWindow);
  return panel->load(path);
}

}  // namespace karvel::ui
