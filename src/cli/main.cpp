#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: postwink-cli COMMAND ...\n");
    return 2;
  }
  std::fprintf(stderr, "postwink-cli: unknown command '%s'\n", argv[1]);
  return 2;
}
