// SPDX-License-Identifier: GPL-3.0-or-later
// The register window's Results > Site details ...: a site's customer and
// notes, and the notes of one of its segments when one is chosen, as the
// register holds them, to read and to change. The maintenance report names
// the customer it shows here.
#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace karvel::ui {

struct SiteDetails {
  QString customer;
  QString siteNotes;
  QString segmentNotes;  // of `segment` when the dialog shows one
};

class SiteDetailsDialog : public QDialog {
  Q_OBJECT
 public:
  // `segment` empty: the site's details only.
  SiteDetailsDialog(int language, const QString& site, const QString& segment,
                    const SiteDetails& details, QWidget* parent = nullptr);

  // What the user typed; the customer trimmed.
  SiteDetails details() const;

  QLineEdit* customerField() const { return customer_; }
  QPlainTextEdit* siteNotesField() const { return siteNotes_; }
  QPlainTextEdit* segmentNotesField() const { return segmentNotes_; }
  QPushButton* saveButton() const { return save_; }

 private:
  QLineEdit* customer_ = nullptr;
  QPlainTextEdit* siteNotes_ = nullptr;
  QPlainTextEdit* segmentNotes_ = nullptr;  // nullptr without a segment
  QPushButton* save_ = nullptr;
};

}  // namespace karvel::ui
