// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/AboutDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLayout>
#include <QPixmap>
#include <QScreen>
#include <QUrl>

#include "core/frame/Clock.h"
#include "core/frame/Interaction.h"
#include "core/frame/Langue.h"
#include "core/frame/Links.h"
#include "ui/frame/Colours.h"
#include "ui_AboutDialog.h"

namespace karvel::ui {

namespace {
constexpr int kWaitAfterLinkMs = 2000;
// The links are buttons, so that Tab reaches them and Return or Space opens
// them, drawn as links; the dotted frame shows which one has the focus.
QString linkStyle(const char* colour) {
  return QStringLiteral(
             "QPushButton { color: %1; text-decoration: underline; background: transparent;"
             " border: 1px solid transparent; padding: 1px 2px; }"
             " QPushButton:focus { border: 1px dotted %1; }")
      .arg(QLatin1String(colour));
}
const char* const kLinkColour = "#1a5fb4";
const char* const kVisitedLinkColour = "#800080";
}  // namespace

AboutDialog::AboutDialog(AppState& state, QWidget* parent)
    : QDialog(parent), state_(state), form_(std::make_unique<Ui::AboutDialog>()) {
  form_->setupUi(this);
  // The panel's grey notes and blue links are meant for its light colours:
  // it keeps them under a dark desktop palette. (Labels with a style sheet
  // name their colour there.)
  setPalette(lightPanelPalette());
  setWindowTitle(QString::fromUtf8(kVersionText));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(true);
  form_->versionText->setText(QString::fromUtf8(kVersionText));
  // Pictures come from the resource bundle KARVEL.UIR.
  form_->bannerPicture->setPixmap(QPixmap(QStringLiteral(":/karvel/about.png")));
  form_->logoPicture->setPixmap(QPixmap(QStringLiteral(":/karvel/logo.png")));
  form_->makerLink->setText(QUrl(QString::fromLatin1(kHomePage)).host());
  form_->makerLink->setToolTip(QString::fromLatin1(kHomePage));
  form_->supportLink->setToolTip(supportPageFor(English));
  for (QPushButton* link : {form_->makerLink, form_->supportLink})
    link->setStyleSheet(linkStyle(kLinkColour));
  connect(form_->makerLink, &QPushButton::clicked, this,
          [this] { Presentation(Control::MakerLink); });
  connect(form_->supportLink, &QPushButton::clicked, this,
          [this] { Presentation(Control::SupportLink); });
  connect(form_->closeButton, &QPushButton::clicked, this,
          [this] { Presentation(Control::Close); });
  fitToTexts();
}

// The panel keeps a fixed size, taken from the texts it shows now: wrapped
// lines (the notice, the settings path) need the height they take.
void AboutDialog::fitToTexts() {
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  if (layout()) layout()->activate();
  adjustSize();
  setFixedSize(size());
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::setBuildDate(const QString& date, int year) {
  form_->dateText->setText(date);
  form_->noticeText->setText(
      QStringLiteral("© %1 KARVEL developers.\nCompanion program for the bus analysis of the "
                     "Tarvik RQ4102 and RQ6102 oscilloscopes.")
          .arg(year));
  fitToTexts();
}

void AboutDialog::showAsSplash() {
  form_->dateText->setVisible(false);
  form_->installText->setVisible(false);
  form_->startupText->setVisible(true);
  form_->closeButton->setVisible(false);
  fitToTexts();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect place(QPoint(), sizeHint());
    place.moveCenter(screen->availableGeometry().center());
    move(place.topLeft());
  }
  show();
  raise();
  // Drawn now: the program waits next, without an event loop.
  QCoreApplication::processEvents();
  repaint();
}

void AboutDialog::showFromMenu() {
  // How the program runs and where its settings are, for whoever must find them.
  if (!state_.settingsPath.isEmpty()) {
    // The path on a line of its own, never broken inside.
    form_->installText->setText(
        pick(state_.installed ? text::kAboutInstalled : text::kAboutPortable, state_.language) +
        u'\n' + QDir::toNativeSeparators(state_.settingsPath));
  }
  form_->installText->setVisible(!state_.settingsPath.isEmpty());
  form_->makerLink->setAccessibleDescription(pick(text::kAboutMakerHint, state_.language));
  form_->supportLink->setAccessibleDescription(pick(text::kAboutSupportHint, state_.language));
  form_->dateText->setVisible(true);
  form_->startupText->setVisible(false);
  form_->closeButton->setVisible(true);
  fitToTexts();
  form_->closeButton->setFocus();
  show();
  raise();
  activateWindow();
}

void AboutDialog::Presentation(Control control) {
  switch (control) {
    case Control::Close:
      hide();
      return;
    case Control::MakerLink:
    case Control::SupportLink: {
      QPushButton* link = control == Control::MakerLink ? form_->makerLink : form_->supportLink;
      link->setStyleSheet(linkStyle(kVisitedLinkColour));
      link->repaint();
      const QString address = control == Control::MakerLink ? QString::fromLatin1(kHomePage)
                                                            : supportPageFor(state_.language);
      if (state_.ui) state_.ui->openExternally(QUrl(address));
      if (state_.clock) state_.clock->wait(kWaitAfterLinkMs);
      return;
    }
  }
}

}  // namespace karvel::ui
