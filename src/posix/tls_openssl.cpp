// TLS through OpenSSL, over memory buffers: the channel never touches the socket. The
// certificate is checked against OpenSSL's default trust store (so SSL_CERT_FILE and
// SSL_CERT_DIR work as usual) and the server's name, or against a pinned fingerprint, once the
// handshake is done and before any text is handed out.
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <memory>

#include "core/net/net_address.h"
#include "core/net/tls_channel.h"

namespace postwink {
namespace {

struct SslCtxFree {
  void operator()(SSL_CTX* p) const { SSL_CTX_free(p); }
};
struct SslFree {
  void operator()(SSL* p) const { SSL_free(p); }
};
struct X509Free {
  void operator()(X509* p) const { X509_free(p); }
};

class OpenSslChannel : public TlsChannel {
 public:
  explicit OpenSslChannel(TlsTarget target) : target_(std::move(target)) {}

  bool Init() {
    ctx_.reset(SSL_CTX_new(TLS_client_method()));
    if (!ctx_) return false;
    SSL_CTX_set_min_proto_version(ctx_.get(), TLS1_2_VERSION);
    SSL_CTX_set_default_verify_paths(ctx_.get());
    ssl_.reset(SSL_new(ctx_.get()));
    if (!ssl_) return false;
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = BIO_new(BIO_s_mem());
    if (in == nullptr || out == nullptr) {
      BIO_free(in);
      BIO_free(out);
      return false;
    }
    SSL_set_bio(ssl_.get(), in, out);  // the SSL owns both from here
    in_ = in;
    out_ = out;
    SSL_set_connect_state(ssl_.get());
    // Every problem of the chain is collected rather than fatal, so that the check after the
    // handshake can name the most important one, or accept a pinned certificate.
    SSL_set_app_data(ssl_.get(), this);
    SSL_set_verify(ssl_.get(), SSL_VERIFY_NONE, &OpenSslChannel::VerifyCallback);
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl_.get());
    if (IsAddressLiteral(target_.host)) {
      // No server name for an address: the standard allows host names only.
      if (X509_VERIFY_PARAM_set1_ip_asc(param, target_.host.c_str()) != 1) nameUnusable_ = true;
    } else {
      SSL_set_tlsext_host_name(ssl_.get(), target_.host.c_str());
      X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
      if (X509_VERIFY_PARAM_set1_host(param, target_.host.c_str(), 0) != 1) nameUnusable_ = true;
    }
    return true;
  }

  TlsFailure Begin(std::string& out) override {
    int r = SSL_do_handshake(ssl_.get());
    Drain(out);
    if (r != 1 && SSL_get_error(ssl_.get(), r) != SSL_ERROR_WANT_READ) {
      ERR_clear_error();
      return TlsFailure::kHandshake;
    }
    return TlsFailure::kNone;
  }

  Progress Feed(std::string_view in, std::string& out, std::string& plain) override {
    Progress progress;
    if (!in.empty() && BIO_write(in_, in.data(), static_cast<int>(in.size())) <= 0) {
      progress.failure = TlsFailure::kTransfer;
      return progress;
    }
    if (!secured_) {
      int r = SSL_do_handshake(ssl_.get());
      Drain(out);
      if (r != 1) {
        int error = SSL_get_error(ssl_.get(), r);
        ERR_clear_error();
        if (error != SSL_ERROR_WANT_READ) progress.failure = TlsFailure::kHandshake;
        return progress;
      }
      progress.failure = CheckCertificate();
      if (progress.failure != TlsFailure::kNone) return progress;
      secured_ = true;
      progress.secured = true;
    }
    char buffer[16384];
    while (true) {
      int got = SSL_read(ssl_.get(), buffer, sizeof buffer);
      if (got > 0) {
        plain.append(buffer, static_cast<size_t>(got));
        continue;
      }
      int error = SSL_get_error(ssl_.get(), got);
      ERR_clear_error();
      if (error == SSL_ERROR_ZERO_RETURN) progress.closed = true;
      if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_ZERO_RETURN) {
        progress.failure = TlsFailure::kTransfer;
      }
      break;
    }
    Drain(out);  // session tickets and key updates may want an answer
    return progress;
  }

  bool Encrypt(std::string_view plain, std::string& out) override {
    while (!plain.empty()) {
      int wrote = SSL_write(ssl_.get(), plain.data(), static_cast<int>(plain.size()));
      if (wrote <= 0) {
        ERR_clear_error();
        return false;
      }
      plain.remove_prefix(static_cast<size_t>(wrote));
    }
    Drain(out);
    return true;
  }

  void Shutdown(std::string& out) override {
    SSL_shutdown(ssl_.get());
    ERR_clear_error();
    Drain(out);
  }

 private:
  static int VerifyCallback(int ok, X509_STORE_CTX* store) {
    auto* ssl =
        static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* self = ssl ? static_cast<OpenSslChannel*>(SSL_get_app_data(ssl)) : nullptr;
    if (!ok && self != nullptr) {
      switch (X509_STORE_CTX_get_error(store)) {
        case X509_V_ERR_CERT_HAS_EXPIRED:
        case X509_V_ERR_CERT_NOT_YET_VALID:
          self->expired_ = true;
          break;
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
          self->nameMismatch_ = true;
          break;
        default:
          self->untrusted_ = true;
          break;
      }
    }
    return 1;
  }

  TlsFailure CheckCertificate() {
    std::unique_ptr<X509, X509Free> cert(SSL_get1_peer_certificate(ssl_.get()));
    if (!cert) return TlsFailure::kHandshake;
    if (target_.pin) {
      Sha256 digest{};
      unsigned int length = 0;
      if (X509_digest(cert.get(), EVP_sha256(), digest.data(), &length) != 1 ||
          length != digest.size() || digest != *target_.pin) {
        return TlsFailure::kFingerprint;
      }
      return TlsFailure::kNone;
    }
    // The callback saw each problem; a result other than OK that it did not see counts too.
    if (SSL_get_verify_result(ssl_.get()) != X509_V_OK && !expired_ && !nameMismatch_) {
      untrusted_ = true;
    }
    return FirstCertificateFailure(untrusted_, expired_, nameMismatch_ || nameUnusable_);
  }

  void Drain(std::string& out) {
    char buffer[16384];
    int got;
    while ((got = BIO_read(out_, buffer, sizeof buffer)) > 0) {
      out.append(buffer, static_cast<size_t>(got));
    }
  }

  TlsTarget target_;
  std::unique_ptr<SSL_CTX, SslCtxFree> ctx_;
  std::unique_ptr<SSL, SslFree> ssl_;
  BIO* in_ = nullptr;   // owned by ssl_
  BIO* out_ = nullptr;  // owned by ssl_
  bool secured_ = false;
  bool untrusted_ = false;
  bool expired_ = false;
  bool nameMismatch_ = false;
  bool nameUnusable_ = false;
};

}  // namespace

std::unique_ptr<TlsChannel> MakeTlsChannel(const TlsTarget& target, TlsFailure& failure) {
  auto channel = std::make_unique<OpenSslChannel>(target);
  if (!channel->Init()) {
    ERR_clear_error();
    failure = TlsFailure::kUnavailable;
    return nullptr;
  }
  failure = TlsFailure::kNone;
  return channel;
}

}  // namespace postwink
