#!/usr/bin/env bash
# Day and month names in the user's language whatever the system's code page: a
# Japanese user on a system whose code page is 1252 sees the names as on a Japanese
# system. Drawn narrow, the runtime's Shift-JIS names came out as Latin-1 letters
# there; the clock shows that picture itself when its format holds those bytes.
source "$(dirname "$0")/lib.sh"
trap stop_velta EXIT
field() { echo "$1" | sed -n "s/^$2 //p"; }

# Wine rewrites the font links for the code page of the first program that starts
# under a new one; the clock's font (Tahoma) gets the Japanese fonts again after that.
ipa_link() {
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
    /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic\0ipag.ttf,IPAGothic' /f </dev/null >/dev/null 2>&1
}

# clock_shot NAME FORMAT "ACP USER" VAR=VALUE...: the clock's 400 x 200 pixels with that
# format (bytes) and those locale variables, everything (the driver too) started under them.
clock_shot() {
  local name=$1 format=$2 want=$3
  shift 3
  (
    export LC_ALL= "$@"
    local probe dir
    probe=$(driver locale -)
    expect_eq "$name: code page and user locale" "$(field "$probe" acp) $(field "$probe" user)" "$want"
    ipa_link
    dir=$(sandbox "user_language_$name")
    printf '[Settings]\r\nFormat=%s\r\n' "$format" >"$dir/Velta.ini"
    xdotool mousemove 900 700
    start_velta "$dir"
    driver wait Velta 60 >/dev/null || not_ok "the clock starts ($name)"
    sleep 1.5
    shot "$SHOTS/user_language_$name.png"
    convert "$SHOTS/user_language_$name.png" -crop 400x200+0+0 +repage "$SHOTS/user_language_${name}_clock.png"
    driver key Velta $VK_ESCAPE
    velta_ended 10 || { not_ok "the clock ends ($name)"; stop_velta; }
  )
}

# No blank in the format: Wine spaces a blank differently under the two code pages.
clock_shot japanese '%A%B' "932 0x0411" LANG=ja_JP.UTF-8
clock_shot mixed '%A%B' "1252 0x0411" LANG=ja_JP.UTF-8 LC_CTYPE=en_US.UTF-8
# What the narrow drawing showed: the Shift-JIS bytes of the same names read as code page 1252.
clock_shot narrow "$(LC_ALL=ja_JP.UTF-8 date +%A%B | iconv -f UTF-8 -t SHIFT_JIS)" \
  "1252 0x0411" LANG=ja_JP.UTF-8 LC_CTYPE=en_US.UTF-8
ipa_link

# The ink of each picture; the same names drawn under the two code pages may differ
# by a pixel or two where Wine places the glyphs.
ink() { ink_box "$SHOTS/user_language_$1_clock.png" 390 190 5 5; }
read -r jw jh jx jy <<<"$(ink japanese)"
read -r mw mh mx my <<<"$(ink mixed)"
read -r nw nh nx ny <<<"$(ink narrow)"
near() { [ $(( $1 - $2 )) -le 3 ] && [ $(( $2 - $1 )) -le 3 ]; }
check "the Japanese system shows the names (${jw:-0}x${jh:-0} of ink)" [ "${jw:-0}" -gt 60 ]
check "a Japanese user on a code page 1252 system sees them too (${mw:-0}x${mh:-0}, not ${nw:-0}x${nh:-0})" \
  bash -c "$(declare -f near); near ${mw:-0} ${jw:-0} && near ${mh:-0} ${jh:-0}"
check "where the narrow drawing showed other letters" \
  bash -c "$(declare -f near); ! { near ${nw:-0} ${jw:-0} && near ${nh:-0} ${jh:-0}; }"
