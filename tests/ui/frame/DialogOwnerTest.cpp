// SPDX-License-Identifier: GPL-3.0-or-later
// Which window the real dialogs open over: the modal dialog that is up, else
// the window whose command asks, else the active window, else the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include "ui/frame/QtInteraction.h"

using namespace karvel;

TEST(DialogOwner, DialogsOpenOverTheWindowTheyComeFrom) {
  QWidget main;
  QWidget results;
  main.show();
  results.show();
  ui::QtInteraction dialogs;
  dialogs.setParent(&main);
  QApplication::setActiveWindow(&main);

  {
    DialogOwner owner(dialogs, &results);
    EXPECT_EQ(dialogs.dialogParent(), &results) << "even while the main window is active";
    // A real message box, closed as soon as it shows; inside the
    // application's loop, since a test before may have ended it, and a modal
    // dialog's own loop then returns at once.
    QWidget* boxParent = nullptr;
    QTimer::singleShot(0, [&] {
      QTimer::singleShot(0, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
          boxParent = box->parentWidget();
          box->close();
        }
      });
      dialogs.message(QStringLiteral("Print"), QStringLiteral("Cannot print"));
      QCoreApplication::exit(0);
    });
    QApplication::exec();
    EXPECT_EQ(boxParent, &results);

    // A question asked by a modal dialog belongs to that dialog.
    QDialog modal(&results);
    modal.setModal(true);
    modal.show();
    EXPECT_EQ(dialogs.dialogParent(), &modal);
    modal.hide();
    EXPECT_EQ(dialogs.dialogParent(), &results);
  }
  EXPECT_EQ(dialogs.dialogOwner(), nullptr);

  // An owner that went away or is hidden is passed over.
  {
    auto* gone = new QWidget;
    gone->show();
    DialogOwner owner(dialogs, gone);
    delete gone;
    EXPECT_EQ(dialogs.dialogOwner(), nullptr);
    results.hide();
    DialogOwner hidden(dialogs, &results);
    QApplication::setActiveWindow(&main);
    EXPECT_EQ(dialogs.dialogParent(), &main);
  }
}
