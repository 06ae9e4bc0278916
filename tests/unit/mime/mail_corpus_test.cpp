// Parses the mail corpus of tests/data: messages written by others, from other mail libraries'
// test data, with odd structures (nested rfc822, broken boundaries, LF line ends, binary data).
// Every part must lie inside the text and decode into a file; the fields themselves are
// compared with Python's email package by tests/corpus/compare_python.py.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/mime/attachment_file.h"
#include "core/mime/body_and_parts.h"
#include "core/mime/parse_message.h"
#include "core/mime/transfer_encoding.h"
#include "unit/mime/mime_test_support.h"

namespace postwink {
namespace {

TEST(MailCorpus, EveryMessageParsesAndSplits) {
  const std::filesystem::path data = std::filesystem::path(POSTWINK_TEST_DATA) / "mail-corpus";
  test::ScratchFolder scratch;
  TempFolder temp{PlatformSystem().files, scratch.Path(), PlatformSystem().codePage};
  int files = 0;
  int withSubject = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(data)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".eml") continue;
    std::optional<std::string> raw = PlatformSystem().files.ReadAll(entry.path().string());
    ASSERT_TRUE(raw) << entry.path();
    ++files;
    for (bool showHeader : {false, true}) {
      for (const std::string& text : {*raw, WithCrLfLineEnds(*raw)}) {
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
  EXPECT_GT(files, 300);
  EXPECT_GT(withSubject, 100);
}

}  // namespace
}  // namespace postwink
