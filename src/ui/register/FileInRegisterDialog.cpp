// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/register/FileInRegisterDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/frame/Texts.h"
#include "core/register/RegisterTexts.h"
#include "core/results/ResultReader.h"
#include "ui/frame/LabelledFields.h"

namespace karvel::ui {

namespace {

QComboBox* editableBox(QWidget* parent, const char* name) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setEditable(true);
  // A typed name is a new site or segment, not an item to add to the list.
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMinimumContentsLength(24);
  return box;
}

}  // namespace

FileInRegisterDialog::FileInRegisterDialog(int language, const QString& resultName,
                                           const QString& bus,
                                           std::vector<RegisterSegment> segments,
                                           const RegisterPlace& proposed, QWidget* parent)
    : QDialog(parent),
      language_(language),
      resultName_(resultName),
      bus_(bus),
      segments_(std::move(segments)) {
  setObjectName(QStringLiteral("FileInRegisterDialog"));
  setWindowTitle(pick(registertext::kFileDialogTitle, language));
  auto* form = new QFormLayout;

  // Said at once for a result filed before (showAlreadyFiled); hidden else.
  notice_ = new QLabel(this);
  notice_->setObjectName(QStringLiteral("alreadyFiledNotice"));
  notice_->setTextFormat(Qt::PlainText);
  notice_->setWordWrap(true);
  notice_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  notice_->setFocusPolicy(Qt::StrongFocus);
  notice_->hide();
  auto* what = new QLineEdit(this);
  what->setObjectName(QStringLiteral("resultField"));
  what->setReadOnly(true);
  // Read-only, but it says what is filed: Tab reaches it.
  what->setFocusPolicy(Qt::StrongFocus);
  what->setText(bus.trimmed().isEmpty() ? resultName
                                        : QStringLiteral("%1 (%2)").arg(resultName, bus.trimmed()));
  what->setCursorPosition(0);
  siteBox_ = editableBox(this, "siteBox");
  segmentBox_ = editableBox(this, "segmentBox");
  noteField_ = new QLineEdit(this);
  noteField_->setObjectName(QStringLiteral("noteField"));

  auto addRow = [&](const Text5& label, QWidget* field, const char* name) {
    auto* l = new QLabel(menuText(pick(label, language)), this);
    l->setObjectName(QString::fromLatin1(name));
    l->setBuddy(field);
    form->addRow(l, field);
  };
  addRow(registertext::kFileWhat, what, "resultLabel");
  addRow(registertext::kFileSite, siteBox_, "siteLabel");
  addRow(registertext::kFileSegment, segmentBox_, "segmentLabel");
  addRow(registertext::kFileNote, noteField_, "noteLabel");

  auto* buttons = new QDialogButtonBox(this);
  fileButton_ =
      buttons->addButton(pick(registertext::kFileButton, language), QDialogButtonBox::AcceptRole);
  fileButton_->setObjectName(QStringLiteral("fileButton"));
  auto* cancel =
      buttons->addButton(pick(registertext::kCancelButton, language), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("cancelButton"));
  cancelButton_ = cancel;
  fileButton_->setDefault(true);
  fileButton_->setAutoDefault(true);
  cancel->setAutoDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(notice_);
  layout->addLayout(form);
  layout->addWidget(buttons);

  QStringList sites;
  for (const RegisterSegment& s : segments_)
    if (!sites.contains(s.site)) sites << s.site;
  sites.sort(Qt::CaseInsensitive);
  siteBox_->addItems(sites);
  siteBox_->setEditText(proposed.site);
  fillSegments();
  segmentBox_->setEditText(proposed.segment);
  noteField_->setText(proposed.note);

  connect(siteBox_, &QComboBox::editTextChanged, this, [this] {
    const QString typed = segmentBox_->currentText();
    fillSegments();
    segmentBox_->setEditText(typed);
    updateButton();
  });
  connect(segmentBox_, &QComboBox::editTextChanged, this, &FileInRegisterDialog::updateButton);
  updateButton();
  // An editable combo box keeps Return for itself once its completion has
  // completed a name: in the site and the segment Return files too, as the
  // default button does in the other fields.
  for (QComboBox* box : {siteBox_, segmentBox_}) {
    connect(box->lineEdit(), &QLineEdit::returnPressed, this, [this] {
      if (fileButton_->isVisible() && fileButton_->isEnabled()) fileButton_->click();
    });
  }

  setTabOrder(notice_, what);
  setTabOrder(what, siteBox_);
  setTabOrder(siteBox_, segmentBox_);
  setTabOrder(segmentBox_, noteField_);
  setTabOrder(noteField_, fileButton_);
  setTabOrder(fileButton_, cancel);
  nameFieldsAfterLabels(this);
  // What the user types into is the combo box's own line: it says the same.
  for (QComboBox* box : {siteBox_, segmentBox_})
    box->lineEdit()->setAccessibleName(box->accessibleName());
  // The user starts where a choice is needed: the site when none is proposed.
  (proposed.site.isEmpty() ? siteBox_ : segmentBox_)->setFocus();
}

// The segments of the site typed that may take a result of this bus.
void FileInRegisterDialog::fillSegments() {
  const QString site = siteBox_->currentText().trimmed();
  QStringList names;
  for (const RegisterSegment& s : segments_) {
    if (s.site != site) continue;
    if (!s.bus.isEmpty() && !sameBus(s.bus, bus_)) continue;
    names << s.name;
  }
  names.sort(Qt::CaseInsensitive);
  const QSignalBlocker quiet(segmentBox_);
  segmentBox_->clear();
  segmentBox_->addItems(names);
}

void FileInRegisterDialog::updateButton() {
  const RegisterPlace p = place();
  fileButton_->setEnabled(!p.site.isEmpty() && !p.segment.isEmpty());
}

void FileInRegisterDialog::showAlreadyFiled(const RegisterEntry& filed) {
  alreadyFiled_ = true;
  QString date = resultDateText(filed.date);
  if (filed.dateSource != DateSource::Result)
    date = pick(registertext::kFileTimeMark, language_).arg(date);
  notice_->setText(pick(registertext::kAlreadyFiledNotice, language_)
                       .arg(resultName_)
                       .arg(filed.id)
                       .arg(filed.site, filed.segment, date));
  notice_->show();
  // Where it is, to read, not to change.
  siteBox_->setEditText(filed.site);
  segmentBox_->setEditText(filed.segment);
  noteField_->setText(filed.note);
  for (QWidget* field : std::initializer_list<QWidget*>{siteBox_, segmentBox_, noteField_})
    field->setEnabled(false);
  fileButton_->setEnabled(false);
  fileButton_->hide();
  cancelButton_->setText(pick(registertext::kCloseButton, language_));
  cancelButton_->setDefault(true);
  notice_->setFocus();
}

RegisterPlace FileInRegisterDialog::place() const {
  return {siteBox_->currentText().trimmed(), segmentBox_->currentText().trimmed(),
          noteField_->text().trimmed()};
}

}  // namespace karvel::ui
