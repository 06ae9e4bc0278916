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
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "core/net/net_address.h"
#include "core/net/tls_channel.h"
#include "core/net/tls_records.h"
#include "core/platform/system.h"
#include "core/text/utf8.h"
#include "win32/platform/certificate_check.h"
#include "win32/platform/schannel_flow.h"
#include "win32/platform/tls_schannel.h"

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

// What the certificate check found, shared by the channel and the check's thread: either may go
// first.
struct CheckOutcome {
  std::mutex mutex;
  std::optional<TlsFailure> failure;
};

class SchannelChannel : public TlsChannel, private win::SspiContext {
 public:
  SchannelChannel(TlsTarget target, win::CertificateCheck check, std::function<void()> checked)
      : target_(std::move(target)),
        host_(WideHost(target_.host)),
        check_(std::move(check)),
        checked_(std::move(checked)),
        flow_(*this, kRequest, [this] { return GoOnAfterHandshake(); }) {}
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
      progress.failure = flow_.Secured() ? TlsFailure::kTransfer : TlsFailure::kHandshake;
      return progress;
    }
    // What arrives while the certificate is checked waits for the outcome.
    if (outcome_) {
      progress.failure = TakeCheckOutcome();
      if (progress.failure != TlsFailure::kNone || outcome_) return progress;
    }
    win::SchannelFlow::Outcome flow = flow_.Feed(pending_, out, plain);
    progress.failure = flow.failure;
    progress.closed = flow.closed;
    if (flow.handshakeDone) {
      progress.failure =
          QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) == SEC_E_OK
              ? StartCheck()
              : TlsFailure::kHandshake;
    }
    progress.secured = flow_.Secured();
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
    InitializeSecurityContextW(&credentials_, &context_, ServerName(), flow_.Request(), 0, 0,
                               nullptr, 0, nullptr, &outDesc, &attributes, nullptr);
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

  Step Initialize(ULONG request, std::string_view input, std::string& out) override {
    SecBuffer in[2] = {
        {static_cast<ULONG>(input.size()), SECBUFFER_TOKEN, const_cast<char*>(input.data())},
        {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
    SecBuffer token{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &token};
    ULONG attributes = 0;
    Step step;
    step.status = InitializeSecurityContextW(&credentials_, &context_, ServerName(), request, 0, 0,
                                             &inDesc, 0, nullptr, &outDesc, &attributes, nullptr);
    TakeToken(token, out);
    if (in[1].BufferType == SECBUFFER_EXTRA) step.extra = in[1].cbBuffer;
    return step;
  }

  Step Decrypt(char* record, size_t size, std::string& plain) override {
    SecBuffer buffers[4] = {{static_cast<ULONG>(size), SECBUFFER_DATA, record},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
    Step step;
    step.status = DecryptMessage(&context_, &desc, 0, nullptr);
    if (step.status != SEC_E_OK && step.status != SEC_I_RENEGOTIATE) return step;
    for (const SecBuffer& b : buffers) {
      if (b.BufferType == SECBUFFER_DATA && b.pvBuffer != nullptr) {
        plain.append(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
      } else if (b.BufferType == SECBUFFER_EXTRA) {
        step.extra = b.cbBuffer;
      }
    }
    return step;
  }

  // The certificate the server shows now; null when there is none.
  std::shared_ptr<const CERT_CONTEXT> RemoteCertificate() {
    const CERT_CONTEXT* remote = nullptr;
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &remote) != SEC_E_OK ||
        remote == nullptr) {
      return nullptr;
    }
    return std::shared_ptr<const CERT_CONTEXT>(remote, CertFree());
  }

  static std::string Encoded(const CERT_CONTEXT* cert) {
    if (cert == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(cert->pbCertEncoded), cert->cbCertEncoded);
  }

  // After a new handshake: the checked server still, and its record sizes read again.
  bool GoOnAfterHandshake() {
    return !checkedCertificate_.empty() &&
           Encoded(RemoteCertificate().get()) == checkedCertificate_ &&
           QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) == SEC_E_OK;
  }

  // Starts the certificate check on a thread of its own, which owns what it uses: the channel
  // may be gone when it ends.
  TlsFailure StartCheck() {
    std::shared_ptr<const CERT_CONTEXT> cert = RemoteCertificate();
    if (!cert) return TlsFailure::kHandshake;
    checkedCertificate_ = Encoded(cert.get());
    auto outcome = std::make_shared<CheckOutcome>();
    try {
      std::thread([outcome, cert, check = check_, target = target_, checked = checked_] {
        TlsFailure failure = check(cert.get(), target);
        {
          std::lock_guard<std::mutex> hold(outcome->mutex);
          outcome->failure = failure;
        }
        checked();
      }).detach();
    } catch (const std::system_error&) {
      return TlsFailure::kHandshake;
    }
    outcome_ = std::move(outcome);
    return TlsFailure::kNone;
  }

  TlsFailure TakeCheckOutcome() {
    std::optional<TlsFailure> failure;
    {
      std::lock_guard<std::mutex> hold(outcome_->mutex);
      failure = outcome_->failure;
    }
    if (!failure) return TlsFailure::kNone;
    outcome_.reset();
    if (*failure == TlsFailure::kNone) flow_.Secure();
    return *failure;
  }

  TlsTarget target_;
  std::wstring host_;
  win::CertificateCheck check_;
  std::function<void()> checked_;  // called on the check's thread when it has ended
  CredHandle credentials_{};
  CtxtHandle context_{};
  bool haveCredentials_ = false;
  bool haveContext_ = false;
  std::shared_ptr<CheckOutcome> outcome_;  // while the certificate check runs
  std::string checkedCertificate_;         // encoded, as the check saw it
  win::SchannelFlow flow_;
  SecPkgContext_StreamSizes sizes_{};
  std::string pending_;
};

}  // namespace

namespace win {

std::unique_ptr<TlsChannel> MakeSchannelChannel(const TlsTarget& target, CertificateCheck check,
                                                std::function<void()> checked,
                                                TlsFailure& failure) {
  auto channel = std::make_unique<SchannelChannel>(target, std::move(check), std::move(checked));
  if (!channel->Init()) {
    failure = TlsFailure::kUnavailable;
    return nullptr;
  }
  failure = TlsFailure::kNone;
  return channel;
}

}  // namespace win

}  // namespace postwink
