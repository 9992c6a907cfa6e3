#!/usr/bin/env bash
# The programs as a release build makes them: no debug sections and no symbol
# table, stack canaries compiled into every source, and the loader flags for
# 64-bit address-space randomisation and no execution from data pages.
source "$(dirname "$0")/lib.sh"
OBJDUMP=x86_64-w64-mingw32-objdump

if ! grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$VELTA_BUILD/CMakeCache.txt" 2>/dev/null; then
  ok "# SKIP $VELTA_BUILD is not a release build"
  exit 0
fi

for exe in Velta.exe velta-cli.exe; do
  file=$VELTA_BUILD/$exe
  sections=$($OBJDUMP -h "$file" 2>/dev/null)
  check "$exe has sections to read" [ -n "$sections" ]
  check "$exe carries no debug sections" bash -c "! grep -q '\\.debug' <<<\"\$1\"" _ "$sections"
  header=$($OBJDUMP -f "$file" 2>/dev/null)
  check "$exe has no symbol table" bash -c "! grep -q HAS_SYMS <<<\"\$1\"" _ "$header"
  # Relocations are what lets the loader put the image anywhere.
  check "$exe keeps its relocations" grep -q '\.reloc' <<<"$sections"
  flags=$($OBJDUMP -p "$file" 2>/dev/null | sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p')
  for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
    check "$exe is marked $flag" grep -qw "$flag" <<<"$flags"
  done
  # The canary check's report is linked in only when some function has a canary.
  check "$exe has the stack-protector runtime" grep -q 'stack smashing detected' "$file"
done

unguarded=$(python3 - "$VELTA_BUILD/compile_commands.json" <<'EOF'
import json, sys
for entry in json.load(open(sys.argv[1])):
    if entry["file"].endswith((".cpp", ".c", ".cc")) and "-fstack-protector-strong" not in entry["command"]:
        print(entry["file"])
EOF
)
expect_eq "every C and C++ source is compiled with -fstack-protector-strong" "$unguarded" ""

# DPI awareness as the manifest declares it: per monitor (v2) or the system's DPI, never per monitor v1,
# which scales no dialog (the system reads dpiAware only where it does not know dpiAwareness).
manifest=$(x86_64-w64-mingw32-windres -i "$VELTA_BUILD/Velta.exe" -O rc 2>/dev/null | tr -d '"\\')
check "Velta.exe asks for per-monitor v2 awareness and nothing else" \
  grep -q '<dpiAwareness[^>]*>PerMonitorV2</dpiAwareness>' <<<"$manifest"
check "Velta.exe falls back to the system's DPI below that" \
  grep -q '<dpiAware [^>]*>true</dpiAware>' <<<"$manifest"
