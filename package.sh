#!/usr/bin/env bash
# Builds the Windows packages of VELTA into dist/:
#   velta-VERSION-win64.zip  Velta.exe, velta-cli.exe and README.txt; unzipped anywhere writable, it runs
#   velta-VERSION-win64.msi  a per-user installer (no administrator rights), made with wixl (msitools)
# VERSION is the one in CMakeLists.txt's project(). Installs what is missing and cross-builds the two
# programs in build/win (the build run.sh and test.sh use), so after ./test.sh nothing is rebuilt.
#
# Options:
#   --out DIR                 write the packages into DIR instead of dist/
#   --package-version X.Y.Z   stamp the packages with another version than the build's; the programs
#                             inside stay as built (for trying an upgrade from one package to the next)
set -eu
usage() { echo "usage: ./package.sh [--out DIR] [--package-version X.Y.Z]" >&2; exit 2; }
out=
version=
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --out) out=$(realpath -m -- "$2") ;;
    --package-version) version=$2 ;;
    *) usage ;;
  esac
  shift 2
done
cd "$(dirname "$0")"
export VELTA_ROOT=$PWD
out=${out:-$PWD/dist}
source tools/deps.sh

velta_install_deps

build=$PWD/build/win
logs=$PWD/build/logs
mkdir -p "$logs"
if ! cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
       -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >"$logs/package-configure.log" 2>&1 ||
   ! cmake --build "$build" --target Velta velta-cli -j "$(nproc)" >"$logs/package-build.log" 2>&1; then
  tail -n 30 "$logs/package-build.log" "$logs/package-configure.log" 2>/dev/null
  echo "package.sh: the cross build failed; see $logs/package-*.log" >&2
  exit 1
fi

# The build's version, made from project(... VERSION ...) by CMake.
built_version=$(sed -n 's/^#define VELTA_VERSION_STRING "\(.*\)"$/\1/p' "$build/generated/velta_version.h")
version=${version:-$built_version}
# Windows Installer compares only the first three fields: major and minor up to 255, build up to 65535.
# A fourth field would be ignored, so 1.3.0.1 could not replace 1.3.0.0: it is refused.
if [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "package.sh: '$version' has a fourth field, which Windows Installer ignores (1.3.0.1 would not replace" \
       "1.3.0.0); give three fields, MAJOR.MINOR.BUILD" >&2
  exit 1
fi
# At most five digits a field: longer numbers overflow the shell's comparison, which then lets them through.
if ! [[ $version =~ ^([0-9]{1,5})\.([0-9]{1,5})\.([0-9]{1,5})$ ]] ||
   [ "${BASH_REMATCH[1]}" -gt 255 ] || [ "${BASH_REMATCH[2]}" -gt 255 ] || [ "${BASH_REMATCH[3]}" -gt 65535 ]; then
  echo "package.sh: '$version' is not a version an installer can carry (MAJOR.MINOR.BUILD, at most 255.255.65535)" >&2
  exit 1
fi

# The files of both packages, with the programs' symbols stripped (half their size).
work=$PWD/build/package
stage=$work/stage
rm -rf "$work"
mkdir -p "$stage" "$out"
x86_64-w64-mingw32-strip -o "$stage/Velta.exe" "$build/Velta.exe"
x86_64-w64-mingw32-strip -o "$stage/velta-cli.exe" "$build/velta-cli.exe"
# Stripping changed the clock's file: its sealed digest is made again for what ships.
cmake -DIMAGE="$stage/Velta.exe" -P cmake/seal_image.cmake
# CR LF, so that every editor on Windows shows the lines.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/README.txt >"$stage/README.txt"
cp res/icons/velta.ico "$work/velta.ico"

name=velta-$version-win64
rm -f "$out/$name.zip" "$out/$name.msi"
(cd "$stage" && zip -q -X -9 "$out/$name.zip" Velta.exe velta-cli.exe README.txt)
# wixl takes the sources' paths relative to the folder it runs in.
(cd "$work" && wixl -a x64 -D Version="$version" -D SourceDir=stage -D IconFile=velta.ico \
   -o "$out/$name.msi" "$VELTA_ROOT/packaging/velta.wxs")
# What wixl cannot write. The upgrade row also takes this very version (a rebuild replaces the installed
# one instead of being listed beside it): MigrateFeatures (1) and VersionMaxInclusive (512). The programs'
# file versions, from their version resources (versioned files carry no hash). The removal of the Startup
# shortcut, which the clock's "Start at sign-in" may have made, at uninstall (InstallMode 2).
file_version() {
  x86_64-w64-mingw32-windres -i "$1" -O rc 2>/dev/null | sed -n 's/^ FILEVERSION \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\)$/\1.\2.\3.\4/p'
}
upgrade_code=$(msiinfo export "$out/$name.msi" Property | tr -d '\r' | sed -n 's/^UpgradeCode\t//p')
queries=(
  "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'"
  "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"
  "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode) VALUES ('RemoveStartupShortcut', 'StartupShortcutLeft', 'VELTA.lnk', 'StartupFolder', 2)"
)
for file in VeltaExe:Velta.exe VeltaCliExe:velta-cli.exe; do
  file_version=$(file_version "$stage/${file#*:}")
  if [ -z "$file_version" ]; then
    echo "package.sh: ${file#*:} has no version resource" >&2
    exit 1
  fi
  queries+=("UPDATE File SET Version = '$file_version' WHERE File = '${file%%:*}'"
            "DELETE FROM MsiFileHash WHERE File_ = '${file%%:*}'")
done
for query in "${queries[@]}"; do
  if ! msibuild "$out/$name.msi" -q "$query"; then
    echo "package.sh: the installer could not be completed ($query)" >&2
    exit 1
  fi
done

echo "$out/$name.zip"
echo "$out/$name.msi"
