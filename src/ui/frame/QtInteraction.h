// SPDX-License-Identifier: GPL-3.0-or-later
// The real dialogs behind karvel::Interaction.
#pragma once

#include <QPointer>
#include <QWidget>

#include "core/frame/Interaction.h"

namespace karvel::ui {

class QtInteraction : public Interaction {
 public:
  // Dialogs open over `parent` (the main window once it exists) unless they
  // come from another window (see dialogParent).
  void setParent(QWidget* parent) { parent_ = parent; }
  // The window a dialog opens over: the modal dialog that is up (a question
  // it asks belongs to it), else the window that asks (dialogOwner), else the
  // active window of the program, else `parent`.
  QWidget* dialogParent() const;

  void message(const QString& title, const QString& text) override;
  int ask(const QString& title, const QString& text, const QStringList& buttons,
          int enterButton = 0, int escapeButton = -1) override;
  FileChoice chooseFile(const FileRequest& request) override;
  QStringList chooseFiles(const FileRequest& request) override;
  std::optional<QString> askText(const QString& title, const QString& label,
                                 const QString& proposed) override;
  QString chooseFolder(const QString& title, const QString& startFolder) override;
  bool choosePrinter(PrintChoice& choice) override;
  int chooseLanguage() override;
  void setBusy(bool busy) override;
  bool openExternally(const QUrl& url) override;

 private:
  QPointer<QWidget> parent_;
  int busyDepth_ = 0;
};

// Whether the desktop has an application for the type of the local file at
// `path`, asked of `xdgMime` (empty: xdg-mime from the PATH). Where that
// cannot be asked (another system, no xdg-utils) the answer is yes and the
// opening itself tells.
bool desktopHandlesFile(const QString& path, const QString& xdgMime = QString());

}  // namespace karvel::ui
