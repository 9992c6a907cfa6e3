#!/usr/bin/env bash
# The Windows packages as a user meets them. package.sh makes the zip and the installer from the
# cross build (and a second installer stamped with a higher version); then, under Wine, in a copy of
# the project's prefix that belongs to this script alone: the zip's clock starts from a fresh folder;
# the installer installs per user, the Start-menu shortcut starts the clock, which writes Velta.ini
# beside itself; the higher version replaces the program and keeps Velta.ini; the uninstall removes
# what was installed and keeps Velta.ini; the sign-in shortcut is a feature of its own.
source "$(dirname "$0")/lib.sh"

work=$VELTA_ROOT/build/e2e/packaging
rm -rf "$work"
mkdir -p "$work"
velta_wine_prefix
cp -a "$WINEPREFIX" "$work/wineprefix"
export WINEPREFIX=$work/wineprefix
# Shortcuts made by the installer stay in the prefix: no menu entries on the host.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
# The copy is as large as the prefix: gone with the script.
trap 'stop_velta; wineserver -k </dev/null >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
velta_wine_start

# ---- The packages ----
version=$(sed -n 's/^project(Velta VERSION \([0-9.]*\).*/\1/p' "$VELTA_ROOT/CMakeLists.txt")
IFS=. read -r major minor patch _ <<<"$version"
next=$major.$minor.$((patch + 1))
dist=$work/dist
made=$("$VELTA_ROOT/package.sh" --out "$dist" 2>"$work/package.log")
check "package.sh makes the two packages" [ $? -eq 0 ]
expect_eq "named after the project's version" "$(printf '%s\n' "$made" | sed 's|.*/||' | tr '\n' ' ')" \
  "velta-$version-win64.zip velta-$version-win64.msi "
zip=$dist/velta-$version-win64.zip
msi=$dist/velta-$version-win64.msi
"$VELTA_ROOT/package.sh" --out "$dist" --package-version "$next" >/dev/null 2>>"$work/package.log"
msi_next=$dist/velta-$next-win64.msi
check "package.sh --package-version $next makes an installer of that version" [ -f "$msi_next" ]
expect_eq "package.sh refuses a version an installer cannot carry" \
  "$("$VELTA_ROOT/package.sh" --out "$work/bad" --package-version 1.256.0 >/dev/null 2>&1; echo $?)" 1

expect_eq "the zip holds exactly the programs and README.txt" \
  "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" "README.txt Velta.exe velta-cli.exe "
mkdir -p "$work/zip"
unzip -q "$zip" -d "$work/zip"
readme=$work/zip/README.txt
check "README.txt has CR LF line ends only" [ "$(grep -c $'\r$' "$readme")" -eq "$(wc -l <"$readme")" ]
for text in "VELTA $version" 'Velta.ini beside Velta.exe' "HKEY_CURRENT_USER\\Software\\Orvex's Applications\\Velta" \
            'velta-cli decode Secret9CD0B799.QZD --key'; do
  check "README.txt tells: $text" grep -qF "$text" "$readme"
done

