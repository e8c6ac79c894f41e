// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/register/SiteDetailsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/frame/AppState.h"
#include "core/frame/Texts.h"
#include "core/register/RegisterTexts.h"
#include "ui/frame/LabelledFields.h"

namespace karvel::ui {

namespace {

// Notes of a few lines; Tab goes on to the next field, as everywhere.
QPlainTextEdit* notesField(QWidget* parent, const char* name, const QString& text) {
  auto* field = new QPlainTextEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setTabChangesFocus(true);
  field->setPlainText(text);
  field->setMinimumHeight(field->fontMetrics().lineSpacing() * 4);
  return field;
}

}  // namespace

SiteDetailsDialog::SiteDetailsDialog(int language, const QString& site, const QString& segment,
                                     const SiteDetails& details, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("SiteDetailsDialog"));
  setWindowTitle(pick(registertext::kSiteDialogTitle, language).arg(site));
  auto* form = new QFormLayout;
  // `label` as a label shows it: "&" marks the mnemonic.
  auto addRow = [&](const QString& label, QWidget* field, const char* name) {
    auto* l = new QLabel(label, this);
    l->setObjectName(QString::fromLatin1(name));
    l->setBuddy(field);
    form->addRow(l, field);
  };
  customer_ = new QLineEdit(details.customer, this);
  customer_->setObjectName(QStringLiteral("customerField"));
  customer_->setMaxLength(kTextMax);
  siteNotes_ = notesField(this, "siteNotesField", details.siteNotes);
  addRow(menuText(pick(registertext::kSiteCustomer, language)), customer_, "customerLabel");
  addRow(menuText(pick(registertext::kSiteNotes, language)), siteNotes_, "siteNotesLabel");
  if (!segment.isEmpty()) {
    segmentNotes_ = notesField(this, "segmentNotesField", details.segmentNotes);
    // The segment's name as written: no mnemonic comes from it.
    const QString text = pick(registertext::kSegmentNotes, language);
    const qsizetype at = text.indexOf(QStringLiteral("%1"));
    QString name = segment;
    name.replace(u'&', QStringLiteral("&&"));
    addRow(menuText(text.left(at)) + name + menuText(text.mid(at + 2)), segmentNotes_,
           "segmentNotesLabel");
  }

  auto* buttons = new QDialogButtonBox(this);
  save_ =
      buttons->addButton(pick(registertext::kSaveButton, language), QDialogButtonBox::AcceptRole);
  save_->setObjectName(QStringLiteral("saveButton"));
  auto* cancel =
      buttons->addButton(pick(registertext::kCancelButton, language), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("cancelButton"));
  save_->setDefault(true);
  save_->setAutoDefault(true);
  cancel->setAutoDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  setTabOrder(customer_, siteNotes_);
  QWidget* last = siteNotes_;
  if (segmentNotes_) {
    setTabOrder(siteNotes_, segmentNotes_);
    last = segmentNotes_;
  }
  setTabOrder(last, save_);
  setTabOrder(save_, cancel);
  nameFieldsAfterLabels(this);
  customer_->setFocus();
}

SiteDetails SiteDetailsDialog::details() const {
  return {customer_->text().simplified(), siteNotes_->toPlainText().trimmed(),
          segmentNotes_ ? segmentNotes_->toPlainText().trimmed() : QString()};
}

}  // namespace karvel::ui
