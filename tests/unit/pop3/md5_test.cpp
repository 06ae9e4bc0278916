#include "core/pop3/md5.h"

#include <gtest/gtest.h>

#include <string>

namespace postwink {
namespace {

TEST(Md5, Rfc1321TestSuite) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      // RFC 1939's APOP example: timestamp followed by the secret.
      {"<1896.697170952@dbc.mtview.ca.us>tanstaaf", "c4c9334bac560ecc979e58001b3e22fb"},
  };
  for (const auto& [input, digest] : cases) EXPECT_EQ(Md5Hex(input), digest) << input;
}

TEST(Md5, PaddingBoundariesAndBinaryInput) {
  // Lengths around the 56-byte padding edge and the block size, checked against known digests.
  EXPECT_EQ(Md5Hex(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
  EXPECT_EQ(Md5Hex(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
  EXPECT_EQ(Md5Hex(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
  EXPECT_EQ(Md5Hex(std::string("\0\x01\xff", 3)), "ffbb8cd5a232b7d906904533e9609f48");
  EXPECT_EQ(Md5Hex(std::string("\0", 1)), "93b885adfe0da089cdf634904fd59f71");
}

}  // namespace
}  // namespace postwink
