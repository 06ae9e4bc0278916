#pragma once
// SChannel's channel as the Winsock transport makes it. Building the certificate chain may fetch
// over the network (authority information, revocation), so the check runs on a thread of its own
// and the channel waits, its handshake done, until that thread says it has ended.

#include <functional>
#include <memory>

#include "core/net/tls_channel.h"
#include "win32/platform/certificate_check.h"
#include "win32/platform/windows_headers.h"
// clang-format off
#include <wincrypt.h>
// clang-format on

namespace postwink::win {

// Checks the server's certificate against what the target asks of it. Tests put a held check in
// its place.
using CertificateCheck =
    std::function<TlsFailure(const CERT_CONTEXT* certificate, const TlsTarget& target)>;

// A channel whose certificate check runs through check on a thread of its own, which calls
// checked when it has ended; the channel's next Feed (with nothing new, if need be) takes the
// outcome. Null with failure set when no channel can be made.
std::unique_ptr<TlsChannel> MakeSchannelChannel(const TlsTarget& target, CertificateCheck check,
                                                std::function<void()> checked, TlsFailure& failure);

}  // namespace postwink::win
