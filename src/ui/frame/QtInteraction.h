// The real dialogs behind karvel::Interaction.
#pragma once

#include <QPointer>
#include <QWidget>

#include "core/frame/Interaction.h"

namespace karvel::ui {

class QtInteraction : public Interaction {
 public:
  // Dialogs open over `parent` (the main window once it exists).
  void setParent(QWidget* parent) { parent_ = parent; }

  void message(const QString& title, const QString& text) override;
  int ask(const QString& title, const QString& text, const QStringList& buttons,
          int enterButton = 0, int escapeButton = -1) override;
  FileChoice chooseFile(const FileRequest& request) override;
  QString chooseFolder(const QString& title, const QString& startFolder) override;
  bool choosePrinter(PrintChoice& choice) override;
  int chooseLanguage() override;
  void setBusy(bool busy) override;
  bool openExternally(const QUrl& url) override;

 private:
  QPointer<QWidget> parent_;
  int busyDepth_ = 0;
};

}  // namespace karvel::ui
