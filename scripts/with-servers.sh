#!/usr/bin/env bash
# Runs CMD with two POP3 servers on loopback: a private Dovecot (temporary folder, plain
# passwords, a USER/PASS user and an APOP user; IMAP too, for a user of its own with a folder
# "Lists" beside INBOX) and the scripted fault server of the test suite.
# Their ports and users are exported as POSTWINK_* variables; both are stopped by process id when
# CMD ends.
#
# Dovecot requires TLS (ssl = required) except from 127.0.0.1, which it counts as secure, so the
# plain tests run there as before. The TLS tests reach it on other loopback addresses, with
# certificates of a test authority made for the run (scripts/make-test-pki.sh): 127.0.0.2 (and ::1,
# and localhost) with a valid certificate, 127.0.0.3 with a self-signed one, 127.0.0.4 with the
# valid certificate of another name, 127.0.0.5 with an expired one; on a port with STLS and on a
# POP3S port.
# Beside them: a local OAuth 2.0 authorization server (tests/integration/oauth_server.py) and a
# second Dovecot whose passdb oauth2 checks its tokens (POP3S and IMAPS on 127.0.0.2).
#   scripts/with-servers.sh CMD [ARGS...]
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 CMD [ARGS...]" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

run=$(mktemp -d "${TMPDIR:-/tmp}/postwink-servers.XXXXXX")
chmod 755 "$run"
dovecot_pid=""
oauth_dovecot_pid=""
oauth_server_pid=""
fault_pid=""
imap_fault_pid=""
cleanup() {
  if [ -n "$fault_pid" ] && kill -0 "$fault_pid" 2>/dev/null; then kill "$fault_pid" 2>/dev/null || true; fi
  if [ -n "$imap_fault_pid" ] && kill -0 "$imap_fault_pid" 2>/dev/null; then
    kill "$imap_fault_pid" 2>/dev/null || true
  fi
  for pid in "$dovecot_pid" "$oauth_dovecot_pid"; do
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      kill -TERM "$pid" 2>/dev/null || true
      for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -0 "$pid" 2>/dev/null && kill -KILL "$pid" 2>/dev/null || true
    fi
  done
  if [ -n "$oauth_server_pid" ] && kill -0 "$oauth_server_pid" 2>/dev/null; then
    kill "$oauth_server_pid" 2>/dev/null || true
    wait "$oauth_server_pid" 2>/dev/null || true
  fi
  [ -n "$fault_pid" ] && wait "$fault_pid" 2>/dev/null || true
  [ -n "$imap_fault_pid" ] && wait "$imap_fault_pid" 2>/dev/null || true
  rm -rf "$run"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

user=tuser
pass=tpass
apop_user=auser
apop_pass=apass
imap_user=iuser
imap_pass=ipass

# --- Dovecot ---------------------------------------------------------------------------------
if command -v dovecot >/dev/null; then
  dport=$(free_port)
  mkdir -p "$run/base" "$run/state" "$run/mail"
  if [ "$(id -u)" -eq 0 ]; then
    login_user=dovenull internal_user=dovecot mail_uid=dovecot mail_gid=dovecot
  else
    login_user=$(id -un) internal_user=$(id -un) mail_uid=$(id -u) mail_gid=$(id -g)
  fi
  tport=$(free_port)
  sport=$(free_port)
  "$root/scripts/make-test-pki.sh" "$run/pki"
  tls_addresses="127.0.0.1, 127.0.0.2, 127.0.0.3, 127.0.0.4, 127.0.0.5"
  ipv6=0
  if python3 -c 'import socket; socket.socket(socket.AF_INET6).bind(("::1", 0))' 2>/dev/null; then
    tls_addresses="$tls_addresses, ::1"
    ipv6=1
  fi
  iport=$(free_port)
  isport=$(free_port)
  printf '%s:{PLAIN}%s\n%s:{PLAIN}%s\n%s:{PLAIN}%s\n' "$user" "$pass" "$apop_user" "$apop_pass" \
    "$imap_user" "$imap_pass" >"$run/passwd"
  for u in "$user" "$apop_user" "$imap_user"; do
    mkdir -p "$run/mail/$u/Maildir/new" "$run/mail/$u/Maildir/cur" "$run/mail/$u/Maildir/tmp"
  done
  # Maildir++: the folder "Lists" is the directory ".Lists".
  mkdir -p "$run/mail/$imap_user/Maildir/.Lists/"{new,cur,tmp}
  if [ "$(id -u)" -eq 0 ]; then
    chown root:dovecot "$run/passwd"
    chmod 640 "$run/passwd"
    chown -R dovecot:dovecot "$run/mail"
  fi
  # Messages are put into the Maildirs by the tests as well.
  chmod -R a+rwX "$run/mail"
  cat >"$run/dovecot.conf" <<CONF
protocols = pop3 imap
listen = 127.0.0.1
base_dir = $run/base
state_dir = $run/state
instance_name = postwink-test
log_path = $run/dovecot.log
info_log_path = $run/dovecot.log
ssl = required
ssl_cert = <$run/pki/server.pem
ssl_key = <$run/pki/server.key
ssl_min_protocol = TLSv1.2
local 127.0.0.3 {
  ssl_cert = <$run/pki/self.pem
  ssl_key = <$run/pki/self.key
}
local 127.0.0.5 {
  ssl_cert = <$run/pki/expired.pem
  ssl_key = <$run/pki/expired.key
}
disable_plaintext_auth = yes
auth_verbose = yes
auth_mechanisms = plain apop
default_login_user = $login_user
default_internal_user = $internal_user
first_valid_uid = 0
mail_location = maildir:$run/mail/%u/Maildir
pop3_uidl_format = %08Xu%08Xv
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $run/passwd
}
userdb {
  driver = static
  args = uid=$mail_uid gid=$mail_gid home=$run/mail/%u
}
service pop3-login {
  chroot =
  inet_listener pop3 {
    address = 127.0.0.1
    port = $dport
  }
  inet_listener pop3tls {
    address = $tls_addresses
    port = $tport
  }
  inet_listener pop3s {
    address = $tls_addresses
    port = $sport
    ssl = yes
  }
}
service anvil {
  chroot =
}
service imap-login {
  chroot =
  inet_listener imap {
    address = 127.0.0.1
    port = $iport
  }
  inet_listener imaps {
    address = $tls_addresses
    port = $isport
    ssl = yes
  }
}
CONF
  dovecot -c "$run/dovecot.conf"
  for _ in $(seq 1 100); do
    if [ -s "$run/base/master.pid" ] && (exec 3<>"/dev/tcp/127.0.0.1/$dport") 2>/dev/null; then
      dovecot_pid=$(cat "$run/base/master.pid")
      break
    fi
    sleep 0.1
  done
  if [ -z "$dovecot_pid" ]; then
    echo "with-servers: Dovecot did not come up; its log:" >&2
    cat "$run/dovecot.log" >&2 || true
    exit 1
  fi
  export POSTWINK_DOVECOT_PORT=$dport
  export POSTWINK_DOVECOT_USER=$user POSTWINK_DOVECOT_PASS=$pass
  export POSTWINK_DOVECOT_APOP_USER=$apop_user POSTWINK_DOVECOT_APOP_PASS=$apop_pass
  export POSTWINK_DOVECOT_MAIL=$run/mail
  export POSTWINK_IMAP_PORT=$iport POSTWINK_IMAPS_PORT=$isport
  export POSTWINK_IMAP_USER=$imap_user POSTWINK_IMAP_PASS=$imap_pass
  export POSTWINK_DOVECOT_LOG=$run/dovecot.log
  export POSTWINK_TLS_PORT=$tport POSTWINK_TLS_POP3S_PORT=$sport POSTWINK_TLS_CA=$run/pki/ca.pem
  POSTWINK_TLS_SELF_SIGNED_SHA256=$(cat "$run/pki/self.sha256")
  export POSTWINK_TLS_SELF_SIGNED_SHA256 POSTWINK_TLS_IPV6=$ipv6
  echo "with-servers: Dovecot pid $dovecot_pid on 127.0.0.1:$dport"
