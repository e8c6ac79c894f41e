#include "cli/Console.h"

#include <cstdio>

namespace karvel::cli {

int fail(const QString& text) {
  QString line = text.trimmed();
  line.replace(u'\n', QStringLiteral(": "));
  std::fprintf(stderr, "karvel-cli: %s\n", qUtf8Printable(line));
  return 1;
}

bool parseLanguageOption(const QStringList& args, qsizetype first, int* language) {
  for (qsizetype i = first; i < args.size(); ++i) {
    bool ok = false;
    if (args[i] != QLatin1String("--language") || i + 1 >= args.size()) return false;
    const int value = args[++i].toInt(&ok);
    if (!ok || value < 0 || value > 4) return false;
    *language = value;
  }
  return true;
}

}  // namespace karvel::cli
