# Sourced by run.sh, test.sh and package.sh: installs what the build, the packages and the tests need on
# a Debian 12 machine, quietly when everything is there already.
VELTA_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine64 xvfb xauth xdotool imagemagick x11-utils
  googletest libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev libssl-dev
  fonts-ipafont-gothic fonts-wine locales chrony python3
  wixl msitools zip unzip
)

velta_install_deps() {
  local missing=()
  local p
  for p in "${VELTA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null ||
      { echo "apt-get install failed" >&2; return 1; }
  fi
  # The Japanese resource set is chosen only when Wine sees a Japanese locale that exists.
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$' || ! locale -a 2>/dev/null | grep -qi '^en_US\.utf8$'; then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo sed -i -E 's/^# *(en_US\.UTF-8 UTF-8|ja_JP\.UTF-8 UTF-8)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
  fi
}
