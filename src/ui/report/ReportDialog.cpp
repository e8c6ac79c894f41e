// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/report/ReportDialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/frame/Settings.h"
#include "core/register/Register.h"
#include "core/register/RegisterTexts.h"
#include "core/report/ReportPdf.h"
#include "core/report/ReportTexts.h"
#include "ui/frame/DateField.h"
#include "ui/frame/LabelledFields.h"
#include "ui/frame/MainWindow.h"
#include "ui/frame/QtInteraction.h"

namespace karvel::ui {

namespace {

// Each language in its own name, in the order of the language index.
const std::array<const char*, 5> kLanguageNames = {"Français", "English", "Deutsch", "Español",
                                                   "Italiano"};

QDateEdit* dateEdit(QWidget* parent, const char* name) {
  // One Tab per date, not one per section.
  auto* edit = new DateField(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setCalendarPopup(true);
  edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  return edit;
}

}  // namespace

ReportDialog::ReportDialog(AppState& state, std::vector<RegisterSite> sites,
                           const ReportChoice& proposed,
                           std::function<QDate(const QString&)> visitDay, QWidget* parent)
    : QDialog(parent), state_(state), sites_(std::move(sites)), visitDay_(std::move(visitDay)) {
  const int language = state.language;
  setObjectName(QStringLiteral("ReportDialog"));
  setWindowTitle(pick(reporttext::kDialogTitle, language));
  auto* form = new QFormLayout;
  siteBox_ = new QComboBox(this);
  siteBox_->setObjectName(QStringLiteral("siteBox"));
  for (const RegisterSite& s : sites_)
    siteBox_->addItem(
        s.customer.isEmpty() ? s.name : QStringLiteral("%1 (%2)").arg(s.name, s.customer), s.name);
  fromDate_ = dateEdit(this, "fromDate");
  toDate_ = dateEdit(this, "toDate");
  technicianField_ = new QLineEdit(proposed.technician, this);
  technicianField_->setObjectName(QStringLiteral("technicianField"));
  languageBox_ = new QComboBox(this);
  languageBox_->setObjectName(QStringLiteral("languageBox"));
  for (const char* name : kLanguageNames) languageBox_->addItem(QString::fromUtf8(name));
  languageBox_->setCurrentIndex(clampLanguage(proposed.language));
  companyField_ = new QLineEdit(proposed.companyName, this);
  companyField_->setObjectName(QStringLiteral("companyField"));
  logoField_ = new QLineEdit(QDir::toNativeSeparators(proposed.logoPath), this);
  logoField_->setObjectName(QStringLiteral("logoField"));
  auto* chooseLogo = new QPushButton(pick(reporttext::kChooseLogo, language), this);
  chooseLogo->setObjectName(QStringLiteral("chooseLogoButton"));
  auto* logoRow = new QHBoxLayout;
  logoRow->addWidget(logoField_);
  logoRow->addWidget(chooseLogo);

  auto addRow = [&](const Text5& label, QWidget* field, QLayout* row = nullptr) {
    auto* l = new QLabel(pick(label, language), this);
    l->setBuddy(field);
    if (row)
      form->addRow(l, row);
    else
      form->addRow(l, field);
  };
  addRow(reporttext::kSite, siteBox_);
  addRow(reporttext::kFrom, fromDate_);
  addRow(reporttext::kTo, toDate_);
  addRow(reporttext::kTechnician, technicianField_);
  addRow(reporttext::kLanguage, languageBox_);
  addRow(reporttext::kCompany, companyField_);
  addRow(reporttext::kLogo, logoField_, logoRow);

  auto* buttons = new QDialogButtonBox(this);
  makeButton_ = buttons->addButton(pick(reporttext::kMake, language), QDialogButtonBox::AcceptRole);
  makeButton_->setObjectName(QStringLiteral("makeButton"));
  auto* cancel =
      buttons->addButton(pick(registertext::kCancelButton, language), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("cancelButton"));
  makeButton_->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(chooseLogo, &QPushButton::clicked, this, [this, language] {
    FileRequest request;
    request.title = pick(reporttext::kLogo, language);
    request.types = {pick(reporttext::kImageFilter, language)};
    request.folder = QFileInfo(logoField_->text()).absolutePath();
    DialogOwner owner(*state_.ui, this);
    const FileChoice choice = state_.ui->chooseFile(request);
    if (choice.kind != FileChoice::Kind::None)
      logoField_->setText(QDir::toNativeSeparators(choice.path));
  });
  connect(fromDate_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
    if (toDate_->date() < d) toDate_->setDate(d);
  });
  connect(toDate_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
    if (fromDate_->date() > d) fromDate_->setDate(d);
  });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  const int at = siteBox_->findData(proposed.site);
  siteBox_->setCurrentIndex(at >= 0 ? at : 0);
  siteChanged();
  connect(siteBox_, &QComboBox::currentIndexChanged, this, &ReportDialog::siteChanged);
  nameFieldsAfterLabels(this);
}

