#include "win32/platform/dpapi_token_store.h"

#include "win32/platform/windows_headers.h"
// clang-format off
#include <wincrypt.h>
// clang-format on

namespace postwink::win {
namespace {

// Mixed into the encryption, so that another program decrypting the user's DPAPI blobs
// blindly does not get these.
constexpr char kEntropy[] = "Postwink refresh tokens";

DATA_BLOB Blob(std::string_view bytes) {
  return {static_cast<DWORD>(bytes.size()),
          reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

// The sealed text is a row of netstrings ("5:hello,"), key and token in turn: keys join their
// parts with line ends, and a token may hold any byte.
void AppendNetstring(std::string& out, std::string_view text) {
  out += std::to_string(text.size());
  out += ':';
  out += text;
  out += ',';
}

std::optional<std::string_view> TakeNetstring(std::string_view& rest) {
  size_t colon = rest.find(':');
  if (colon == 0 || colon == std::string_view::npos || colon > 9) return std::nullopt;
  size_t length = 0;
  for (char c : rest.substr(0, colon)) {
    if (c < '0' || c > '9') return std::nullopt;
    length = length * 10 + static_cast<size_t>(c - '0');
  }
  if (rest.size() - colon - 1 < length + 1 || rest[colon + 1 + length] != ',') return std::nullopt;
  std::string_view text = rest.substr(colon + 1, length);
  rest.remove_prefix(colon + length + 2);
  return text;
}

std::optional<std::string> Protect(std::string_view plain) {
  DATA_BLOB in = Blob(plain);
  DATA_BLOB entropy = Blob(kEntropy);
  DATA_BLOB out{};
  if (!CryptProtectData(&in, L"Postwink", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                        &out)) {
    return std::nullopt;
  }
  std::string sealed(reinterpret_cast<const char*>(out.pbData), out.cbData);
  LocalFree(out.pbData);
  return sealed;
}

std::optional<std::string> Unprotect(std::string_view sealed) {
  DATA_BLOB in = Blob(sealed);
  DATA_BLOB entropy = Blob(kEntropy);
  DATA_BLOB out{};
  if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out)) {
    return std::nullopt;
  }
  std::string plain(reinterpret_cast<const char*>(out.pbData), out.cbData);
  SecureZeroMemory(out.pbData, out.cbData);
  LocalFree(out.pbData);
  return plain;
}

}  // namespace

std::map<std::string, std::string> DpapiTokenStore::ReadAll() const {
  std::map<std::string, std::string> tokens;
  std::optional<std::string> sealed = files_.ReadAll(path_);
  if (!sealed || sealed->empty()) return tokens;
  std::optional<std::string> plain = Unprotect(*sealed);
  if (!plain) return tokens;
  std::string_view rest = *plain;
  while (!rest.empty()) {
    std::optional<std::string_view> key = TakeNetstring(rest);
    std::optional<std::string_view> token = key ? TakeNetstring(rest) : std::nullopt;
    if (!token) {
      // Decrypted yet malformed: nothing in it can be trusted.
      tokens.clear();
      break;
    }
    if (!token->empty()) tokens[std::string(*key)] = std::string(*token);
  }
  SecureZeroMemory(plain->data(), plain->size());
  return tokens;
}

bool DpapiTokenStore::WriteAll(const std::map<std::string, std::string>& tokens) {
  if (tokens.empty()) return !files_.Exists(path_) || files_.RemoveFile(path_);
  std::string plain;
  for (const auto& [key, token] : tokens) {
    AppendNetstring(plain, key);
    AppendNetstring(plain, token);
  }
  std::optional<std::string> sealed = Protect(plain);
  SecureZeroMemory(plain.data(), plain.size());
  return sealed && files_.WriteAtomic(path_, *sealed);
}

std::optional<std::string> DpapiTokenStore::Load(const std::string& key) {
  std::map<std::string, std::string> tokens = ReadAll();
  auto found = tokens.find(key);
  if (found == tokens.end()) return std::nullopt;
  return found->second;
}

bool DpapiTokenStore::Save(const std::string& key, std::string_view refreshToken) {
  if (refreshToken.empty()) return false;
  std::map<std::string, std::string> tokens = ReadAll();
  tokens[key] = std::string(refreshToken);
  return WriteAll(tokens);
}

bool DpapiTokenStore::Erase(const std::string& key) {
  std::map<std::string, std::string> tokens = ReadAll();
  if (tokens.erase(key) == 0) return true;
  return WriteAll(tokens);
}

}  // namespace postwink::win
