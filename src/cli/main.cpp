#include <cstdio>

int main(int argc, char** argv) {
  (void)argv;
  if (argc < 2) {
    std::fprintf(stderr, "usage: karvel-cli COMMAND ...\n");
    return 2;
  }
  std::fprintf(stderr, "karvel-cli: unknown command\n");
  return 2;
}
