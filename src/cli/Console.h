// SPDX-License-Identifier: GPL-3.0-or-later
// What every karvel-cli command shares: an Interaction with nobody at the
// keyboard, the one way a failure is reported, and the one way a command
// line is read (QCommandLineParser, with the same help, language and format
// options everywhere).
#pragma once

#include <QCommandLineParser>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

#include "cli/Failure.h"
#include "core/frame/AppState.h"
#include "core/frame/Interaction.h"

namespace karvel::cli {

// Exit codes of every command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// result show --check: a row failed (or, with --check=warning, warned).
constexpr int kExitCheckFailed = 3;
// The standard output was closed before everything was written (128 + SIGPIPE).
constexpr int kExitOutputClosed = 141;

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

// Reports a failure of `kind` through the one printer (Failure.h) and
// returns its exit code (1; 2 for usage).
int fail(ErrorKind kind, const QString& text, const QString& file = {});
inline int fail(const CliError& error) { return report(error); }
// Prints "karvel-cli: note: TEXT" on stderr (with json failures, the line
// {"note": {"message": TEXT}}, so that stderr stays one object per line).
void note(const QString& text);
// Prints "karvel-cli: interrupted: TEXT" (json: {"interrupted": {"message": TEXT}}).
void tellInterrupted(const QString& text);
// Prints a warning that does not fail the command ("karvel-cli: warning: ...").
void warn(const QString& text);

// How a command prints its data.
enum class Format { Text, Csv, Json };

// "fr", "en", "de", "es", "it" or 0 to 4; nothing for anything else.
std::optional<int> parseLanguage(const QString& text);

// A date typed as 2026-11-23 (that day's start) or 2026-11-23T14:00:00;
// invalid for anything else.
QDateTime parseIsoDateTime(const QString& text);

// One command's command line: its options, its arguments and its help.
class CommandLine {
 public:
  // `command` as typed ("bus show"), `synopsis` its arguments after the
  // options ("FILE"), `description` the help's first paragraph.
  CommandLine(QString command, QString synopsis, QString description);

  // Options every command may take.
  void addLanguageOption();
  void addFormatOption();
  void addOption(const QCommandLineOption& option) { parser_.addOption(option); }
  void addArgument(const QString& name, const QString& description) {
    parser_.addPositionalArgument(name, description);
  }
  // The usage lines of a usage error, in place of the one from the synopsis.
  void setUsage(QStringList lines) { usage_ = std::move(lines); }
  // Everything after the first argument belongs to a sub-command.
  void setCommandsFollow() {
    parser_.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  }

  // Reads `args` (the words after the command). Returns nothing when the
  // command is to run; else the exit code to end with: 0 after the help was
  // printed on stdout, 2 after a usage error on stderr. The number of
  // arguments must lie in [minArgs, maxArgs].
  std::optional<int> parse(const QStringList& args, int minArgs, int maxArgs);

  QStringList arguments() const;
  bool isSet(const QString& name) const { return parser_.isSet(name); }
  QString value(const QString& name) const;
  // The language chosen with --language, else `fallback`.
  int language(int fallback) const { return language_.value_or(fallback); }
  bool languageGiven() const { return language_.has_value(); }
  Format format() const { return format_; }

  // Prints "karvel-cli: TEXT" and a hint at --help on stderr; returns 2.
  int usageError(const QString& text) const;
  QString helpText() const;

 private:
  QString invocation() const;  // "karvel-cli bus show"

  QString command_;
  QString synopsis_;
  QStringList usage_;
  QCommandLineParser parser_;
  bool hasLanguage_ = false;
  bool hasFormat_ = false;
  std::optional<int> language_;
  Format format_ = Format::Text;
};

// The group words ("bus", "result", "instrument"): `args` are the words after
// the group. Returns nothing when they start with one of `subcommands`; else
// the exit code after the group's help (0) or a usage error (2).
std::optional<int> checkGroup(const QString& group, const QStringList& subcommands,
                              const QString& summary, const QStringList& args);

}  // namespace karvel::cli
