#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/platform/system.h"
#include "postwink_version.h"

namespace postwink::cli {

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

std::string ToUtf8(const std::string& cp932) {
  std::u16string wide = PlatformSystem().codePage.Widen(cp932);
  std::string out;
  out.reserve(wide.size() * 3);
  for (size_t i = 0; i < wide.size(); ++i) {
    uint32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string FromUtf8(const std::string& utf8) {
  std::u16string wide;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char b = static_cast<unsigned char>(utf8[i]);
    uint32_t c;
    size_t len;
    if (b < 0x80) {
      c = b, len = 1;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F, len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F, len = 3;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07, len = 4;
    } else {
      wide += u'?';
      ++i;
      continue;
    }
    if (i + len > utf8.size()) {
      wide += u'?';
      break;
    }
    for (size_t k = 1; k < len; ++k)
      c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    if (c >= 0x10000) {
      c -= 0x10000;
      wide += static_cast<char16_t>(0xD800 + (c >> 10));
      wide += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      wide += static_cast<char16_t>(c);
    }
    i += len;
  }
  return PlatformSystem().codePage.Narrow(wide);
}

}  // namespace postwink::cli

int main(int argc, char** argv) {
  using namespace postwink::cli;
  auto usage = [] {
    std::fprintf(stderr, "usage: postwink-cli COMMAND [ARGS...]\n  --version\n");
    for (const Command& c : Commands()) std::fprintf(stderr, "  %s\n", c.usage);
  };
  if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
    usage();
    return argc < 2 ? kExitUsage : kExitOk;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("postwink-cli %s\n", POSTWINK_VERSION_TEXT);
    return kExitOk;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const Command& c : Commands()) {
    if (std::strcmp(c.name, argv[1]) == 0) return c.run(args);
  }
  std::fprintf(stderr, "postwink-cli: unknown command '%s'\n", argv[1]);
  usage();
  return kExitUsage;
}
