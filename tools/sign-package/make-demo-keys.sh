#!/usr/bin/env bash
# Makes the demo publisher's keys in KEY_DIR (the build tree; keys never live in the sources):
#   demo-ca.pem / demo-ca.key          the demo publisher CA; its certificate goes into the
#                                      skin's trust/ when the build embeds the skin
#   publisher.pem / publisher.key      the code-signing certificate the packages are signed with
#   withdrawn.pem / withdrawn.key      a code-signing certificate of the same CA that the skin
#                                      lists in trust/deny/ (explicitly distrusted)
# Idempotent: existing keys are kept (packages signed with them keep verifying); a certificate is
# only remade when it is missing.
#   make-demo-keys.sh KEY_DIR [ec|rsa]
# EC keys (P-256) by default; rsa (2048 bits) for Authenticode, since Wine's crypt32 cannot check
# an ECDSA signature of a signed message.
set -euo pipefail

dir="${1:?usage: make-demo-keys.sh KEY_DIR [ec|rsa]}"
algorithm="${2:-ec}"
case "$algorithm" in
  ec) key_options=(-algorithm EC -pkeyopt ec_paramgen_curve:P-256) ;;
  rsa) key_options=(-algorithm RSA -pkeyopt rsa_keygen_bits:2048) ;;
  *) echo "make-demo-keys.sh: unknown key algorithm '$algorithm'" >&2; exit 2 ;;
esac
mkdir -p "$dir"
cd "$dir"
# Keys of the other algorithm (a folder made before the build chose this one) are made anew.
if [ "$(cat algorithm 2>/dev/null || echo ec)" != "$algorithm" ]; then
  rm -f ./*.key ./*.pem
fi
echo "$algorithm" >algorithm

make_key() {
  [ -s "$1" ] && return 0
  (umask 077 && openssl genpkey "${key_options[@]}" -out "$1.tmp" 2>/dev/null)
  mv "$1.tmp" "$1"
}

config="$(mktemp)"
trap 'rm -f "$config"' EXIT
cat >"$config" <<'CONF'
[req]
distinguished_name = dn
prompt = no
[dn]
[ca]
basicConstraints = critical, CA:true, pathlen:0
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CONF

make_key demo-ca.key
if [ ! -s demo-ca.pem ]; then
  openssl req -new -x509 -key demo-ca.key -days 3650 -sha256 -config "$config" -extensions ca \
    -subj "/C=US/O=Zorvik Software/CN=Zorvik Software Demo Publisher CA" -out demo-ca.pem.tmp
  mv demo-ca.pem.tmp demo-ca.pem
  rm -f publisher.pem withdrawn.pem  # a new CA voids the certificates of the old one
fi

issue() {  # name subject
  make_key "$1.key"
  [ -s "$1.pem" ] && return 0
  openssl req -new -key "$1.key" -subj "$2" -config "$config" -out "$1.csr"
  openssl x509 -req -in "$1.csr" -CA demo-ca.pem -CAkey demo-ca.key -set_serial "0x$(openssl rand -hex 8)" \
    -days 1825 -sha256 -extfile "$config" -extensions signer -out "$1.pem.tmp" 2>/dev/null
  rm -f "$1.csr"
  mv "$1.pem.tmp" "$1.pem"
}
issue publisher "/C=US/O=Zorvik Software/OU=Demo Publisher/CN=Zorvik Software Demo Publisher"
issue withdrawn "/C=US/O=Zorvik Software/OU=Withdrawn/CN=Zorvik Software Withdrawn Signer"
