// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/bus/NewFileDialogs.h"

#include <QSignalBlocker>

#include "core/bus/BusFile.h"
#include "core/bus/BusGenerators.h"
#include "core/bus/BusTexts.h"
#include "core/frame/Interaction.h"
#include "ui/bus/BusPanel.h"
#include "ui/frame/Captions.h"
#include "ui_NewSpeedDialog.h"
#include "ui_NewVoltageDialog.h"

namespace karvel::ui {

namespace {

// The save dialog both generators use, and the question before a file is
// replaced; an empty text when cancelled or not to be replaced.
QString askNewFileName(AppState& app, const BusPanel& panel) {
  if (!app.ui) return {};
  FileRequest request;
  request.pattern = QStringLiteral("*.BUS");
  request.types = {QStringLiteral("*.BUS")};
  request.title = pick(bustext::kBackupFile, app.language);
  request.confirm = FileRequest::Confirm::Save;
  request.forceExtension = true;
  panel.startBesideFileShown(request);
  const FileChoice choice = app.ui->chooseFile(request);
  if (choice.kind == FileChoice::Kind::None || choice.path.isEmpty()) return {};
  // The dialog asks nobody about an existing file: ask here.
  const FileChoice unconfirmed{FileChoice::Kind::New, choice.path};
  if (!confirmReplace(app, unconfirmed, choice.path)) return {};
  return choice.path;
}

// A generator that cannot run says why before any file name is asked for.
bool refused(AppState& app, const QString& why) {
  if (why.isEmpty()) return false;
  if (app.ui) app.ui->message(pick(bustext::kErrorTitle, app.language), why);
  return true;
}

enum Field { SpeedField, KiloField, MegaField };

// The question on one line up to this width, rather than its "?" alone on
// a second one.
constexpr int kQuestionWidth = 640;

}  // namespace

NewSpeedDialog::NewSpeedDialog(AppState& app, BusPanel& panel, QWidget* parent)
    : QDialog(parent), app_(app), panel_(panel), form_(std::make_unique<Ui::NewSpeedDialog>()) {
  form_->setupUi(this);
  TraducNewFichier();
  // Every key typed in one of the three fields updates the other two.
  connect(form_->speedField, &QSpinBox::valueChanged, this, [this] { couple(SpeedField); });
  connect(form_->kiloField, &QDoubleSpinBox::valueChanged, this, [this] { couple(KiloField); });
  connect(form_->megaField, &QDoubleSpinBox::valueChanged, this, [this] { couple(MegaField); });
  connect(form_->generateButton, &QPushButton::clicked, this, [this] { CalculNewFreq(); });
  connect(form_->quitButton, &QPushButton::clicked, this, &QDialog::close);
}

NewSpeedDialog::~NewSpeedDialog() = default;

void NewSpeedDialog::TraducNewFichier() {
  const int l = app_.language;
  setWindowTitle(pick(bustext::kFileCreation, l));
  form_->questionLabel->setText(pick(bustext::kSpeedQuestion, l));
  keepWrittenLines(*form_->questionLabel, kQuestionWidth);
  form_->titleLabel->setText(pick(bustext::kTitleField, l));
  form_->quitButton->setText(pick(bustext::kQuit, l));
  form_->generateButton->setText(pick(bustext::kGenerate, l));
  // The unit beside a field is too little for a screen reader to go by.
  form_->speedField->setAccessibleName(pick(bustext::kNameSpeedBits, l));
  form_->kiloField->setAccessibleName(pick(bustext::kNameSpeedKilo, l));
  form_->megaField->setAccessibleName(pick(bustext::kNameSpeedMega, l));
}

void NewSpeedDialog::setFields(const QString& title, int speed) {
  form_->titleField->setText(title.left(form_->titleField->maxLength()));
  form_->speedField->setValue(std::max(0, speed));
  couple(SpeedField);
}

void NewSpeedDialog::couple(int field) {
  if (coupling_) return;
  coupling_ = true;
  SpeedFields f;
  if (field == SpeedField) f = speedFieldsFromSpeed(form_->speedField->value());
  if (field == KiloField) f = speedFieldsFromKilo(form_->kiloField->value());
  if (field == MegaField) f = speedFieldsFromMega(form_->megaField->value());
  if (field != SpeedField) form_->speedField->setValue(f.speed);
  if (field != KiloField) form_->kiloField->setValue(f.kilo);
  if (field != MegaField) form_->megaField->setValue(f.mega);
  coupling_ = false;
}

void NewSpeedDialog::CalculNewFreq() {
  if (refused(app_, newSpeedRefusal(app_, panel_.screen(), form_->speedField->value()))) return;
  const QString path = askNewFileName(app_, panel_);
  if (path.isEmpty()) {
    close();
    return;
  }
  const int result = karvel::CalculNewFreq(app_, panel_.screen(), form_->speedField->value(),
                                           form_->titleField->text(), path);
  if (result >= 0) {
    panel_.forgetEdits();
    panel_.showWritten(path);
  } else {
    panel_.render();
  }
  // A refused value stays in the dialog to be corrected.
  if (result >= 0) close();
}

NewVoltageDialog::NewVoltageDialog(AppState& app, BusPanel& panel, QWidget* parent)
    : QDialog(parent), app_(app), panel_(panel), form_(std::make_unique<Ui::NewVoltageDialog>()) {
  form_->setupUi(this);
  TraducNewFichier2();
  connect(form_->generateButton, &QPushButton::clicked, this, [this] { CalculNewAmpl(); });
  connect(form_->quitButton, &QPushButton::clicked, this, &QDialog::close);
}

NewVoltageDialog::~NewVoltageDialog() = default;

void NewVoltageDialog::TraducNewFichier2() {
  const int l = app_.language;
  setWindowTitle(pick(bustext::kFileCreation, l));
  form_->questionLabel->setText(pick(bustext::kVoltageQuestion, l));
  keepWrittenLines(*form_->questionLabel, kQuestionWidth);
  form_->titleLabel->setText(pick(bustext::kTitleField, l));
  form_->quitButton->setText(pick(bustext::kQuit, l));
  form_->generateButton->setText(pick(bustext::kGenerate, l));
  form_->voltageField->setAccessibleName(pick(bustext::kNameVoltage, l));
}

void NewVoltageDialog::setFields(const QString& title, const QString& maxVoltageText) {
  form_->titleField->setText(title.left(form_->titleField->maxLength()));
  form_->voltageField->setValue(voltageFieldValue(maxVoltageText));
}

void NewVoltageDialog::CalculNewAmpl() {
  if (refused(app_, newVoltageRefusal(app_, panel_.screen(), form_->voltageField->value()))) return;
  const QString path = askNewFileName(app_, panel_);
  if (path.isEmpty()) {
    close();
    return;
  }
  const int result = karvel::CalculNewAmpl(app_, panel_.screen(), form_->voltageField->value(),
                                           form_->titleField->text(), path);
  if (result >= 0) {
    panel_.forgetEdits();
    panel_.showWritten(path);
  } else {
    panel_.render();
  }
  if (result >= 0) close();
}

}  // namespace karvel::ui
