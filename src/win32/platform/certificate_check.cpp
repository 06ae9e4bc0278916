// Before any Windows header: the chain parameters' time-out for fetching is one of these fields.
#define CERT_CHAIN_PARA_HAS_EXTRA_FIELDS
#include "win32/platform/certificate_check.h"

// clang-format off
#include "win32/platform/windows_headers.h"
#include <ws2tcpip.h>
// clang-format on

#include <cstring>
#include <memory>
#include <string>

#include "core/net/net_address.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

// How long the chain engine may wait for each authority's certificate or revocation list it
// fetches; the check's own time-out bounds the connection as a whole.
constexpr DWORD kUrlRetrievalMs = 15000;

struct ChainFree {
  void operator()(const CERT_CHAIN_CONTEXT* c) const { CertFreeCertificateChain(c); }
};
using ChainPtr = std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFree>;

// Whether the certificate lists the address among its IP-address alternative names.
bool CertificateNamesAddress(const CERT_CONTEXT* cert, const std::wstring& host) {
  unsigned char address[16];
  DWORD size = 0;
  if (InetPtonW(AF_INET, host.c_str(), address) == 1) {
    size = 4;
  } else if (InetPtonW(AF_INET6, host.c_str(), address) == 1) {
    size = 16;
  } else {
    return false;
  }
  const CERT_INFO* info = cert->pCertInfo;
  const CERT_EXTENSION* ext =
      CertFindExtension(szOID_SUBJECT_ALT_NAME2, info->cExtension, info->rgExtension);
  if (ext == nullptr) return false;
  CERT_ALT_NAME_INFO* names = nullptr;
  DWORD length = 0;
  if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, ext->Value.pbData,
                           ext->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names, &length)) {
    return false;
  }
  bool found = false;
  for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
    const CERT_ALT_NAME_ENTRY& e = names->rgAltEntry[i];
    found = e.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS && e.IPAddress.cbData == size &&
            memcmp(e.IPAddress.pbData, address, size) == 0;
  }
  LocalFree(names);
  return found;
}

}  // namespace

TlsFailure CheckServerCertificate(const CERT_CONTEXT* cert, const TlsTarget& target) {
  std::wstring host = Widen(target.host);
  if (target.pin) {
    // The stored hash property is missing under Wine: hash the certificate itself.
    Sha256 digest{};
    DWORD length = digest.size();
    if (!CryptHashCertificate2(L"SHA256", 0, nullptr, cert->pbCertEncoded, cert->cbCertEncoded,
                               digest.data(), &length) ||
        length != digest.size() || digest != *target.pin) {
      return TlsFailure::kFingerprint;
    }
    return TlsFailure::kNone;
  }
  LPSTR usage = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
  CERT_CHAIN_PARA para{};
  para.cbSize = sizeof para;
  para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  para.RequestedUsage.Usage.cUsageIdentifier = 1;
  para.RequestedUsage.Usage.rgpszUsageIdentifier = &usage;
  para.dwUrlRetrievalTimeout = kUrlRetrievalMs;
  const CERT_CHAIN_CONTEXT* built = nullptr;
  if (!CertGetCertificateChain(nullptr, cert, nullptr, cert->hCertStore, &para, 0, nullptr,
                               &built)) {
    return TlsFailure::kUntrusted;
  }
  ChainPtr chain(built);
  constexpr DWORD kTimeErrors = CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_NOT_TIME_NESTED |
                                CERT_TRUST_CTL_IS_NOT_TIME_VALID;
  // The SSL policy lets a partial chain (a server that sends only its own certificate, from
  // an unknown authority) pass under Wine: the chain's own status decides trust.
  DWORD errors = chain->TrustStatus.dwErrorStatus;
  bool expired = (errors & kTimeErrors) != 0;
  bool untrusted = (errors & ~kTimeErrors) != 0;
  bool nameMismatch;
  if (IsAddressLiteral(target.host)) {
    // The policy matches host names only.
    nameMismatch = !CertificateNamesAddress(cert, host);
  } else {
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.fdwChecks = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_WRONG_USAGE |
                    SECURITY_FLAG_IGNORE_CERT_DATE_INVALID | SECURITY_FLAG_IGNORE_REVOCATION;
    ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &status)) {
      return TlsFailure::kUntrusted;
    }
    nameMismatch = status.dwError == static_cast<DWORD>(CERT_E_CN_NO_MATCH);
    untrusted = untrusted || (status.dwError != 0 && !nameMismatch);
  }
  return FirstCertificateFailure(untrusted, expired, nameMismatch);
}

}  // namespace postwink::win
