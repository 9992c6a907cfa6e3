#!/usr/bin/env bash
# The Windows packages as a user meets them. package.sh makes the zip and the installer from the
# cross build (and a second installer stamped with a higher version); then, under Wine, in a copy of
# the project's prefix that belongs to this script alone: the zip's clock starts from a fresh folder;
# the installer installs per user, the Start-menu shortcut starts the clock, which writes Velta.ini
# beside itself; the higher version replaces the program and keeps Velta.ini; the uninstall removes
# what was installed and keeps Velta.ini; the sign-in shortcut is a feature of its own, and the
# clock's "Start at sign-in" and msiexec each see what the other did. The package's tables are
# read with msiinfo: the upgrade row takes the same version, every folder made in the profile has
# its removal row, ALLUSERS is refused, the programs carry their versions.
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
# Too large for a field, or too many digits for the shell's own numbers to compare.
for bad in 1.256.0 256.0.0 1.0.65536 1.3 99999999999999999999.0.0 1.0.99999999999999999999; do
  expect_eq "package.sh refuses $bad, a version an installer cannot carry" \
    "$("$VELTA_ROOT/package.sh" --out "$work/bad" --package-version "$bad" >/dev/null 2>&1; echo $?)" 1
done
refused=$("$VELTA_ROOT/package.sh" --out "$work/bad" --package-version "$version.1" 2>&1 >/dev/null)
expect_eq "package.sh refuses a fourth version field" "$?" 1
check "and says why ($refused)" grep -q "fourth field" <<<"$refused"
# The same version built again: a package with a ProductCode of its own.
"$VELTA_ROOT/package.sh" --out "$work/dist-rebuilt" >/dev/null 2>>"$work/package.log"
msi_rebuilt=$work/dist-rebuilt/velta-$version-win64.msi
check "package.sh makes the same version again" [ -f "$msi_rebuilt" ]

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
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }  # the rows, tab-separated
# UpgradeCode VersionMin VersionMax Language Attributes Remove ActionProperty
read -r _ upgrade_max upgrade_attributes _ <<<"$(table Upgrade | awk -F'\t' '$7 == "WIX_UPGRADE_DETECTED" { print $1, $3, $5 }')"
expect_eq "the upgrade row reaches up to this version" "$upgrade_max" "$version"
check "and includes it (attributes $upgrade_attributes: VersionMaxInclusive 512, MigrateFeatures 1)" \
  [ $(( ${upgrade_attributes:-0} & 513 )) -eq 513 ]
expect_eq "a newer version installed is only detected, this one excluded" \
  "$(table Upgrade | awk -F'\t' '$7 == "WIX_DOWNGRADE_DETECTED" { print $2, $5 }')" "$version 2"
expect_eq "the programs' versions in the File table" \
  "$(table File | awk -F'\t' '{ print $3 "=" $5 }' | sort | tr '\n' ' ')" \
  "README.txt= Velta.exe=$version.0 velta-cli.exe=$version.0 "
# Directory rows with a name of their own are made in the profile; each needs a folder removal row (ICE64).
for dir in $(table Directory | awk -F'\t' '$3 != "." && $1 != "TARGETDIR" { print $1 }'); do
  expect_eq "the folder $dir has a removal row at uninstall" \
    "$(table RemoveFile | awk -F'\t' -v d="$dir" '$3 == "" && $4 == d && $5 == 2' | wc -l)" 1
done
expect_eq "a Startup shortcut left by the clock goes at uninstall" \
  "$(table RemoveFile | awk -F'\t' '$3 == "VELTA.lnk" && $4 == "StartupFolder" && $5 == 2' | wc -l)" 1
check "a launch condition refuses ALLUSERS" grep -q "NOT ALLUSERS" <<<"$(table LaunchCondition)"

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

msiexec /i "$(winpath "$msi")" /qn ALLUSERS=1
check "msiexec /i ALLUSERS=1 is refused" [ $? -ne 0 ]
check "and installs nothing" [ ! -e "$app" ]
expect_eq "no VELTA in the installed programs" "$(velta_entries)" ""
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

# ---- The same version built again replaces the installed one ----
msiexec /i "$(winpath "$msi_rebuilt")" /qn
check "msiexec /i /qn of the rebuilt $version" [ $? -eq 0 ]
expect_eq "one VELTA in the installed programs" "$(velta_entries | tr '\n' ' ')" "$version "
check "the first build's entry is gone" [ -z "$(reg_value "$key" DisplayName)" ]
check "keeps Velta.ini as it was" cmp -s "$app/Velta.ini" "$work/Velta.ini.user"
msiexec /i "$(winpath "$msi")" /qn
check "and the first build over the rebuilt one again" [ $? -eq 0 ]
expect_eq "still one VELTA" "$(velta_entries | tr '\n' ' ')" "$version "

