#!/usr/bin/env bash
# velta-cli encode/decode/info/crc32/md5 on real files, natively and as the Windows build under
# Wine; a file encoded on one recovers on the other. Crafted files (made by qzd_craft.py) must
# not write where they say unless that is a full path and nothing is there; folders and files
# that cannot be read are refused by every command.
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
  # Damage by changing a byte: setting one to a fixed value left it as it was one time in 256.
  python3 -c 'import sys; f = open(sys.argv[1], "r+b"); f.seek(5000); b = f.read(1)[0]; f.seek(5000); f.write(bytes([b ^ 0x55]))' damaged.QZD
  check "the damaged copy differs from the encoded file" bash -c "! cmp -s '$enc' damaged.QZD"
  expect_eq "a damaged file fails with 1" "$(status "$native" decode damaged.QZD --key "pass word" --to x.bin)" 1
  head -c 20 /dev/urandom >short.QZD
  expect_eq "a 20-byte file fails with 1" "$(status "$native" info short.QZD --key k)" 1
  expect_eq "a missing file fails with 1" "$(status "$native" md5 missing.bin)" 1
  for bad in "decode $enc" "encode data.bin --key k" "info" "crc32" "md5 a b" "decode $enc --key k --bogus 1" "encode data.bin --name" "info $enc --key k --code-page abc" "decode $enc --key k --code-page 0"; do
    # shellcheck disable=SC2086
    expect_eq "bad usage '$bad' gives 2" "$(status "$native" $bad)" 2
  done
  msg=$("$native" decode "$enc" --key wrong 2>&1 >/dev/null)
  expect_eq "failure message is one line" "$(echo "$msg" | wc -l)" 1
  # An option's value is never another of its options; an option given twice is told as such.
  msg=$("$native" decode "$enc" --key --force 2>&1 >/dev/null); rc=$?
  expect_eq "'--key --force' gives 2" "$rc" 2
  check "and says --key lacks its value ($msg)" bash -c "[[ \"\$1\" == 'velta-cli decode: --key needs a value;'* ]]" _ "$msg"
  msg=$("$native" decode "$enc" --key a --key b 2>&1 >/dev/null); rc=$?
  expect_eq "--key given twice gives 2" "$rc" 2
  check "and says so ($msg)" bash -c "[[ \"\$1\" == 'velta-cli decode: --key given twice;'* ]]" _ "$msg"
  expect_eq "a key that starts with -- is given as --key=VALUE" \
    "$(status "$native" info "$enc" "--key=--force")" 1
  # An empty key is a key of the format (its key mixing is skipped, and the program's own key
  # dialogs take one), so files made with it must stay recoverable: taken, not refused.
  empty=$("$native" encode keep.bin --name Empty --key "" --dir out)
  "$native" decode "$empty" --key "" --to empty.bin >/dev/null
  check "an empty key encodes and decodes" cmp -s empty.bin keep.bin
  expect_eq "and a file made with it does not open with another key" "$(status "$native" info "$empty" --key x)" 1

  # Stored paths that would write elsewhere than a full path of this system: refused, nothing written.
  mkdir -p crafted/sub && cd crafted || exit 1
  craft() { printf 'crafted content\n' | python3 "$VELTA_ROOT/tests/e2e/qzd_craft.py" "$1" k "$2"; }
  craft rel.QZD "relative.txt"
  craft up.QZD "$work/crafted/sub/../escaped.txt"
  craft dot.QZD "$work/crafted/./dot.txt"
  craft win.QZD 'C:\Users\me\notes.txt'
  for c in "rel.QZD relative.txt" "up.QZD escaped.txt" "dot.QZD dot.txt" "win.QZD notes.txt"; do
    set -- $c
    msg=$("$native" decode "$1" --key k 2>&1 >/dev/null); rc=$?
    expect_eq "decode of a stored path like $1 is refused with 1" "$rc" 1
    check "and says why ($msg)" bash -c "[[ '$msg' == *'--to'* ]]"
    check "and writes nothing" [ "$(ls)" = "$(printf 'dot.QZD\nrel.QZD\nsub\nup.QZD\nwin.QZD')" ]
  done
  "$native" decode win.QZD --key k --to chosen.txt >/dev/null
  check "a Windows path decodes natively with --to" grep -q 'crafted content' chosen.txt
  craft long.QZD "$work/crafted/$(printf 'L%.0s' $(seq 300))"
  msg=$("$native" decode long.QZD --key k 2>&1 >/dev/null); rc=$?
  expect_eq "a stored path over 259 characters is refused with 1" "$rc" 1
  check "and told as such, not as a wrong key ($msg)" bash -c "[[ \"\$1\" == *'is longer than 259 characters'* ]]" _ "$msg"
  "$native" decode long.QZD --key k --to long.txt >/dev/null
  check "it decodes with --to" grep -q 'crafted content' long.txt
  rm -f long.QZD long.txt
  printf 'the user own file\n' >victim.txt
  cp victim.txt victim.keep
  craft victim.QZD "$work/crafted/victim.txt"
  expect_eq "an existing file at the stored path is not replaced without --force" "$(status "$native" decode victim.QZD --key k)" 1
  check "and stays as it was" cmp -s victim.txt victim.keep
  expect_eq "--force replaces it" "$("$native" decode victim.QZD --key k --force)" "$work/crafted/victim.txt"
  check "with the decoded content" grep -q 'crafted content' victim.txt
  # As found: --to replaced an existing file without --force (a mistyped name lost a file).
  printf 'precious\n' >named.txt
  expect_eq "--to an existing file is refused with 1 without --force" "$(status "$native" decode victim.QZD --key k --to named.txt)" 1
  check "and the file there stays" grep -qx precious named.txt
  "$native" decode victim.QZD --key k --to named.txt --force >/dev/null
  check "--to with --force replaces it" grep -q 'crafted content' named.txt
  # As found: --force put a plain file in the place of a pipe (of /dev/null, run as root).
  mkfifo pipe
  expect_eq "--to a pipe is refused with 1 even with --force" "$(status "$native" decode victim.QZD --key k --to pipe --force)" 1
  check "and the pipe stays one" [ -p pipe ]
  cp victim.QZD victim.QZD.keep
  for to in "" "sub" "victim.QZD" "./sub/../victim.QZD"; do
    expect_eq "--to '$to' is refused with 2" "$(status "$native" decode victim.QZD --key k --to "$to")" 2
  done
  check "the encoded file itself is never replaced" cmp -s victim.QZD victim.QZD.keep
  # Links and stored paths lead to the same file: decided by the file, not by the name.
  ln -sf victim.QZD victim_link.QZD
  ln -f victim.QZD victim_hard.QZD
  for to in victim_link.QZD victim_hard.QZD "$work/crafted//victim.QZD"; do
    expect_eq "--to '$to' (the encoded file under another name) is refused with 2" \
      "$(status "$native" decode victim.QZD --key k --to "$to")" 2
  done
  craft self.QZD "$work/crafted/self.QZD"
  cp self.QZD self.QZD.keep
  expect_eq "decode --force of a file whose stored path is itself is refused with 1" \
    "$(status "$native" decode self.QZD --key k --force)" 1
  check "and the encoded file stays" cmp -s self.QZD self.QZD.keep
  check "the encoded file itself is never replaced through a link" cmp -s victim.QZD victim.QZD.keep
  # As found: --to a symbolic link with --force replaced the link by a plain file. A link at the
  # target, --to or stored, is refused with its reason, --force or not: neither replaced nor
  # written through, a dangling one too.
  printf 'linked\n' >link_target.txt
  cp link_target.txt link_target.keep
  ln -sfn link_target.txt out_link.txt
  ln -sfn nowhere.txt dangling.txt
  for c in "out_link.txt" "out_link.txt --force" "dangling.txt --force"; do
    # shellcheck disable=SC2086
    msg=$("$native" decode victim.QZD --key k --to $c 2>&1 >/dev/null); rc=$?
    expect_eq "--to $c (a symbolic link) is refused with 2" "$rc" 2
    check "and says why ($msg)" bash -c "[[ \"\$1\" == *'is a symbolic link'* ]]" _ "$msg"
  done
  craft linked.QZD "$work/crafted/out_link.txt"
  msg=$("$native" decode linked.QZD --key k --force 2>&1 >/dev/null); rc=$?
  expect_eq "a stored path that is a symbolic link is refused with 1, --force or not" "$rc" 1
  check "and says why ($msg)" bash -c "[[ \"\$1\" == *'is a symbolic link'* ]]" _ "$msg"
  check "the links stay links" bash -c '[ -L out_link.txt ] && [ -L dangling.txt ]'
  check "the file a link leads to is unchanged" cmp -s link_target.txt link_target.keep
  check "nothing is made where the dangling link leads" [ ! -e nowhere.txt ]
  cd "$work" || exit 1

  # Folders and unreadable files, for every command that reads a file.
  mkdir -p afolder
  printf 'secret' >locked.bin
  chmod 000 locked.bin
  unprivileged=()
  [ "$(id -u)" -eq 0 ] && unprivileged=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  for cmd in "info @ --key k" "decode @ --key k" "encode @ --name N --key k --dir out" "crc32 @" "md5 @" "ini @ sections"; do
    for input in afolder locked.bin; do
      args=${cmd/@/$work/$input}
      # shellcheck disable=SC2086
      msg=$("${unprivileged[@]}" "$native" $args 2>&1 >/dev/null); rc=$?
      expect_eq "velta-cli ${cmd%% *} on $input ends with 1" "$rc" 1
      check "with one message line ($msg)" [ "$(echo "$msg" | wc -l)" = 1 ] && [ -n "$msg" ]
    done
  done
  chmod 600 locked.bin
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
  # Crafted stored paths on Windows: relative, "..", "." and an existing file.
  cd crafted 2>/dev/null || { mkdir -p crafted && cd crafted; } || exit 1
  wdir=$(winepath -w "$PWD" 2>/dev/null | tr -d '\r')
  wcraft() { printf 'crafted content\n' | python3 "$VELTA_ROOT/tests/e2e/qzd_craft.py" "$1" k "$2"; }
  wcraft wrel.QZD 'relative.txt'
  wcraft wup.QZD "$wdir\\sub\\..\\wescaped.txt"
  wcraft wdot.QZD "$wdir\\.\\wdot.txt"
  wcraft wposix.QZD "/tmp/wposix.txt"
  before=$(ls)
  for f in wrel wup wdot wposix; do
    expect_eq "Windows: decode of $f.QZD is refused with 1" "$(status wcli decode $f.QZD --key k)" 1
  done
  check "and writes nothing" [ "$(ls)" = "$before" ]
  printf 'mine\n' >wvictim.txt
  wcraft wvictim.QZD "$wdir\\wvictim.txt"
  expect_eq "Windows: an existing file is not replaced without --force" "$(status wcli decode wvictim.QZD --key k)" 1
  check "and stays" grep -q mine wvictim.txt
  wcli decode wvictim.QZD --key k --force >/dev/null
  check "Windows: --force replaces it" grep -q 'crafted content' wvictim.txt
  mkdir -p wsub
  for to in "" "wsub" "wvictim.QZD"; do
    expect_eq "Windows: --to '$to' is refused with 2" "$(status wcli decode wvictim.QZD --key k --to "$to")" 2
  done
  # The encoded file under every other name: Unix links (which Wine follows), \\?\, \\.\, case,
  # a trailing dot; and a stored path that is the encoded file itself.
  cp wvictim.QZD wvictim.QZD.keep
  ln -sf wvictim.QZD wlink.QZD
  for to in wlink.QZD "\\\\?\\$wdir\\wvictim.QZD" "\\\\.\\$wdir\\wvictim.QZD" "$wdir\\WVICTIM.QZD" "$wdir\\wvictim.QZD."; do
    expect_eq "Windows: --to '$to' (the encoded file) is refused with 2" "$(status wcli decode wvictim.QZD --key k --to "$to")" 2
  done
  check "Windows: the encoded file stays" cmp -s wvictim.QZD wvictim.QZD.keep
  wcraft wself.QZD "$wdir\\WSELF.QZD"
  cp wself.QZD wself.QZD.keep
  expect_eq "Windows: decode --force of a file whose stored path is itself is refused with 1" \
    "$(status wcli decode wself.QZD --key k --force)" 1
  check "Windows: and it stays" cmp -s wself.QZD wself.QZD.keep
  cd "$work" || exit 1
  # Folders, and a file another program holds open without sharing.
  mkdir -p wfolder
  printf 'held' >held.bin
  wine "$VELTA_BUILD/tests/file_hold_helper.exe" held.bin </dev/null >/dev/null 2>&1 &
  for i in $(seq 100); do [ -e held.bin.held ] && break; sleep 0.1; done
  for cmd in "info @ --key k" "decode @ --key k" "encode @ --name N --key k --dir out" "crc32 @" "md5 @" "ini @ sections"; do
    for input in wfolder held.bin; do
      # shellcheck disable=SC2086
      wine "$winexe" ${cmd/@/$input} </dev/null >/dev/null 2>werr.txt; rc=$?
      msg=$(tr -d '\r' <werr.txt)
      expect_eq "Windows: velta-cli ${cmd%% *} on $input ends with 1" "$rc" 1
      check "with a message ($msg)" [ -n "$msg" ]
    done
  done
  rm -f held.bin.held
  wait
fi
