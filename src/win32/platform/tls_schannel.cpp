// TLS through SChannel (SSPI). The channel never touches the socket: the transport hands it the
// bytes that arrived and sends what it gives back, so the handshake is driven by the socket's
// FD_READ events. SChannel's own certificate checks are switched off (under Wine they check
// nothing) and done with the system's chain engine (CheckServerCertificate).
#define SCHANNEL_USE_BLACKLISTS
#include "win32/platform/windows_headers.h"
// clang-format off
#include <ws2tcpip.h>
#include <wincrypt.h>
#include <subauth.h>
#define SECURITY_WIN32
#include <security.h>
#include <schannel.h>
// clang-format on

#include <memory>
#include <string>

#include "core/net/net_address.h"
#include "core/net/tls_channel.h"
#include "core/net/tls_records.h"
#include "core/platform/system.h"
#include "core/text/utf8.h"
#include "win32/platform/certificate_check.h"

namespace postwink {
namespace {

constexpr ULONG kRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                           ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                           ISC_REQ_MANUAL_CRED_VALIDATION;
// More than a handshake flight or a record ever needs: a server that sends more without
// completing anything is broken.
constexpr size_t kMaxPending = 256 * 1024;

std::wstring WideHost(const std::string& host) {
  std::u16string wide = Utf8ToUtf16(host);
  return std::wstring(wide.begin(), wide.end());
}

struct CertFree {
  void operator()(const CERT_CONTEXT* c) const { CertFreeCertificateContext(c); }
};
using CertPtr = std::unique_ptr<const CERT_CONTEXT, CertFree>;

class SchannelChannel : public TlsChannel {
 public:
  explicit SchannelChannel(TlsTarget target)
      : target_(std::move(target)), host_(WideHost(target_.host)) {}
  ~SchannelChannel() override {
    if (haveContext_) DeleteSecurityContext(&context_);
    if (haveCredentials_) FreeCredentialsHandle(&credentials_);
  }
  SchannelChannel(const SchannelChannel&) = delete;
  SchannelChannel& operator=(const SchannelChannel&) = delete;

  bool Init() {
    // SCH_CREDENTIALS lets Windows 10 and later negotiate TLS 1.3; older systems know only
    // SCHANNEL_CRED.
    SCH_CREDENTIALS modern{};
    modern.dwVersion = SCH_CREDENTIALS_VERSION;
    modern.dwFlags =
        SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
    if (Acquire(&modern)) return true;
    SCHANNEL_CRED legacy{};
    legacy.dwVersion = SCHANNEL_CRED_VERSION;
    legacy.dwFlags = modern.dwFlags;
    return Acquire(&legacy);
  }

  TlsFailure Begin(std::string& out) override {
    SecBuffer token{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &token};
    ULONG attributes = 0;
    SECURITY_STATUS status =
        InitializeSecurityContextW(&credentials_, nullptr, ServerName(), kRequest, 0, 0, nullptr, 0,
                                   &context_, &outDesc, &attributes, nullptr);
    haveContext_ = status == SEC_I_CONTINUE_NEEDED || status == SEC_E_OK;
    TakeToken(token, out);
    return status == SEC_I_CONTINUE_NEEDED ? TlsFailure::kNone : TlsFailure::kHandshake;
  }

  Progress Feed(std::string_view in, std::string& out, std::string& plain) override {
    Progress progress;
    pending_.append(in);
    if (HasOversizedRecord(pending_) || pending_.size() > kMaxPending) {
      progress.failure = secured_ ? TlsFailure::kTransfer : TlsFailure::kHandshake;
      return progress;
    }
    if (!secured_) {
      progress.failure = Handshake(out);
      if (progress.failure != TlsFailure::kNone || !secured_) return progress;
      progress.secured = true;
    }
    progress.failure = Decrypt(out, plain, progress.closed);
    return progress;
  }