# ---- A running clock closed by the installer's Restart Manager ----
# Wine has no Restart Manager: the messages it sends are sent here. The clock answers yes, saves and
# ends; that it comes back is Windows' part, on the registration the clock made at start.
ENDSESSION_CLOSEAPP=0x1
wine start "$(winpath "$start_menu")" </dev/null >/dev/null 2>&1
check "the installed clock runs" wait_window
sleep 1
expect_eq "WM_QUERYENDSESSION with ENDSESSION_CLOSEAPP is answered yes" \
  "$(driver send Velta $WM_QUERYENDSESSION 0 $ENDSESSION_CLOSEAPP)" 1
driver send Velta $WM_ENDSESSION 1 $ENDSESSION_CLOSEAPP >/dev/null
check "WM_ENDSESSION with ENDSESSION_CLOSEAPP ends it" driver gone Velta 10
check "its settings saved on the way" cmp -s "$app/Velta.ini" "$work/Velta.ini.user"

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
expect_eq "and no other folder in %LOCALAPPDATA%\\Programs" "$(ls -A "$local_appdata/Programs" | tr '\n' ' ')" "VELTA "
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

# ---- "Start at sign-in" in the clock's menu and the installer's feature: one shortcut ----
feature_on() { [ -n "$(reg_value "$installer_key" StartupShortcut)" ]; }  # the feature's key path
toggle() {  # toggle on|off: the menu item, then the shortcut as expected
  driver command Velta $ID_START_AT_SIGN_IN
  if [ "$1" = on ]; then wait_file "$startup" 20; else wait_gone "$startup" 20; fi
}
menu_shot() {  # menu_shot NAME: the context menu as it opens on the clock
  local l t r b
  xdotool mousemove 200 150; sleep 0.3; xdotool click 3
  read -r l t r b <<<"$(driver menu 5)"
  sleep 0.4
  shot "$SHOTS/packaging_menu_screen.png"
  [ -n "$b" ] && convert "$SHOTS/packaging_menu_screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$SHOTS/packaging_menu_$1.png"
  xdotool key Escape; sleep 0.4
}
wine start "$(winpath "$start_menu")" </dev/null >/dev/null 2>&1
check "the installed clock runs, without the sign-in shortcut" wait_window
sleep 1
menu_shot off
toggle on
check "the menu turns it on: the Startup shortcut is there" [ -f "$startup" ]
check "through the installer: its feature is installed" feature_on
msiexec /i "$(winpath "$msi")" /qn REMOVE=StartAtSignIn
check "msiexec REMOVE=StartAtSignIn, seeing it on, takes it away" [ ! -e "$startup" ]
menu_shot off_by_msiexec
toggle on
check "the menu, seeing it off, turns it on again" [ -f "$startup" ]
toggle off
check "the menu turns it off: the shortcut is gone" [ ! -e "$startup" ]
check "and the installer's feature with it" [ -z "$(reg_value "$installer_key" StartupShortcut)" ]
msiexec /i "$(winpath "$msi")" /qn ADDLOCAL=StartAtSignIn
check "msiexec ADDLOCAL=StartAtSignIn, seeing it off, makes the shortcut again" [ -f "$startup" ]
menu_shot on_by_msiexec
toggle off
check "the menu, seeing it on, turns it off" [ ! -e "$startup" ]
driver key Velta $VK_ESCAPE
driver gone Velta 10 >/dev/null

# A zip copy makes the shortcut itself; the uninstall takes it away all the same.
start_velta "$work/zip"
check "the zip's clock runs" wait_window
sleep 1
toggle on
check "the zip's clock makes the Startup shortcut" [ -f "$startup" ]
driver key Velta $VK_ESCAPE
velta_ended 10
msiexec /x "$(winpath "$msi")" /qn
expect_eq "uninstalled once more, Velta.ini still stays" "$(installed)" "Velta.ini "
check "and the Startup shortcut, whoever made it, is gone" [ ! -e "$startup" ]
# Without Velta.ini the folders the installer made go too.
rm -f "$app/Velta.ini"
msiexec /i "$(winpath "$msi")" /qn
msiexec /x "$(winpath "$msi")" /qn
check "an uninstall with no settings left leaves no folder in %LOCALAPPDATA%" [ ! -e "$local_appdata/Programs" ]
