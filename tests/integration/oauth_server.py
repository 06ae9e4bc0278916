#!/usr/bin/env python3
"""A small OAuth 2.0 authorization server for the tests, on loopback.

HTTPS (the test authority's certificate) on 127.0.0.2 for what the client calls: the
authorization endpoint (PKCE S256 required, consent given or refused), the token endpoint
(authorization code, refresh token and device code grants), the device authorization endpoint
and revocation. Plain HTTP on 127.0.0.1 for Dovecot's token introspection (passdb oauth2,
introspection_mode = post), for the device verification page and for the tests' control:

  POST /control  mode=<token endpoint behaviour>  consent=allow|deny  redirect=normal|nocode|stale
                 issue=<user> (answers a fresh access token)  revoke=<user>  reset=1
                 approve=<user code>&user=<user> (the device grant's consent)
  GET  /state    what the server has seen, as JSON

Token endpoint modes: normal, malformed (not JSON), huge (a body of several megabytes), slow
(answers after --slow seconds), error500.
"""

import argparse
import base64
import hashlib
import json
import secrets
import ssl
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LOCK = threading.Lock()
STATE = {
    "mode": "normal",
    "consent": "allow",
    "redirect": "normal",
    "codes": {},  # code -> {challenge, redirect_uri, user, client}
    "access": {},  # token -> user
    "refresh": {},  # token -> user
    "device": {},  # device_code -> {user_code, approved, user}
    "introspected": [],
    "token_requests": [],
}
ARGS = None


def challenge_of(verifier):
    digest = hashlib.sha256(verifier.encode()).digest()
    return base64.urlsafe_b64encode(digest).rstrip(b"=").decode()


