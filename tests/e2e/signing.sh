#!/usr/bin/env bash
# Pack first, sign last: the demo packed into a finished installer whose version resource says
# what it is (read back as Windows reads it), signed with osslsigncode by a code-signing
# certificate that a CA made for this test issued (openssl), the signature verified against that
# CA, the signed installer installing unattended; a signed installer refused as packing input.
source "$(dirname "$0")/lib.sh"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
unsigned=$DRIVE_C/demo/NorvaneSetup.exe
signed=$DRIVE_C/demo/NorvaneSetup-signed.exe

# version_of PROGRAM : what version_reader.exe reads from the program's version resource.
version_of() {
  wine "$BUILD_DIR/tests/version_reader.exe" "$1" >"$SCENARIO_DIR/version.txt" 2>&1 || true
  tr -d '\r' <"$SCENARIO_DIR/version.txt"
}
demo_version="numbers 1.6.3.0 1.6.3.0
translation 040904B0
CompanyName=QVX
FileDescription=Brenmoor Setup
FileVersion=1.6.0003.0000.0035
ProductName=Brenmoor
ProductVersion=1.6.0003.0000.0035"
check_eq "the version resource of the finished installer" "$demo_version" \
  "$(version_of 'C:\demo\NorvaneSetup.exe')"

# A CA and a code-signing certificate, made for this run only.
pki=$SCENARIO_DIR/pki
mkdir -p "$pki"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=QVX Test CA" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
  -keyout "$pki/ca.key" -out "$pki/ca.pem" >"$pki/openssl.log" 2>&1
openssl req -newkey rsa:2048 -nodes -subj "/CN=QVX Test Code Signing" \
  -keyout "$pki/sign.key" -out "$pki/sign.csr" >>"$pki/openssl.log" 2>&1
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
  >"$pki/codesign.ext"
openssl x509 -req -days 2 -in "$pki/sign.csr" -CA "$pki/ca.pem" -CAkey "$pki/ca.key" \
  -CAcreateserial -extfile "$pki/codesign.ext" -out "$pki/sign.pem" >>"$pki/openssl.log" 2>&1
check "the test certificates" test -s "$pki/sign.pem"

check "osslsigncode signs the finished installer" osslsigncode sign -certs "$pki/sign.pem" \
  -key "$pki/sign.key" -n "Brenmoor Setup" -h sha256 -in "$unsigned" -out "$signed"
rc=0
osslsigncode verify -CAfile "$pki/ca.pem" -in "$signed" >"$SCENARIO_DIR/verify.txt" 2>&1 || rc=$?
check_eq "osslsigncode verify: exit code" 0 "$rc"
check "osslsigncode verify: the signature is valid" grep -qx 'Signature verification: ok' "$SCENARIO_DIR/verify.txt"
# The check is worth something: an unsigned installer and one changed after signing both fail.
check "an unsigned installer does not verify" bash -c "! osslsigncode verify -CAfile '$pki/ca.pem' -in '$unsigned' >/dev/null 2>&1"
cp "$signed" "$SCENARIO_DIR/changed.exe"
printf 'X' | dd of="$SCENARIO_DIR/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
check "an installer changed after signing does not verify" bash -c "! osslsigncode verify -CAfile '$pki/ca.pem' -in '$SCENARIO_DIR/changed.exe' >/dev/null 2>&1"
check_eq "the signed installer keeps its version resource" "$demo_version" \
  "$(version_of 'C:\demo\NorvaneSetup-signed.exe')"

run_program 120 'C:\demo\NorvaneSetup-signed.exe' '-dC:\Apps' '-lC:\Logs'
check_eq "the signed installer: exit code" 0 "$EXIT_CODE"
check "the signed installer: the product is installed" cmp -s "$DEMO/product/Quorvin.exe" \
  "$DRIVE_C/Apps/QVX/Norvane/Norvane1.6.0003.0000.0035/Quorvin.exe"

# A signed installer as the packing tool's input: refused before anything is written.
rc=0
wine "$PACKER_EXE" --name Norvane --version 1.6.0003.0000.0035 --config 'C:\pack\appConfig.xml' \
  --product 'C:\pack\product' --list 'C:\pack\product.list' --payload 'C:\demo\refused.bin' \
  --installer 'C:\demo\NorvaneSetup-signed.exe' --output 'C:\demo\Repacked.exe' \
  >"$SCENARIO_DIR/refused.out" 2>"$SCENARIO_DIR/refused.err" || rc=$?
check_eq "signed input: exit code" 1 "$rc"
check_eq "signed input: the one line says to sign after packing" \
  "packer: the installer \"C:\\demo\\NorvaneSetup-signed.exe\" carries an Authenticode signature, which packing would break: pack the unsigned Setup.exe and sign the finished installer after packing" \
  "$(tr -d '\r' <"$SCENARIO_DIR/refused.err")"
check "signed input: no installer written" test ! -e "$DRIVE_C/demo/Repacked.exe"
check "signed input: no payload written" test ! -e "$DRIVE_C/demo/refused.bin"
finish
