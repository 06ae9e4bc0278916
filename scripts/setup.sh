#!/usr/bin/env bash
# Installs everything the build, the tests, the demo and the benchmarks need, from Debian
# packages. Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3
  clang lld libclang-rt-14-dev clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb x11-utils xdotool
  fonts-ipafont-gothic fonts-ipafont-mincho
  # Hangul and simplified Chinese, Thai, and emoji in one colour: what the Japanese faces lack
  # (scripts/wine-run.sh links them to those faces).
  fonts-noto-cjk fonts-tlwg-loma fonts-symbola
  dovecot-core dovecot-pop3d dovecot-imapd
  libssl-dev openssl libcurl4-openssl-dev
  libgmime-3.0-dev
  imagemagick
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine draws the buttons of a window's caption with the Marlett font. Its fonts package as a
# whole would change the fonts of every Wine program on the machine, so only Marlett is taken
# from it, and scripts/wine-run.sh puts it into the test prefixes.
marlett=/usr/local/share/postwink/marlett.ttf
if [ ! -f "$marlett" ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  unpack=$(mktemp -d)
  fetch_fonts() { (cd "$unpack" && apt-get download -qq fonts-wine >/dev/null 2>&1); }
  fetch_fonts || { "${sudo_cmd[@]}" apt-get update -qq && fetch_fonts; }
  dpkg-deb -x "$unpack"/fonts-wine_*.deb "$unpack/x"
  "${sudo_cmd[@]}" install -D -m 644 "$unpack/x/usr/share/wine/fonts/marlett.ttf" "$marlett"
  rm -rf "$unpack"
fi

# Dovecot's packaged service is not used: the tests start their own instance on loopback.
if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet dovecot 2>/dev/null; then
  systemctl stop dovecot || true
fi
# The MinGW posix thread model gives std::thread and std::mutex.
if command -v update-alternatives >/dev/null 2>&1; then
  update-alternatives --set x86_64-w64-mingw32-g++ /usr/bin/x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || true
  update-alternatives --set x86_64-w64-mingw32-gcc /usr/bin/x86_64-w64-mingw32-gcc-posix >/dev/null 2>&1 || true
fi
echo "setup: all dependencies present"
