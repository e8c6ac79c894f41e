// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Console.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cstdio>
#include <limits>

namespace karvel::cli {

namespace {

// A negative number ("-5", "-0.3", "-,3") is an argument, not an option: it is
// carried through the parser behind this character and handed back bare.
constexpr QChar kShield(0x1F);

// Qt prints the description as given: wrapped here to the width of its
// option list, after a blank line below the usage line.
QString wrapped(const QString& text) {
  constexpr qsizetype kWidth = 79;
  QString out;
  for (const QString& paragraph : text.split(u'\n')) {
    QString line;
    // Indented lines (command lists) keep their shape.
    if (paragraph.startsWith(u' ')) {
      out += u'\n' + paragraph;
      continue;
    }
    out += u'\n';
    for (const QString& word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
      if (!line.isEmpty() && line.size() + 1 + word.size() > kWidth) {
        out += line + u'\n';
        line.clear();
      }
      line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    out += line;
  }
  return out;
}

bool looksNegative(const QString& word) {
  static const QRegularExpression number(QStringLiteral("^-[.,]?\\d"));
  return number.match(word).hasMatch();
}

QString unshield(QString word) {
  if (word.startsWith(kShield)) word.remove(0, 1);
  return word;
}

}  // namespace

int fail(ErrorKind kind, const QString& text, const QString& file) {
  return report({kind, text, file, {}});
}

namespace {
void remark(const char* what, const QString& text) {
  if (jsonFailures()) {
    const QByteArray line = QJsonDocument(QJsonObject{{QString::fromLatin1(what),
                                                       QJsonObject{{"message", text.trimmed()}}}})
                                .toJson(QJsonDocument::Compact) +
                            '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    return;
  }
  for (const QString& line : text.trimmed().split(u'\n', Qt::SkipEmptyParts))
    std::fprintf(stderr, "karvel-cli: %s: %s\n", what, qUtf8Printable(line.trimmed()));
}
}  // namespace

void note(const QString& text) { remark("note", text); }
void warn(const QString& text) { remark("warning", text); }
void tellInterrupted(const QString& text) { remark("interrupted", text); }

QDateTime parseIsoDateTime(const QString& text) {
  const QDateTime at = QDateTime::fromString(text, Qt::ISODate);
  if (at.isValid()) return at;
  return QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
}

std::optional<int> parseLanguage(const QString& text) {
  static const char* const codes[] = {"fr", "en", "de", "es", "it"};
  for (int i = 0; i < kLanguageCount; ++i)
    if (text.compare(QLatin1String(codes[i]), Qt::CaseInsensitive) == 0 ||
        text == QString::number(i))
      return i;
  return std::nullopt;
}

CommandLine::CommandLine(QString command, QString synopsis, QString description)
    : command_(std::move(command)), synopsis_(std::move(synopsis)) {
  parser_.setApplicationDescription(wrapped(description));
  parser_.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                       QStringLiteral("Show this help and exit.")));
}

void CommandLine::addLanguageOption() {
  hasLanguage_ = true;
  parser_.addOption(QCommandLineOption(
      QStringLiteral("language"),
      QStringLiteral("Language of texts and messages: fr, en, de, es or it (or 0 to 4)."),
      QStringLiteral("LANG")));
}

void CommandLine::addFormatOption() {
  hasFormat_ = true;
  parser_.addOption(QCommandLineOption(
      QStringLiteral("format"),
      QStringLiteral("Output as text (for people, the default), csv (with a header row) or "
                     "json (one document)."),
      QStringLiteral("FORMAT"), QStringLiteral("text")));
}

