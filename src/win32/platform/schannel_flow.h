#pragma once
// What SChannel's statuses mean for one connection's records: the handshake (a server that asks
// for a client certificate, which this program never has, gets none), then text, and a new
// handshake when the server asks for one (a TLS 1.2 renegotiation, or TLS 1.3's messages after
// the handshake, which Windows hands back the same way). The two SSPI calls go through
// SspiContext, so that every sequence of statuses can be played to it.
#include "win32/platform/windows_headers.h"
// clang-format off
#define SECURITY_WIN32
#include <security.h>
// clang-format on

#include <functional>
#include <string>
#include <string_view>

#include "core/net/tls_channel.h"

namespace postwink::win {

class SspiContext {
 public:
  virtual ~SspiContext() = default;
  struct Step {
    SECURITY_STATUS status = SEC_E_OK;
    size_t extra = 0;  // bytes at the end of the input left for the next call (SECBUFFER_EXTRA)
  };
  // InitializeSecurityContext on the connection's context with input as its token (an empty one
  // when input is empty); the token to send is appended to out.
  virtual Step Initialize(ULONG request, std::string_view input, std::string& out) = 0;
  // DecryptMessage of one whole record, in place; its text is appended to plain.
  virtual Step Decrypt(char* record, size_t size, std::string& plain) = 0;
};

class SchannelFlow {
 public:
  // goOn: asked after every new handshake, whether the connection may go on (the server still
  // shows the certificate that was checked, and the new record sizes are known).
  SchannelFlow(SspiContext& sspi, ULONG request, std::function<bool()> goOn)
      : sspi_(sspi), request_(request), goOn_(std::move(goOn)) {}

  struct Outcome {
    TlsFailure failure = TlsFailure::kNone;
    bool handshakeDone = false;  // the first handshake ended: check the certificate, then Secure
    bool closed = false;         // the server ended TLS
  };
  // Takes the whole records at the front of pending: handshake messages while a handshake runs,
  // text otherwise. The first handshake's end stops it until Secure.
  Outcome Feed(std::string& pending, std::string& out, std::string& plain);
  // The certificate was accepted: text may flow.
  void Secure() { stage_ = Stage::kSecured; }
  bool Secured() const { return stage_ == Stage::kSecured; }
  ULONG Request() const { return request_; }

 private:
  enum class Stage { kHandshake, kChecking, kSecured, kRenegotiating };
  enum class StepEnd { kAgain, kWait, kDone, kFail };
  // One handshake call on the first length bytes of pending, consuming what it took.
  StepEnd Step(std::string& pending, size_t length, std::string& out);
  // Handshake calls while whole records are there; done when the handshake ended.
  bool Handshake(std::string& pending, std::string& out, bool& done);
  TlsFailure Decrypt(std::string& pending, std::string& out, std::string& plain, bool& closed);
  // A new handshake asked for by the server: the first call, and the rest of what is pending.
  TlsFailure Renegotiate(std::string& pending, std::string& out);
  // A new handshake ended: text again, or the failure when the connection may not go on.
  TlsFailure Renegotiated();

  SspiContext& sspi_;
  ULONG request_;
  std::function<bool()> goOn_;
  Stage stage_ = Stage::kHandshake;
};

}  // namespace postwink::win