def issue(user):
    access = "at-" + secrets.token_urlsafe(24)
    refresh = "rt-" + secrets.token_urlsafe(24)
    STATE["access"][access] = user
    STATE["refresh"][refresh] = user
    return {"access_token": access, "token_type": "Bearer", "expires_in": 3600,
            "refresh_token": refresh, "scope": "mail"}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        pass

    def form(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length).decode()
        return {k: v[0] for k, v in urllib.parse.parse_qs(body, keep_blank_values=True).items()}

    def send(self, status, body, content_type="application/json", headers=None):
        data = body if isinstance(body, bytes) else body.encode()
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Cache-Control", "no-store")
        for k, v in (headers or {}).items():
            self.send_header(k, v)
        self.end_headers()
        self.wfile.write(data)

    def json(self, status, obj):
        self.send(status, json.dumps(obj))

    # --- the client's side (HTTPS) ---------------------------------------------------------
    def authorize(self, query):
        q = {k: v[0] for k, v in urllib.parse.parse_qs(query).items()}
        redirect = q.get("redirect_uri", "")
        host = urllib.parse.urlparse(redirect).hostname
        if (q.get("client_id") != ARGS.client_id or q.get("response_type") != "code"
                or q.get("code_challenge_method") != "S256" or not q.get("code_challenge")
                or host not in ("127.0.0.1", "::1", "localhost")):
            return self.send(400, "bad authorization request", "text/plain")
        with LOCK:
            consent, how = STATE["consent"], STATE["redirect"]
        state = q.get("state", "")
        if how == "stale":
            state = "an-older-state"
        if consent == "deny":
            params = {"error": "access_denied", "error_description": "The user refused consent",
                      "state": state}
        elif how == "nocode":
            params = {"state": state}
        else:
            code = secrets.token_urlsafe(16)
            with LOCK:
                STATE["codes"][code] = {"challenge": q["code_challenge"], "redirect_uri": redirect,
                                        "user": q.get("login_hint", "")}
            params = {"code": code, "state": state}
        location = redirect + "?" + urllib.parse.urlencode(params)
        self.send(302, "", "text/plain", {"Location": location})

    def token(self):
        f = self.form()
        with LOCK:
            mode = STATE["mode"]
            STATE["token_requests"].append(f.get("grant_type", ""))
        if mode == "malformed":
            return self.send(200, '{"access_token": "x", "expires_in": 3600,')
        if mode == "huge":
            return self.send(200, b'{"access_token":"' + b"a" * (8 << 20) + b'"}')
        if mode == "slow":
            time.sleep(ARGS.slow)
            return self.json(200, {"access_token": "late"})
        if mode == "error500":
            return self.send(500, "<html>Internal Server Error</html>", "text/html")
        if f.get("client_id") != ARGS.client_id:
            return self.json(401, {"error": "invalid_client"})
        grant = f.get("grant_type")
        with LOCK:
            if grant == "authorization_code":
                entry = STATE["codes"].pop(f.get("code", ""), None)
                if (entry is None or entry["redirect_uri"] != f.get("redirect_uri")
                        or challenge_of(f.get("code_verifier", "")) != entry["challenge"]):
                    return self.json(400, {"error": "invalid_grant",
                                           "error_description": "bad code or verifier"})
                return self.json(200, issue(entry["user"]))
            if grant == "refresh_token":
                user = STATE["refresh"].pop(f.get("refresh_token", ""), None)
                if user is None:
                    return self.json(400, {"error": "invalid_grant",
                                           "error_description": "refresh token revoked"})
                return self.json(200, issue(user))
            if grant == "urn:ietf:params:oauth:grant-type:device_code":
                entry = STATE["device"].get(f.get("device_code", ""))
                if entry is None:
                    return self.json(400, {"error": "expired_token"})
                if not entry["approved"]:
                    return self.json(400, {"error": "authorization_pending"})
                del STATE["device"][f["device_code"]]
                return self.json(200, issue(entry["user"]))
        return self.json(400, {"error": "unsupported_grant_type"})

    def device(self):
        f = self.form()
        if f.get("client_id") != ARGS.client_id:
            return self.json(401, {"error": "invalid_client"})
        code = secrets.token_urlsafe(16)
        user_code = secrets.token_hex(3).upper()
        with LOCK:
            STATE["device"][code] = {"user_code": user_code, "approved": False, "user": ""}
        self.json(200, {"device_code": code, "user_code": user_code,
                        "verification_uri": "http://127.0.0.1:%d/device" % ARGS.plain_port,
                        "expires_in": 60, "interval": 0})

    def revoke(self):
        token = self.form().get("token", "")
        with LOCK:
            STATE["refresh"].pop(token, None)
            STATE["access"].pop(token, None)
        self.send(200, "")

    # --- Dovecot's and the tests' side (plain HTTP) ---------------------------------------
    def introspect(self):
        token = self.form().get("token", "")
        with LOCK:
            user = STATE["access"].get(token)
            STATE["introspected"].append(token)
        if user is None:
            return self.json(200, {"active": False})
        self.json(200, {"active": "true", "username": user})

    def control(self):
        f = self.form()
        answer = {}
        with LOCK:
            if f.get("reset"):
                STATE.update(mode="normal", consent="allow", redirect="normal")
            for key in ("mode", "consent", "redirect"):
                if key in f:
                    STATE[key] = f[key]
            if "issue" in f:
                answer = issue(f["issue"])
            if "approve" in f:
                for entry in STATE["device"].values():
                    if entry["user_code"] == f["approve"]:
                        entry["approved"] = True
                        entry["user"] = f.get("user", "")
                        answer = {"approved": True}
            if "revoke" in f:
                for table in ("refresh", "access"):
                    for token in [t for t, u in STATE[table].items() if u == f["revoke"]]:
                        del STATE[table][token]
        self.json(200, answer)

    def do_GET(self):
        path, _, query = self.path.partition("?")
        if self.server.secure and path == "/authorize":
            return self.authorize(query)
        if not self.server.secure and path == "/device":
            q = {k: v[0] for k, v in urllib.parse.parse_qs(query).items()}
            with LOCK:
                for entry in STATE["device"].values():
                    if entry["user_code"] == q.get("user_code"):
                        entry["approved"] = True
                        entry["user"] = q.get("user", "")
                        return self.send(200, "approved", "text/plain")
            return self.send(404, "no such code", "text/plain")
        if not self.server.secure and path == "/state":
            with LOCK:
                return self.json(200, {"introspected": STATE["introspected"],
                                       "token_requests": STATE["token_requests"],
                                       "refresh_tokens": len(STATE["refresh"])})
        self.send(404, "not found", "text/plain")

    def do_POST(self):
        routes = {"/token": self.token, "/device": self.device, "/revoke": self.revoke} \
            if self.server.secure else {"/introspect": self.introspect, "/control": self.control}
        handler = routes.get(self.path.partition("?")[0])
        if handler is None:
            return self.send(404, "not found", "text/plain")
        handler()


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, secure):
        super().__init__(address, Handler)
        self.secure = secure


def main():
    global ARGS
    p = argparse.ArgumentParser()
    p.add_argument("--port", type=int, required=True)
    p.add_argument("--plain-port", type=int, required=True)
    p.add_argument("--cert", required=True)
    p.add_argument("--key", required=True)
    p.add_argument("--client-id", default="postwink-test")
    p.add_argument("--slow", type=float, default=8.0)
    p.add_argument("--lifetime", type=float, default=900)
    ARGS = p.parse_args()
    secure = Server(("127.0.0.2", ARGS.port), True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(ARGS.cert, ARGS.key)
    secure.socket = context.wrap_socket(secure.socket, server_side=True)
    plain = Server(("127.0.0.1", ARGS.plain_port), False)
    for server in (secure, plain):
        threading.Thread(target=server.serve_forever, daemon=True).start()
    time.sleep(ARGS.lifetime)


if __name__ == "__main__":
    main()