else
  echo "with-servers: dovecot not installed (scripts/setup.sh); Dovecot tests will skip" >&2
fi

# --- OAuth 2.0: a local authorization server and a Dovecot that takes only its tokens ---------
# A Dovecot instance of its own (passdb oauth2, token introspection against the authorization
# server), so that its failed sign-ins delay none of the other tests; its failure penalty is off.
if [ -n "$dovecot_pid" ]; then
  oport=$(free_port)
  oplain=$(free_port)
  python3 "$root/tests/integration/oauth_server.py" --port "$oport" --plain-port "$oplain" \
    --cert "$run/pki/server.pem" --key "$run/pki/server.key" \
    --lifetime "${POSTWINK_FAULT_LIFETIME:-900}" >"$run/oauth-server.log" 2>&1 &
  oauth_server_pid=$!
  opop3s=$(free_port)
  oimaps=$(free_port)
  oauth_user=ouser
  mkdir -p "$run/obase" "$run/ostate" "$run/mail/$oauth_user/Maildir/"{new,cur,tmp}
  chmod -R a+rwX "$run/mail/$oauth_user"
  [ "$(id -u)" -eq 0 ] && chown -R dovecot:dovecot "$run/mail/$oauth_user"
  cat >"$run/dovecot-oauth2.conf.ext" <<CONF
introspection_mode = post
introspection_url = http://127.0.0.1:$oplain/introspect
force_introspection = yes
username_attribute = username
active_attribute = active
active_value = true
CONF
  cat >"$run/dovecot-oauth.conf" <<CONF
