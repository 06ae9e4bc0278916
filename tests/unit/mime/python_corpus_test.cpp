// Parses the email test messages that ship with Python's standard library: a corpus written
// by others, with odd structures (nested rfc822, broken boundaries, LF line ends, binary data).

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/mime/attachment_file.h"
#include "core/mime/body_and_parts.h"
#include "core/mime/parse_message.h"
#include "unit/mime/mime_test_support.h"

namespace postwink {
namespace {

std::string PythonEmailTestFolder() {
#ifdef _WIN32
  return {};
#else
  FILE* pipe = popen(
      "python3 -c \"import test.test_email, os; print(os.path.dirname(test.test_email.__file__))\""
      " 2>/dev/null",
      "r");
  if (!pipe) return {};
  std::string out;
  char buf[512];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  pclose(pipe);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
#endif
}

std::string ToCrlf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 20);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

TEST(PythonEmailCorpus, EveryMessageParsesAndSplits) {
  std::string folder = PythonEmailTestFolder();
  std::filesystem::path data = std::filesystem::path(folder) / "data";
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(data, ec)) {
    GTEST_SKIP() << "Python's email test messages (test.test_email/data) are not installed";
  }
  test::ScratchFolder scratch;
  TempFolder temp{PlatformSystem().files, scratch.Path(), PlatformSystem().codePage};
  int files = 0;
  int withSubject = 0;
  for (const auto& entry : std::filesystem::directory_iterator(data)) {
    if (!entry.is_regular_file()) continue;
    std::optional<std::string> raw = PlatformSystem().files.ReadAll(entry.path().string());
    ASSERT_TRUE(raw) << entry.path();
    ++files;
    for (bool showHeader : {false, true}) {
      for (const std::string& text : {*raw, ToCrlf(*raw)}) {
        SCOPED_TRACE(entry.path().filename().string());
        MailItem item;
        ParseMessage(item, text, "1", test::Options(showHeader));
        if (showHeader && text != *raw && item.subject) ++withSubject;
        PartList parts;
        std::optional<std::string> body = GetBodyAndParts(item, parts, test::Charsets());
        ASSERT_FALSE(parts.empty());
        size_t size = item.previewText ? item.previewText->size() : 0;
        for (size_t i = 0; i < parts.size(); ++i) {
          size_t start = parts[i].start.value_or(0);
          EXPECT_LE(start, size);
          EXPECT_LE(start, parts[i].end.value_or(size));
          EXPECT_LE(parts[i].end.value_or(size), size);
          EXPECT_TRUE(ExtractAttachment(item, parts, i, temp));
        }
      }
    }
  }
  EXPECT_GT(files, 40);
  EXPECT_GT(withSubject, 30);
}

}  // namespace
}  // namespace postwink
