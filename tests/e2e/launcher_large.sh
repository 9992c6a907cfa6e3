#!/usr/bin/env bash
# A settings file holding 20 launcher groups of 1000 items each: the clock opens
# and closes within a few seconds, and what it saves at the end holds every item.
source "$(dirname "$0")/lib.sh"
trap stop_velta EXIT

groups=20
items=1000
dir=$(sandbox launcher_large)
ini=$dir/Velta.ini
python3 - "$ini" "$groups" "$items" <<'EOF'
import sys
path, groups, items = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
out = ["[Settings]", "Option=196616", "", "[Exec]", f"Num={groups}", ""]
for g in range(groups):
    out += [f"[Exec_{g}]", f"Num={items}", ""]
    for i in range(items):
        out += [f"[Exec_{g}_{i}]", f"Pass={i % 2}", f"Name=Item {g}.{i}",
                f"Path=C:\\Programs\\Tool {i}\\tool.exe", ""]
open(path, "w", newline="").write("\r\n".join(out))
EOF
value_in() { tr -d '\r' <"$ini" | awk -v s="[$1]" -v k="$2=" '$0 == s { in_s = 1; next } /^\[/ { in_s = 0 } in_s && index($0, k) == 1 { print substr($0, length(k) + 1); exit }'; }

start=$(date +%s%N)
start_velta "$dir"
check "the clock opens with $groups x $items launcher items" driver wait Velta 60
opened=$(( ($(date +%s%N) - start) / 1000000 ))
check "within a few seconds (${opened} ms)" [ "$opened" -lt 8000 ]

start=$(date +%s%N)
driver command Velta $ID_EXIT
check "Exit ends the clock" velta_ended 20
closed=$(( ($(date +%s%N) - start) / 1000000 ))
check "within a few seconds, saving everything (${closed} ms)" [ "$closed" -lt 8000 ]

expect_eq "the saved file still counts $groups groups" "$(value_in Exec Num)" "$groups"
expect_eq "the last group still holds $items items" "$(value_in "Exec_$((groups - 1))" Num)" "$items"
expect_eq "and its last item is whole" "$(value_in "Exec_$((groups - 1))_$((items - 1))" Name)" "Item $((groups - 1)).$((items - 1))"
expect_eq "every item's section is there once" "$(tr -d '\r' <"$ini" | grep -c '^\[Exec_[0-9]*_[0-9]*\]$')" $((groups * items))