protocols = pop3 imap
listen = 127.0.0.2
base_dir = $run/obase
state_dir = $run/ostate
instance_name = postwink-oauth
log_path = $run/dovecot-oauth.log
info_log_path = $run/dovecot-oauth.log
ssl = required
ssl_cert = <$run/pki/server.pem
ssl_key = <$run/pki/server.key
ssl_min_protocol = TLSv1.2
disable_plaintext_auth = yes
auth_verbose = yes
auth_mechanisms = xoauth2 oauthbearer
auth_failure_delay = 0
default_login_user = $login_user
default_internal_user = $internal_user
first_valid_uid = 0
mail_location = maildir:$run/mail/%u/Maildir
pop3_uidl_format = %08Xu%08Xv
passdb {
  driver = oauth2
  mechanisms = xoauth2 oauthbearer
  args = $run/dovecot-oauth2.conf.ext
}
userdb {
  driver = static
  args = uid=$mail_uid gid=$mail_gid home=$run/mail/%u
}
service pop3-login {
  chroot =
  inet_listener pop3 {
    port = 0
  }
  inet_listener pop3s {
    address = 127.0.0.2
    port = $opop3s
    ssl = yes
  }
}
service imap-login {
  chroot =
  inet_listener imap {
    port = 0
  }
  inet_listener imaps {
    address = 127.0.0.2
    port = $oimaps
    ssl = yes
  }
}
service anvil {
  chroot =
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
CONF
  dovecot -c "$run/dovecot-oauth.conf"
  for _ in $(seq 1 100); do
    if [ -s "$run/obase/master.pid" ] && (exec 3<>"/dev/tcp/127.0.0.2/$opop3s") 2>/dev/null &&
      (exec 3<>"/dev/tcp/127.0.0.1/$oplain") 2>/dev/null; then
      oauth_dovecot_pid=$(cat "$run/obase/master.pid")
      break
    fi
    sleep 0.1
  done
  if [ -z "$oauth_dovecot_pid" ]; then
    echo "with-servers: the OAuth Dovecot or the authorization server did not come up:" >&2
    cat "$run/dovecot-oauth.log" "$run/oauth-server.log" >&2 || true
    exit 1
  fi
  export POSTWINK_OAUTH_POP3S_PORT=$opop3s POSTWINK_OAUTH_IMAPS_PORT=$oimaps
  export POSTWINK_OAUTH_USER=$oauth_user POSTWINK_OAUTH_CLIENT_ID=postwink-test
  export POSTWINK_OAUTH_URL=https://127.0.0.2:$oport POSTWINK_OAUTH_CONTROL=http://127.0.0.1:$oplain
  export POSTWINK_OAUTH_DOVECOT_LOG=$run/dovecot-oauth.log
  echo "with-servers: authorization server pid $oauth_server_pid on 127.0.0.2:$oport, OAuth Dovecot pid $oauth_dovecot_pid"
fi

# --- fault server ----------------------------------------------------------------------------
fport=$(free_port)
cport=$(free_port)
fault_tls=()
# With the test authority's self-signed certificate the fault server can answer STLS.
[ -f "$run/pki/self.pem" ] && fault_tls=(--cert "$run/pki/self.pem" --key "$run/pki/self.key")
python3 "$root/tests/integration/fault_server.py" --port "$fport" --control-port "$cport" \
  --lifetime "${POSTWINK_FAULT_LIFETIME:-900}" "${fault_tls[@]}" >"$run/fault.log" 2>&1 &
fault_pid=$!
for _ in $(seq 1 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$cport") 2>/dev/null && break
  sleep 0.1
done
export POSTWINK_FAULT_PORT=$fport POSTWINK_FAULT_CONTROL_PORT=$cport
echo "with-servers: fault server pid $fault_pid on 127.0.0.1:$fport (control $cport)"

ifport=$(free_port)
icport=$(free_port)
python3 "$root/tests/integration/imap_fault_server.py" --port "$ifport" --control-port "$icport" \
  --lifetime "${POSTWINK_FAULT_LIFETIME:-900}" >"$run/imap-fault.log" 2>&1 &
imap_fault_pid=$!
for _ in $(seq 1 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$icport") 2>/dev/null && break
  sleep 0.1
done
export POSTWINK_IMAP_FAULT_PORT=$ifport POSTWINK_IMAP_FAULT_CONTROL_PORT=$icport
echo "with-servers: IMAP fault server pid $imap_fault_pid on 127.0.0.1:$ifport (control $icport)"

status=0
"$@" || status=$?
if [ $status -ne 0 ]; then
  echo "with-servers: $1 failed ($status); fault server log:" >&2
  tail -n 30 "$run/fault.log" >&2 || true
fi
exit $status
