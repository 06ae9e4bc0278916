#include "core/check/connection_steps.h"

#include "core/net/net_address.h"
#include "core/net/tls_channel.h"
#include "core/pop3/pop3_texts.h"

namespace postwink {

OpenResult OpenAccountConnection(Transport& transport, Account& account,
                                 const SecuritySetting& security, TlsTarget& target) {
  if (account.cachedAddresses.empty()) {
    ResolveResult resolved = transport.ResolveHost(account.server.value_or(""));
    account.cachedAddresses = resolved.addresses;
    if (resolved.addresses.empty()) return {kNoSocket, resolved.error};
  }
  target.host = ServerHostName(account.server.value_or(""));
  target.pin = security.pin;
  return transport.OpenConnection(account.cachedAddresses[0], account.port);
}

std::string StartTlsWhenConnected(Transport& transport, SocketHandle socket, SecurityMode mode,
                                  const TlsTarget& target) {
  if (mode != SecurityMode::kTls) return {};
  TlsFailure failure = transport.StartTls(socket, target);
  return failure == TlsFailure::kNone ? std::string() : TlsFailureText(failure);
}

std::string AfterReceive(Transport& transport, SocketHandle socket, ReceiveStatus status,
                         bool& startTlsDue, const TlsTarget& target,
                         const std::function<bool()>& secured, bool& ended) {
  if (status == ReceiveStatus::kOutOfMemory) return texts::kOutOfMemory;
  if (status == ReceiveStatus::kTlsFailed) return TlsFailureText(transport.LastTlsFailure());
  if (status == ReceiveStatus::kSecured && !secured()) {
    ended = true;
    return {};
  }
  if (startTlsDue) {
    startTlsDue = false;
    TlsFailure failure = transport.StartTls(socket, target);
    if (failure != TlsFailure::kNone) return TlsFailureText(failure);
  }
  return {};
}

}  // namespace postwink
