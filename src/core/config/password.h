#pragma once
// The stored form of account passwords (the PASS key): a scrambled, printable text.
//
// The format holds bytes below 0x80 only, and runs of at most eight equal bits (seven for the
// last). The writer raises later bytes by 0x60 at random; when the random choice would give a
// run that is too long, another choice of raised bytes is taken, and a password for which no
// choice works is refused. Control bytes below 0x20 are never raised, because the reader would
// not lower them again.

#include <string>
#include <string_view>

#include "core/platform/system.h"

namespace postwink {

enum class ScrambleStatus {
  kOk,
  kUnsupportedByte,  // a byte of 0x80 or above (for example a Japanese character)
  kRunTooLong,       // no choice of raised bytes keeps every run short enough
};

struct ScrambleResult {
  ScrambleStatus status = ScrambleStatus::kOk;
  std::string text;   // the stored form when status is kOk
  std::string error;  // message for the user otherwise
  bool ok() const { return status == ScrambleStatus::kOk; }
};

// Whether the password can be stored: kOk, or the reason it cannot, whatever the random
// choices. Lets an editor refuse a password before anything is written.
ScrambleResult CheckPasswordStorable(std::string_view password);
// Seeds random with the current time in seconds times the first byte, as the format's writer
// does, and draws one number per later byte.
ScrambleResult ScramblePassword(std::string_view password, const Clock& clock, Random& random);
// Reads any text: characters outside the alphabet are skipped.
std::string UnscramblePassword(std::string_view stored);

}  // namespace postwink
