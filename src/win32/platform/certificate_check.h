#pragma once
// The check every server certificate passes, whether the mail connection's SChannel or WinHTTP
// brought it: the system's chain engine decides, the same way on Windows and under Wine (whose
// own checks in both libraries check nothing), so both libraries have theirs switched off.

#include "core/net/tls_channel.h"
// Not windows_headers.h: its WinINet header and WinHTTP's cannot meet in one file.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <wincrypt.h>
// clang-format on

namespace postwink::win {

// The chain must end in a trusted root, be in its validity period, and name the server (a host
// name through the SSL policy, an address against the certificate's IP addresses); or, when a
// fingerprint is pinned, the certificate must be exactly that one.
TlsFailure CheckServerCertificate(const CERT_CONTEXT* cert, const TlsTarget& target);

}  // namespace postwink::win
