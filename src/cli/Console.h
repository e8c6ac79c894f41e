// What every karvel-cli command shares: an Interaction with nobody at the
// keyboard, and the one way a failure is reported.
#pragma once

#include <QString>
#include <QStringList>

#include "core/frame/AppState.h"
#include "core/frame/Interaction.h"

namespace karvel::cli {

// Questions get `answer`, or the escape button when none was set, and are
// counted; there are no dialogs, no busy cursor and no desktop to open things
// in. Each command decides what becomes of messages.
class ConsoleInteraction : public Interaction {
 public:
  int answer = -1;
  int asked = 0;
  int ask(const QString&, const QString&, const QStringList&, int, int escapeButton) override {
    ++asked;
    return answer >= 0 ? answer : escapeButton;
  }
  FileChoice chooseFile(const FileRequest&) override { return {}; }
  QString chooseFolder(const QString&, const QString&) override { return {}; }
  bool choosePrinter(PrintChoice&) override { return false; }
  int chooseLanguage() override { return English; }
  void setBusy(bool) override {}
  bool openExternally(const QUrl&) override { return false; }
};

// Prints "karvel-cli: TEXT" on stderr, on one line, and returns exit code 1.
int fail(const QString& text);

// Reads the options from args[first] on, which may only be "--language 0-4";
// false on anything else.
bool parseLanguageOption(const QStringList& args, qsizetype first, int* language);

}  // namespace karvel::cli
