#!/usr/bin/env bash
# Makes the certificates of the TLS tests in DIR: a test authority (ca.pem) and, signed by it,
# a server certificate for 127.0.0.2, ::1 and localhost (server.pem) and one that expired in
# 2020 for 127.0.0.5 (expired.pem); plus a self-signed certificate (self.pem) whose SHA-256
# fingerprint is written to self.sha256. Keys are P-256, so that the handshakes stay cheap.
#   scripts/make-test-pki.sh DIR
set -euo pipefail
dir=${1:?usage: $0 DIR}
mkdir -p "$dir"
cd "$dir"
key() { openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$2" 2>/dev/null; }

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout ca.key -out ca.pem \
  -days 30 -subj "/CN=Postwink Test CA" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null

mkdir -p issued
: >issued/index.txt
echo 01 >issued/serial
cat >ca.cnf <<'CNF'
[ca]
default_ca = test
[test]
dir = ./issued
database = $dir/index.txt
serial = $dir/serial
new_certs_dir = $dir
default_md = sha256
policy = any
unique_subject = no
[any]
commonName = supplied
[server]
basicConstraints = CA:FALSE
keyUsage = digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.2, IP:::1, DNS:localhost
[expired]
basicConstraints = CA:FALSE
keyUsage = digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.5
CNF
sign() {  # name, extensions, dates...
  local name=$1 ext=$2
  shift 2
  openssl ca -batch -notext -config ca.cnf -cert ca.pem -keyfile ca.key -in "$name.csr" \
    -out "$name.pem" -extensions "$ext" "$@" 2>/dev/null
}
key server localhost
sign server server -days 30
key expired expired
sign expired expired -startdate 20200101000000Z -enddate 20200201000000Z

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout self.key \
  -out self.pem -days 30 -subj "/CN=self-signed.test" \
  -addext "subjectAltName=DNS:self-signed.test" 2>/dev/null
openssl x509 -in self.pem -noout -fingerprint -sha256 | sed 's/^.*=//' >self.sha256
rm -f ./*.csr
