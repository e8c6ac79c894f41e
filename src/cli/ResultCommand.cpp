// Not built yet: this command group arrives with its feature.
#include <cstdio>

#include "cli/Commands.h"

namespace karvel::cli {

int runResult(const QStringList&) {
  std::fputs("karvel-cli: this command is not available in this build\n", stderr);
  return 2;
}

}  // namespace karvel::cli
