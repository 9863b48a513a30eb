#!/usr/bin/env bash
# Makes the demo publisher's signing key and its self-signed certificate.
#   tools/vendor/keys/make-publisher-key.sh [KEY_DIR] [TRUST_DIR]
# The key stays with the vendor tools (KEY_DIR, default: beside this script); the certificate
# goes into the skin package's trust folder (TRUST_DIR, default: res/skin/trust), where the
# installer takes the publishers it trusts from. Safe to run again: an existing key is never
# replaced (packages signed with it would stop verifying); the certificate is only remade when it
# is missing or no longer belongs to the key.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
key_dir="${1:-$here}"
trust_dir="${2:-$root/res/skin/trust}"
key="$key_dir/publisher.key"
cert="$trust_dir/publisher.pem"
subject="/C=US/O=Zorvik Software/OU=Demo Publisher/CN=Zorvik Software Demo Publisher"

mkdir -p "$key_dir" "$trust_dir"

if [ ! -s "$key" ]; then
  (umask 077 && openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:3072 -out "$key.tmp" 2>/dev/null)
  mv "$key.tmp" "$key"
  echo "publisher key: made $key"
else
  echo "publisher key: kept $key"
fi

key_modulus() { openssl pkey -in "$key" -pubout -outform DER | openssl dgst -sha256 -r; }
cert_modulus() { openssl x509 -in "$cert" -noout -pubkey | openssl pkey -pubin -outform DER | openssl dgst -sha256 -r; }

if [ -s "$cert" ] && [ "$(key_modulus)" = "$(cert_modulus 2>/dev/null || true)" ]; then
  echo "publisher certificate: kept $cert"
  exit 0
fi

config="$(mktemp)"
trap 'rm -f "$config"' EXIT
cat >"$config" <<'CONF'
[req]
distinguished_name = dn
x509_extensions = publisher
prompt = no
[dn]
[publisher]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
CONF
openssl req -new -x509 -key "$key" -subj "$subject" -days 3650 -sha256 \
  -config "$config" -out "$cert.tmp"
chmod 644 "$cert.tmp"
mv "$cert.tmp" "$cert"
echo "publisher certificate: made $cert"