# Every version stamp comes from project(): the programs' version resources and manifest, the installer.
resources() { x86_64-w64-mingw32-windres -i "$1" -O rc 2>/dev/null; }
comma=${version//./, }
for exe in Velta.exe velta-cli.exe; do
  rc=$(resources "$work/zip/$exe")
  check "$exe carries FILEVERSION $comma, 0" grep -q "^ FILEVERSION $comma, 0$" <<<"$rc"
  check "$exe carries FileVersion \"$version\"" grep -q "VALUE \"FileVersion\", \"$version\"" <<<"$rc"
  check "$exe is named $exe in its version resource" grep -q "VALUE \"OriginalFilename\", \"$exe\"" <<<"$rc"
done
check "Velta.exe's manifest has version $version.0" \
  grep -q "name=\"\"Velta.Clock\"\" version=\"\"$version.0\"\"" <<<"$(resources "$work/zip/Velta.exe")"
property() { msiinfo export "$1" Property | tr -d '\r' | sed -n "s/^$2\t//p"; }
expect_eq "the installer's ProductVersion" "$(property "$msi" ProductVersion)" "$version"
expect_eq "the second installer's ProductVersion" "$(property "$msi_next" ProductVersion)" "$next"
expect_eq "both share the UpgradeCode" "$(property "$msi_next" UpgradeCode)" "$(property "$msi" UpgradeCode)"
# Per user without elevation: no ALLUSERS, and the summary's word count says no elevated rights needed.
expect_eq "the installer does not ask for ALLUSERS" "$(property "$msi" ALLUSERS)" ""
words=$(msiinfo suminfo "$msi" | sed -n 's/^Source: \([0-9]*\).*/\1/p')
check "the installer needs no administrator rights (word count $words has bit 8)" [ $(( ${words:-0} & 8 )) -eq 8 ]

# ---- The zip: unzipped into a fresh folder, the clock runs as it is ----
start_velta "$work/zip"
check "the zip's Velta.exe shows the clock" wait_window
sleep 1.5
expect_eq "at (0,0) with 400 x 200 pixels, as at any first start" \
  "$(driver info Velta | sed -n 's/^rect //p')" "0 0 400 200"
shot "$SHOTS/packaging_zip.png"
white=$(count_colour "$SHOTS/packaging_zip.png" 392 192 4 4 '#FFFFFF')
check "the date and time are drawn ($white white pixels on the face)" [ "${white:-0}" -gt 100 ]
driver key Velta $VK_ESCAPE
check "Esc ends it" velta_ended 10
check "and it saved Velta.ini beside itself" [ -s "$work/zip/Velta.ini" ]
expect_eq "the zip's velta-cli.exe runs" \
  "$(cd "$work/zip" && wine ./velta-cli.exe format '%Y/%m/%d %H:%M' --at '2026-12-10 09:05:00' </dev/null 2>/dev/null | tr -d '\r')" \
  "2026/12/10 09:05"

# ---- The installer ----
winpath() { winepath -w "$1" 2>/dev/null; }
folder() { winepath -u "$(wine cmd /c echo "%$1%" </dev/null 2>/dev/null | tr -d '\r')" 2>/dev/null; }
msiexec() { wine msiexec "$@" </dev/null >/dev/null 2>&1; }
reg_value() { wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p"; }
installed() { (cd "$app" 2>/dev/null && ls -A | sort | tr '\n' ' '); }
uninstall_key() { echo "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(property "$1" ProductCode)"; }
velta_entries() {  # the installed programs named VELTA, as "VERSION" lines
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s </dev/null 2>/dev/null | tr -d '\r' |
    awk '/^HKEY/ { name = ""; v = "" } /DisplayName/ { name = $NF } /DisplayVersion/ { v = $NF }
         name == "VELTA" && v != "" { print v; name = "" }'
}
local_appdata=$(folder LOCALAPPDATA)
programs=$(folder APPDATA)/Microsoft/Windows/Start\ Menu/Programs
app=$local_appdata/Programs/VELTA
start_menu=$programs/VELTA.lnk
startup=$programs/StartUp/VELTA.lnk
installer_key="HKCU\\Software\\Orvex's Applications\\VELTA Installer"

msiexec /i "$(winpath "$msi")" /qn
check "msiexec /i /qn installs" [ $? -eq 0 ]
expect_eq "into %LOCALAPPDATA%\\Programs\\VELTA: the programs and README.txt" "$(installed)" \
  "README.txt Velta.exe velta-cli.exe "
check "the installed Velta.exe is the zip's" cmp -s "$app/Velta.exe" "$work/zip/Velta.exe"
check "a Start-menu shortcut" [ -f "$start_menu" ]
check "a shortcut in the Startup folder" [ -f "$startup" ]
key=$(uninstall_key "$msi")
expect_eq "listed as an installed program" "$(reg_value "$key" DisplayName)" "VELTA"
expect_eq "with its version" "$(reg_value "$key" DisplayVersion)" "$version"
expect_eq "with its publisher" "$(reg_value "$key" Publisher)" "Orvex's Applications"
expect_eq "with its folder" "$(reg_value "$key" InstallLocation)" "$(winpath "$app")\\"
icon=$(wine reg query 'HKCU\Software\Microsoft\Installer\Products' /s </dev/null 2>/dev/null | tr -d '\r' |
       sed -n 's/^ *ProductIcon *REG_SZ *//p' | head -n 1)
check "with its icon (${icon:-none})" cmp -s "$(winepath -u "$icon" 2>/dev/null)" "$VELTA_ROOT/res/icons/velta.ico"

# Started as a user would, from the Start menu: the clock runs from its folder and keeps its settings there.
wine start "$(winpath "$start_menu")" </dev/null >/dev/null 2>&1
check "the Start-menu shortcut starts the installed clock" wait_window
sleep 1
shot "$SHOTS/packaging_installed.png"
white=$(count_colour "$SHOTS/packaging_installed.png" 392 192 4 4 '#FFFFFF')
check "the installed clock draws the time ($white white pixels)" [ "${white:-0}" -gt 100 ]
driver key Velta $VK_ESCAPE
check "Esc ends it" driver gone Velta 10
for _ in $(seq 50); do [ -s "$app/Velta.ini" ] && break; sleep 0.2; done
check "it wrote Velta.ini beside the installed Velta.exe" [ -s "$app/Velta.ini" ]
# A setting of the user's own, to be found again after the upgrade and the uninstall.
wine "$app/velta-cli.exe" ini "$(winpath "$app/Velta.ini")" set Settings Format 'kept %H:%M' </dev/null >/dev/null 2>&1
cp "$app/Velta.ini" "$work/Velta.ini.user"

# ---- A higher version replaces the program and keeps the settings ----
msiexec /i "$(winpath "$msi_next")" /qn
check "msiexec /i /qn of version $next over $version" [ $? -eq 0 ]
check "keeps Velta.ini as it was" cmp -s "$app/Velta.ini" "$work/Velta.ini.user"
expect_eq "the programs are there" "$(installed)" "README.txt Velta.exe Velta.ini velta-cli.exe "
check "and both shortcuts" [ -f "$start_menu" -a -f "$startup" ]
expect_eq "one VELTA in the installed programs, the new version" "$(velta_entries | tr '\n' ' ')" "$next "
check "the old version's entry is gone" [ -z "$(reg_value "$key" DisplayName)" ]
msiexec /i "$(winpath "$msi")" /qn
check "installing the older version over the newer is refused" [ $? -ne 0 ]
expect_eq "and leaves the newer in place" "$(velta_entries | tr '\n' ' ')" "$next "

# ---- Uninstall: what was installed goes, the user's settings stay ----
msiexec /x "$(winpath "$msi_next")" /qn
check "msiexec /x /qn uninstalls" [ $? -eq 0 ]
expect_eq "only Velta.ini is left in the folder" "$(installed)" "Velta.ini "
check "Velta.ini as the user left it" cmp -s "$app/Velta.ini" "$work/Velta.ini.user"
check "the Start-menu shortcut is gone" [ ! -e "$start_menu" ]
check "the Startup shortcut is gone" [ ! -e "$startup" ]
expect_eq "no VELTA in the installed programs" "$(velta_entries)" ""
check "the installer's own registry key is gone" bash -c "! wine reg query \"\$1\" </dev/null >/dev/null 2>&1" _ "$installer_key"

# ---- Starting at sign-in is a feature of its own ----
# Wine's msiexec honours ADDLOCAL on a first install and ADDLOCAL/REMOVE on an installed product; a
# REMOVE on a first install makes it install nothing, so that way is not tried here.
msiexec /i "$(winpath "$msi")" /qn ADDLOCAL=Program
check "ADDLOCAL=Program installs the clock" [ -f "$app/Velta.exe" -a -f "$start_menu" ]
check "without the Startup shortcut" [ ! -e "$startup" ]
msiexec /i "$(winpath "$msi")" /qn ADDLOCAL=StartAtSignIn
check "ADDLOCAL=StartAtSignIn adds it later" [ -f "$startup" ]
msiexec /i "$(winpath "$msi")" /qn REMOVE=StartAtSignIn
check "REMOVE=StartAtSignIn takes it away again" [ ! -e "$startup" ]
check "and leaves the clock" [ -f "$app/Velta.exe" -a -f "$start_menu" ]
msiexec /x "$(winpath "$msi")" /qn
expect_eq "uninstalled once more, Velta.ini still stays" "$(installed)" "Velta.ini "