  bool Encrypt(std::string_view plain, std::string& out) override {
    while (!plain.empty()) {
      size_t n = std::min<size_t>(plain.size(), sizes_.cbMaximumMessage);
      std::string record(sizes_.cbHeader + n + sizes_.cbTrailer, '\0');
      memcpy(record.data() + sizes_.cbHeader, plain.data(), n);
      SecBuffer buffers[4] = {
          {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
          {static_cast<ULONG>(n), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
          {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + n},
          {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
      if (EncryptMessage(&context_, 0, &desc, 0) != SEC_E_OK) return false;
      // The trailer may be shorter than announced: send what the call filled in.
      out.append(record.data(), buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
      plain.remove_prefix(n);
    }
    return true;
  }

  void Shutdown(std::string& out) override {
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer control{sizeof type, SECBUFFER_TOKEN, &type};
    SecBufferDesc controlDesc{SECBUFFER_VERSION, 1, &control};
    if (ApplyControlToken(&context_, &controlDesc) != SEC_E_OK) return;
    SecBuffer token{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &token};
    ULONG attributes = 0;
    InitializeSecurityContextW(&credentials_, &context_, ServerName(), kRequest, 0, 0, nullptr, 0,
                               nullptr, &outDesc, &attributes, nullptr);
    TakeToken(token, out);
  }

 private:
  bool Acquire(void* credentials) {
    haveCredentials_ =
        AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                  nullptr, credentials, nullptr, nullptr, &credentials_,
                                  nullptr) == SEC_E_OK;
    return haveCredentials_;
  }

  // The server name for SNI; none for an address, which the standard does not allow there.
  SEC_WCHAR* ServerName() {
    return IsAddressLiteral(target_.host) ? nullptr : const_cast<SEC_WCHAR*>(host_.c_str());
  }

  static void TakeToken(SecBuffer& token, std::string& out) {
    if (token.pvBuffer == nullptr) return;
    out.append(static_cast<const char*>(token.pvBuffer), token.cbBuffer);
    FreeContextBuffer(token.pvBuffer);
    token.pvBuffer = nullptr;
  }

  TlsFailure Handshake(std::string& out) {
    // Whole records only: SChannel is never handed a cut record header.
    for (int round = 0; round < 64 && !secured_; ++round) {
      size_t whole = WholeRecordsLength(pending_);
      if (whole == 0) return TlsFailure::kNone;
      SecBuffer in[2] = {{static_cast<ULONG>(whole), SECBUFFER_TOKEN, pending_.data()},
                         {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
      SecBuffer token{0, SECBUFFER_TOKEN, nullptr};
      SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &token};
      ULONG attributes = 0;
      SECURITY_STATUS status =
          InitializeSecurityContextW(&credentials_, &context_, ServerName(), kRequest, 0, 0,
                                     &inDesc, 0, nullptr, &outDesc, &attributes, nullptr);
      TakeToken(token, out);
      // A handshake message spread over records still to come.
      if (status == SEC_E_INCOMPLETE_MESSAGE) return TlsFailure::kNone;
      if (status == SEC_I_INCOMPLETE_CREDENTIALS) continue;  // a client certificate asked for
      if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED) return TlsFailure::kHandshake;
      size_t extra = in[1].BufferType == SECBUFFER_EXTRA ? in[1].cbBuffer : 0;
      pending_.erase(0, whole - std::min<size_t>(extra, whole));
      if (status == SEC_E_OK) {
        if (QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) != SEC_E_OK) {
          return TlsFailure::kHandshake;
        }
        TlsFailure failure = CheckCertificate();
        if (failure != TlsFailure::kNone) return failure;
        secured_ = true;
      } else if (extra == whole && token.cbBuffer == 0) {
        return TlsFailure::kNone;  // nothing taken: wait for more
      }
    }
    return secured_ ? TlsFailure::kNone : TlsFailure::kHandshake;
  }

  TlsFailure Decrypt(std::string& out, std::string& plain, bool& closed) {
    // One record per call: later records come back as EXTRA otherwise, and Wine reads a record
    // header without checking that it is all there.
    while (WholeRecordsLength(pending_) > 0) {
      size_t record = kTlsRecordHeader + (static_cast<unsigned char>(pending_[3]) << 8 |
                                          static_cast<unsigned char>(pending_[4]));
      SecBuffer buffers[4] = {{static_cast<ULONG>(record), SECBUFFER_DATA, pending_.data()},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
      SECURITY_STATUS status = DecryptMessage(&context_, &desc, 0, nullptr);
      if (status == SEC_E_OK || status == SEC_I_RENEGOTIATE) {
        for (const SecBuffer& b : buffers) {
          if (b.BufferType == SECBUFFER_DATA && b.pvBuffer != nullptr) {
            plain.append(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
          }
        }
      } else if (status == SEC_I_CONTEXT_EXPIRED) {
        closed = true;
      } else {
        return TlsFailure::kTransfer;
      }
      pending_.erase(0, record);
      if (status == SEC_I_RENEGOTIATE && !AfterHandshake(out)) return TlsFailure::kTransfer;
      if (closed) break;
    }
    return TlsFailure::kNone;
  }

  // TLS 1.3 sends session tickets and key updates after the handshake; Windows hands them back
  // as SEC_I_RENEGOTIATE, to be given to InitializeSecurityContext.
  bool AfterHandshake(std::string& out) {
    SecBuffer in[2] = {{0, SECBUFFER_TOKEN, nullptr}, {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
    SecBuffer token{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &token};
    ULONG attributes = 0;
    SECURITY_STATUS status =
        InitializeSecurityContextW(&credentials_, &context_, ServerName(), kRequest, 0, 0, &inDesc,
                                   0, nullptr, &outDesc, &attributes, nullptr);
    TakeToken(token, out);
    return status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED;
  }

  TlsFailure CheckCertificate() {
    const CERT_CONTEXT* remote = nullptr;
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &remote) != SEC_E_OK ||
        remote == nullptr) {
      return TlsFailure::kHandshake;
    }
    CertPtr cert(remote);
    return CheckServerCertificate(cert.get(), target_);
  }

  TlsTarget target_;
  std::wstring host_;
  CredHandle credentials_{};
  CtxtHandle context_{};
  bool haveCredentials_ = false;
  bool haveContext_ = false;
  bool secured_ = false;
  SecPkgContext_StreamSizes sizes_{};
  std::string pending_;
};

}  // namespace

std::unique_ptr<TlsChannel> MakeTlsChannel(const TlsTarget& target, TlsFailure& failure) {
  auto channel = std::make_unique<SchannelChannel>(target);
  if (!channel->Init()) {
    failure = TlsFailure::kUnavailable;
    return nullptr;
  }
  failure = TlsFailure::kNone;
  return channel;
}

}  // namespace postwink
