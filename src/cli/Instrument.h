// One instrument session for the time of a karvel-cli command, set up as
// the program's (same settings file), with its failures told on stderr.
#pragma once

#include <QStringList>

#include "cli/Console.h"
#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "io/Visa.h"

namespace karvel::cli {

// Messages are kept for the failure report.
class CollectingInteraction : public ConsoleInteraction {
 public:
  QStringList messages;
  void message(const QString&, const QString& text) override { messages.append(text.trimmed()); }
};

class Instrument {
 public:
  Instrument();
  ~Instrument();
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;

  // Reads the settings file (connection, language); --language, when given,
  // speaks over the file's language.
  void prepare(const CommandLine& line);
  // Opens the session at `address` (a resource name, or "USB" for the USB
  // search), else at the settings file's connection. False once the failure
  // (the program's message and its cause) was printed.
  bool open(const QString& address);
  // Prints `text` and, when the link failed, its cause and address; 1.
  int linkFailed(const QString& text);

  AppState& state() { return state_; }
  io::Visa& visa() { return visa_; }
  CollectingInteraction& ui() { return ui_; }

 private:
  CollectingInteraction ui_;
  SystemClock clock_;
  io::Visa visa_;
  AppState state_;
};

}  // namespace karvel::cli
