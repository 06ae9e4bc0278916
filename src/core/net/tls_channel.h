#pragma once
// One connection's TLS, as the platform's library provides it (SChannel on Windows, OpenSSL
// elsewhere), behind a small interface that touches no socket: bytes from the server go in,
// bytes for the server and decrypted text come out. The transport moves the bytes; the
// certificate is checked by the channel before any text comes out of it.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace postwink {

using Sha256 = std::array<uint8_t, 32>;

enum class TlsFailure {
  kNone,
  kUnavailable,   // the library could not set up a connection
  kNotTls,        // the server answered in plain text
  kHandshake,     // the handshake failed (no common protocol, a broken message, an alert)
  kUntrusted,     // no trusted authority signed the certificate
  kExpired,       // the certificate is out of its validity period
  kNameMismatch,  // the certificate names another server
  kFingerprint,   // a pinned fingerprint was set and the certificate has another
  kTransfer,      // a record could not be decrypted or encrypted after the handshake
  kRenegotiation  // the server asked for a new handshake that could not be carried out
};

// The fixed message text for a failure (empty for kNone).
const char* TlsFailureText(TlsFailure failure);

// What the server's certificate must prove.
struct TlsTarget {
  // The server as configured: a host name (also sent as the server name, SNI) or an address
  // literal (matched against the certificate's IP addresses).
  std::string host;
  // When set, exactly the certificate with this SHA-256 fingerprint is accepted, whoever signed
  // it and whatever names it carries.
  std::optional<Sha256> pin;
};

class TlsChannel {
 public:
  virtual ~TlsChannel() = default;

  struct Progress {
    TlsFailure failure = TlsFailure::kNone;
    bool secured = false;  // the handshake is complete and the certificate accepted
    bool closed = false;   // the server ended TLS (close_notify)
  };

  // The client's first handshake message, appended to out.
  virtual TlsFailure Begin(std::string& out) = 0;
  // Takes every byte received (keeping what does not complete a record yet), appends to out
  // what must be sent and to plain the decrypted text. Text comes out only once secured.
  virtual Progress Feed(std::string_view in, std::string& out, std::string& plain) = 0;
  // Encrypts text for the server (only once secured).
  virtual bool Encrypt(std::string_view plain, std::string& out) = 0;
  // The close_notify to send before closing, when the channel has one.
  virtual void Shutdown(std::string& out) = 0;
};

// The platform's channel for one connection; null with failure set when none can be made.
std::unique_ptr<TlsChannel> MakeTlsChannel(const TlsTarget& target, TlsFailure& failure);

// The highest-priority failure among those a certificate check found, so that every platform
// names the same problem first: the authority, then the dates, then the name.
TlsFailure FirstCertificateFailure(bool untrusted, bool expired, bool nameMismatch);

}  // namespace postwink