std::optional<int> CommandLine::parse(const QStringList& args, int minArgs, int maxArgs) {
  // The global options mean the same before the command as after it: every
  // command takes them (a command without data to print still reports its
  // failures in json).
  if (!hasLanguage_) addLanguageOption();
  if (!hasFormat_) addFormatOption();
  QStringList words{QStringLiteral("karvel-cli")};
  for (const QString& a : args) words.append(looksNegative(a) ? kShield + a : a);
  if (!parser_.parse(words)) return usageError(parser_.errorText());
  if (parser_.isSet(QStringLiteral("help"))) {
    std::fputs(qUtf8Printable(helpText()), stdout);
    return kExitOk;
  }
  if (hasLanguage_ && parser_.isSet(QStringLiteral("language"))) {
    language_ = parseLanguage(value(QStringLiteral("language")));
    if (!language_)
      return usageError(QStringLiteral("--language takes fr, en, de, es, it or 0 to 4, not \"%1\"")
                            .arg(value(QStringLiteral("language"))));
  }
  if (hasFormat_) {
    const QString format = value(QStringLiteral("format"));
    if (format == u"text")
      format_ = Format::Text;
    else if (format == u"csv")
      format_ = Format::Csv;
    else if (format == u"json")
      format_ = Format::Json;
    else
      return usageError(QStringLiteral("--format takes text, csv or json, not \"%1\"").arg(format));
    if (parser_.isSet(QStringLiteral("format"))) setJsonFailures(format_ == Format::Json);
  }
  const qsizetype count = parser_.positionalArguments().size();
  if (count < minArgs) return usageError(QStringLiteral("missing arguments"));
  if (count > maxArgs)
    return usageError(QStringLiteral("unexpected argument \"%1\"").arg(arguments().value(maxArgs)));
  return std::nullopt;
}

QStringList CommandLine::arguments() const {
  QStringList out;
  for (const QString& a : parser_.positionalArguments()) out.append(unshield(a));
  return out;
}

QString CommandLine::value(const QString& name) const { return unshield(parser_.value(name)); }

QString CommandLine::invocation() const {
  return command_.isEmpty() ? QStringLiteral("karvel-cli")
                            : QStringLiteral("karvel-cli ") + command_;
}

int CommandLine::usageError(const QString& text) const {
  const QString who = command_.isEmpty() ? QString() : command_ + QStringLiteral(": ");
  // A script reads the reason; the synopsis is for people.
  if (jsonFailures()) return report({ErrorKind::Usage, who + text, {}, {}});
  QString usage = QStringLiteral("usage: ");
  if (usage_.isEmpty()) usage += QStringLiteral("%1 [options] %2\n").arg(invocation(), synopsis_);
  for (const QString& line : usage_)
    usage += (line == usage_.first() ? QString() : QStringLiteral("       ")) + line + u'\n';
  std::fprintf(stderr, "karvel-cli: %s%s\n%sRun \"%s --help\" for more.\n", qUtf8Printable(who),
               qUtf8Printable(text), qUtf8Printable(usage), qUtf8Printable(invocation()));
  return kExitUsage;
}

QString CommandLine::helpText() const {
  QString text = parser_.helpText();
  // Qt's first line names the executable as it was started; name the command.
  const qsizetype end = text.indexOf(u'\n');
  text.replace(0, end < 0 ? text.size() : end,
               QStringLiteral("Usage: %1 [options] %2").arg(invocation(), synopsis_).trimmed());
  return text;
}

std::optional<int> checkGroup(const QString& group, const QStringList& subcommands,
                              const QString& summary, const QStringList& args) {
  CommandLine line(group, subcommands.join(u'|') + QStringLiteral(" ..."), summary);
  line.setCommandsFollow();
  if (const std::optional<int> end = line.parse(args, 0, std::numeric_limits<int>::max()))
    return end;
  if (line.arguments().isEmpty())
    return line.usageError(
        QStringLiteral("a sub-command is needed: %1").arg(subcommands.join(QStringLiteral(", "))));
  const QString sub = line.arguments().constFirst();
  if (!subcommands.contains(sub))
    return line.usageError(QStringLiteral("unknown sub-command \"%1\"").arg(sub));
  return std::nullopt;
}

}  // namespace karvel::cli
