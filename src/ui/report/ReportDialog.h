// SPDX-License-Identifier: GPL-3.0-or-later
// Register > Report ...: the maintenance report of a site visit. The dialog
// asks for the site, the visit's days (by default the last day on which
// results of the site are dated), the technician, the report's language and
// the company and logo on its cover (kept in the settings); the PDF's name
// is asked through the Interaction's save question.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "core/frame/AppState.h"
#include "core/register/RegisterTypes.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

namespace karvel {
class Register;
}

namespace karvel::ui {

struct ReportChoice {
  QString site;
  QDate from, to;
  QString technician;
  int language = English;
  QString companyName;
  QString logoPath;
};

class ReportDialog : public QDialog {
  Q_OBJECT
 public:
  // `sites` to choose from, `proposed` fills the fields; `visitDay` gives
  // a site's default visit day (invalid: no result).
  ReportDialog(AppState& state, std::vector<RegisterSite> sites, const ReportChoice& proposed,
               std::function<QDate(const QString&)> visitDay, QWidget* parent = nullptr);

  ReportChoice choice() const;

  QComboBox* siteBox() const { return siteBox_; }
  QDateEdit* fromDate() const { return fromDate_; }
  QDateEdit* toDate() const { return toDate_; }
  QLineEdit* technicianField() const { return technicianField_; }
  QComboBox* languageBox() const { return languageBox_; }
  QLineEdit* companyField() const { return companyField_; }
  QLineEdit* logoField() const { return logoField_; }
  QPushButton* makeButton() const { return makeButton_; }

 private:
  void siteChanged();

  AppState& state_;
  std::vector<RegisterSite> sites_;
  std::function<QDate(const QString&)> visitDay_;
  QComboBox* siteBox_ = nullptr;
  QDateEdit* fromDate_ = nullptr;
  QDateEdit* toDate_ = nullptr;
  QLineEdit* technicianField_ = nullptr;
  QComboBox* languageBox_ = nullptr;
  QLineEdit* companyField_ = nullptr;
  QLineEdit* logoField_ = nullptr;
  QPushButton* makeButton_ = nullptr;
};

// Runs the dialog (exec by default; tests fill it and accept).
using ReportDialogRunner = std::function<bool(ReportDialog& dialog)>;

// The whole command from `owner` (the register window): the dialog on the
// open register `reg` with `site` chosen, the PDF's name, the report
// written. False when cancelled or refused (the reason told via state.ui).
bool makeSiteReport(AppState& state, Register& reg, QWidget* owner, const QString& site,
                    const ReportDialogRunner& run = {});

}  // namespace karvel::ui
