#include "core/net/tls_channel.h"

#include "core/check/check_texts.h"
#include "core/net/net_texts.h"

namespace postwink {

const char* TlsFailureText(TlsFailure failure) {
  switch (failure) {
    case TlsFailure::kNone:
      return "";
    case TlsFailure::kUnavailable:
      return texts::kTlsUnavailable;
    case TlsFailure::kNotTls:
      return texts::kTlsNotTls;
    case TlsFailure::kHandshake:
      return texts::kTlsHandshakeFailed;
    case TlsFailure::kUntrusted:
      return texts::kCertUntrusted;
    case TlsFailure::kExpired:
      return texts::kCertExpired;
    case TlsFailure::kNameMismatch:
      return texts::kCertNameMismatch;
    case TlsFailure::kFingerprint:
      return texts::kCertFingerprint;
    case TlsFailure::kTransfer:
      return texts::kTransferError;
    case TlsFailure::kRenegotiation:
      return texts::kTlsRenegotiation;
  }
  return texts::kTlsHandshakeFailed;
}

TlsFailure FirstCertificateFailure(bool untrusted, bool expired, bool nameMismatch) {
  if (untrusted) return TlsFailure::kUntrusted;
  if (expired) return TlsFailure::kExpired;
  if (nameMismatch) return TlsFailure::kNameMismatch;
  return TlsFailure::kNone;
}

}  // namespace postwink