// A new site: its last day of results is the visit proposed.
void ReportDialog::siteChanged() {
  const QDate day = visitDay_ ? visitDay_(siteBox_->currentData().toString()) : QDate();
  const QDate shown = day.isValid() ? day : QDate::currentDate();
  toDate_->setDate(shown);
  fromDate_->setDate(shown);
  makeButton_->setEnabled(siteBox_->count() > 0);
}

ReportChoice ReportDialog::choice() const {
  ReportChoice c;
  c.site = siteBox_->currentData().toString();
  c.from = fromDate_->date();
  c.to = toDate_->date();
  c.technician = technicianField_->text().simplified();
  c.language = languageBox_->currentIndex();
  c.companyName = companyField_->text().simplified();
  c.logoPath = QDir::fromNativeSeparators(logoField_->text().trimmed());
  return c;
}

bool makeSiteReport(AppState& state, Register& reg, QWidget* owner, const QString& site,
                    const ReportDialogRunner& run) {
  const int language = state.language;
  DialogOwner dialogs(*state.ui, owner);
  const QString title = pick(reporttext::kDialogTitle, language);
  QString error;
  const std::optional<std::vector<RegisterSite>> sites = reg.sites(&error);
  if (!sites) {
    state.ui->message(title, error);
    return false;
  }
  ReportChoice proposed;
  proposed.site = site;
  proposed.technician = state.technician;
  proposed.language = language;
  proposed.companyName = state.companyName;
  proposed.logoPath = state.companyLogo;
  ReportDialog dialog(
      state, *sites, proposed,
      [&reg, language](const QString& s) {
        QString ignored;  // no result: today is proposed
        return defaultVisitDay(reg, s, language, &ignored);
      },
      owner);
  const bool accepted = run ? run(dialog) : dialog.exec() == QDialog::Accepted;
  if (!accepted) return false;
  const ReportChoice choice = dialog.choice();

  // The company and logo stay for the next report.
  if (choice.companyName != state.companyName || choice.logoPath != state.companyLogo) {
    state.companyName = choice.companyName;
    state.companyLogo = choice.logoPath;
    if (!state.settingsPath.isEmpty()) {
      if (auto* main = qobject_cast<MainWindow*>(state.mainPanel.data()))
        saveSettings(state, main->windowGeometry());
      else if (state.settingsOnDisk)
        saveSettings(state, state.settingsOnDisk->window);
    }
  }

  FileRequest request;
  request.title = title;
  request.types = {pick(reporttext::kPdfFilter, language)};
  request.pattern = QStringLiteral("*.pdf");
  request.defaultFile =
      QStringLiteral("%1 %2.pdf").arg(choice.site, choice.to.toString(Qt::ISODate));
  request.confirm = FileRequest::Confirm::Save;
  request.forceExtension = true;
  const FileChoice file = state.ui->chooseFile(request);
  if (file.kind == FileChoice::Kind::None) return false;

  ReportRequest what;
  what.site = choice.site;
  what.from = choice.from;
  what.to = choice.to;
  what.technician = choice.technician;
  what.language = choice.language;
  what.companyName = choice.companyName;
  what.logoPath = choice.logoPath;
  bool written = false;
  std::optional<Report> report;
  {
    BusyCursor busy(*state.ui);
    report = buildReport(reg, what, &error);
    if (report) written = writeReportPdf(*report, paperFor(QLocale::system()), file.path, &error);
  }
  if (!report || !written) {
    state.ui->message(title, error);
    return false;
  }
  if (!report->logoProblem.isEmpty()) state.ui->message(title, report->logoProblem);
  state.ui->message(title,
                    pick(reporttext::kWritten, language).arg(QDir::toNativeSeparators(file.path)));
  return true;
}

}  // namespace karvel::ui
