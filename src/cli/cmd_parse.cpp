// postwink-cli parse: shows what the parser makes of message files, for inspecting a problem
// message.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/json.h"
#include "core/mime/body_and_parts.h"
#include "core/mime/charset.h"
#include "core/mime/date.h"
#include "core/mime/parse_message.h"
#include "core/mime/transfer_encoding.h"
#include "core/platform/system.h"

namespace postwink::cli {
namespace {

void OptionalField(JsonWriter& json, const char* key, const std::optional<std::string>& value) {
  json.Key(key);
  if (value) {
    json.String(*value);
  } else {
    json.Null();
  }
}

int Run(const std::vector<std::string>& args) {
  bool showHeader = false;
  bool pop3 = false;
  std::vector<std::string> files;
  for (const std::string& arg : args) {
    if (arg == "--showheader") {
      showHeader = true;
    } else if (arg == "--pop3") {
      pop3 = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "parse: unknown option '%s'\n", arg.c_str());
      return kExitUsage;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: postwink-cli parse [--showheader] [--pop3] FILE...\n");
    return kExitUsage;
  }

  System& system = PlatformSystem();
  CharsetContext charsets{system.codePage, PlatformCharsetConverter()};
  LocalZone zone{PlatformTimeZone()};
  ParseOptions options(charsets, zone);
  options.showHeader = showHeader;
  // A file is a message as stored; with --pop3 it is one as a server sends it, dot-stuffed.
  options.dotStuffed = pop3;

  int status = kExitOk;
  JsonWriter json;
  json.BeginArray();
  for (const std::string& file : files) {
    std::optional<std::string> raw = system.files.ReadAll(file);
    if (!raw) {
      std::fprintf(stderr, "parse: cannot read '%s'\n", file.c_str());
      status = kExitFailure;
      continue;
    }
    std::string text = WithCrLfLineEnds(*raw);
    MailItem item;
    ParseMessage(item, text, std::to_string(text.size()), options);
    PartList parts;
    std::optional<std::string> body = GetBodyAndParts(item, parts, charsets);

    json.BeginObject();
    json.Key("file").Utf8String(file);
    OptionalField(json, "subject", item.subject);
    OptionalField(json, "from", item.from);
    OptionalField(json, "to", item.to);
    OptionalField(json, "cc", item.cc);
    OptionalField(json, "dateText", item.dateText);
    json.Field("identity", item.identity);
    OptionalField(json, "uniqueId", item.uniqueId);
    json.Field("flags", static_cast<int64_t>(item.flags));
    json.Field("isMultipart", item.isMultipart != 0);
    json.Field("hasAttachment", item.hasAttachment != 0);
    OptionalField(json, "contentType", item.contentType);
    OptionalField(json, "transferEncoding", item.transferEncoding);
    OptionalField(json, "sizeText", item.sizeText);
    OptionalField(json, "previewText", item.previewText);
    json.Key("parts").BeginArray();
    for (const MimePart& part : parts) {
      json.BeginObject();
      OptionalField(json, "type", part.type);
      OptionalField(json, "name", part.name);
      OptionalField(json, "encoding", part.encoding);
      json.Key("start");
      if (part.start) {
        json.Number(static_cast<int64_t>(*part.start));
      } else {
        json.Null();
      }
      json.Field("hasEnd", part.end.has_value());
      json.EndObject();
    }
    json.EndArray();
    OptionalField(json, "body", body);
    json.EndObject();
  }
  json.EndArray();
  std::fwrite(json.Text().data(), 1, json.Text().size(), stdout);
  std::fputc('\n', stdout);
  return status;
}

RegisterCommand reg("parse",
                    "parse [--showheader] [--pop3] FILE...   the message record of each file "
                    "(--pop3: as a server sends it, dot-stuffed), as JSON",
                    &Run);

}  // namespace
}  // namespace postwink::cli
