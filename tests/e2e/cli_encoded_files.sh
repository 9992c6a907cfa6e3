#!/usr/bin/env bash
# velta-cli encode/decode/info/crc32/md5 on real files, natively and as the Windows build under
# Wine; a file encoded on one recovers on the other.
source "$(dirname "$0")/lib.sh"

native=$VELTA_ROOT/build/native/velta-cli
winexe=$VELTA_BUILD/velta-cli.exe
work=$VELTA_ROOT/build/e2e/cli_encoded
rm -rf "$work"; mkdir -p "$work/out"
cd "$work" || exit 1
head -c 100003 /dev/urandom >data.bin
cp data.bin keep.bin
wcli() { wine "$winexe" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
status() { "$@" >/dev/null 2>&1; echo $?; }

if [ -x "$native" ]; then
  expect_eq "md5 agrees with md5sum" "$("$native" md5 data.bin)" "$(md5sum data.bin | cut -c1-32)"
  expect_eq "crc32 agrees with zlib" "$("$native" crc32 data.bin)" \
    "$(python3 -c 'import zlib,sys; print("%08X" % zlib.crc32(open(sys.argv[1],"rb").read()))' data.bin)"
  crc=$("$native" crc32 data.bin)
  enc=$("$native" encode data.bin --name Data --key "pass word" --dir out)
  expect_eq "encode prints the name + CRC path" "$enc" "$work/out/Data$crc.QZD"
  check "the original stays after encode" cmp -s data.bin keep.bin
  check "encoded file differs from the original" bash -c "! cmp -s data.bin '$enc'"
  second=$("$native" encode data.bin --name Data --key "pass word" --dir out)
  expect_eq "a second encode of the same file takes a free name" "$second" "$work/out/Data${crc}_2.QZD"
  expect_eq "info with a wrong key fails with 1" "$(status "$native" info "$enc" --key "pass  word")" 1
  info=$("$native" info "$enc" --key "pass word")
  expect_eq "info shows the stored path" "$(echo "$info" | sed -n 's/^path: //p')" "$work/data.bin"
  expect_eq "info shows the length" "$(echo "$info" | sed -n 's/^length: //p')" 100003
  rm data.bin
  expect_eq "decode with a wrong key fails with 1" "$(status "$native" decode "$enc" --key wrong)" 1
  check "and writes nothing" [ ! -e data.bin ]
  expect_eq "decode restores to the stored path" "$("$native" decode "$enc" --key "pass word")" "$work/data.bin"
  check "with the same content" cmp -s data.bin keep.bin
  "$native" decode "$enc" --key "pass word" --to elsewhere.bin >/dev/null
  check "decode --to writes where asked" cmp -s elsewhere.bin keep.bin
  cp "$enc" damaged.QZD
  printf '\x55' | dd of=damaged.QZD bs=1 seek=5000 conv=notrunc 2>/dev/null
  expect_eq "a damaged file fails with 1" "$(status "$native" decode damaged.QZD --key "pass word" --to x.bin)" 1
  head -c 20 /dev/urandom >short.QZD
  expect_eq "a 20-byte file fails with 1" "$(status "$native" info short.QZD --key k)" 1
  expect_eq "a missing file fails with 1" "$(status "$native" md5 missing.bin)" 1
  for bad in "decode $enc" "encode data.bin --key k" "info" "crc32" "md5 a b" "decode $enc --key k --bogus 1" "encode data.bin --name"; do
    # shellcheck disable=SC2086
    expect_eq "bad usage '$bad' gives 2" "$(status "$native" $bad)" 2
  done
  msg=$("$native" decode "$enc" --key wrong 2>&1 >/dev/null)
  expect_eq "failure message is one line" "$(echo "$msg" | wc -l)" 1
fi

if [ -f "$winexe" ]; then
  expect_eq "Windows md5 agrees with md5sum" "$(wcli md5 keep.bin)" "$(md5sum keep.bin | cut -c1-32)"
  expect_eq "Windows crc32 agrees" "$(wcli crc32 keep.bin)" "${crc:-$(wcli crc32 keep.bin)}"
  wenc=$(wcli encode keep.bin --name WinData --key "k\xe9y" --dir out)
  check "Windows encode names the file after name and CRC ($wenc)" bash -c "[[ '$wenc' == *WinData*.QZD ]]"
  wfile=$work/out/$(basename "${wenc//\\//}")
  check "the encoded file is in the folder asked for" [ -f "$wfile" ]
  if [ -x "$native" ]; then
    "$native" decode "$wfile" --key "k\xe9y" --to from_windows.bin >/dev/null
    check "a file encoded on Windows recovers natively" cmp -s from_windows.bin keep.bin
    expect_eq "the Windows build refuses a wrong key with 1" "$(status wcli decode "$enc" --key wrong --to y.bin)" 1
    wcli decode "$enc" --key "pass word" --to from_native.bin >/dev/null
    check "a file encoded natively recovers on Windows" cmp -s from_native.bin keep.bin
  fi
fi
