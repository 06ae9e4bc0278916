#pragma once
// The transport steps a connection of its own (a push connection, an attachment fetch) takes
// around its session's lines, the same for each: TLS from the start once connected, and after a
// read the transport's failures, a finished handshake and a STARTTLS the session asked for.

#include <functional>
#include <string>

#include "core/config/account.h"
#include "core/net/security_setting.h"
#include "core/pop3/transport.h"

namespace postwink {

// Opens the account's connection to its first address, looked up once and kept in the account;
// sets target for the TLS to come. The failure text is in the result when nothing opened.
OpenResult OpenAccountConnection(Transport& transport, Account& account,
                                 const SecuritySetting& security, TlsTarget& target);

// The failure text when TLS from the start could not begin; empty when it began or is not due.
std::string StartTlsWhenConnected(Transport& transport, SocketHandle socket, SecurityMode mode,
                                  const TlsTarget& target);

// After ReceiveLines: the failure text, empty when the connection goes on. secured runs when the
// handshake finished during the read and answers whether the connection goes on; when it does
// not, ended is set (the connection has dealt with its end itself).
std::string AfterReceive(Transport& transport, SocketHandle socket, ReceiveStatus status,
                         bool& startTlsDue, const TlsTarget& target,
                         const std::function<bool()>& secured, bool& ended);

}  // namespace postwink
