#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix kept inside the build folder.
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]
# The prefix is created on first use, quietly and without network or standard input: no Mono or
# Gecko installer prompts, Japanese fonts substituted for the Windows ones the program names.
# WINEPREFIX may be set by the caller; otherwise it is build/mingw/wineprefix in the tree.
# With POSTWINK_WINE_UNMANAGED=1 the prefix is its sibling "-unmanaged", whose windows are not
# handed to a window manager: the window tests run on a bare display, where Wine would otherwise
# wait two seconds for a manager to acknowledge every window that closes. The end-to-end tests
# keep the managed prefix, in which the X focus follows the windows as on a desktop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/mingw/wineprefix}
unmanaged=${POSTWINK_WINE_UNMANAGED:-}
[ "$unmanaged" != 1 ] || WINEPREFIX=$WINEPREFIX-unmanaged
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# Wine must not try to pull Mono or Gecko from the network, nor talk to a desktop session bus.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=,winemenubuilder.exe=}
unset DBUS_SESSION_BUS_ADDRESS || true

wine_bin=$(command -v wine64 || command -v wine || true)
[ -n "$wine_bin" ] || [ ! -x /usr/lib/wine/wine64 ] || wine_bin=/usr/lib/wine/wine64
if [ -z "$wine_bin" ]; then
  echo "wine-run: Wine is not installed (run scripts/setup.sh)" >&2
  exit 127
fi
wineserver_bin=$(command -v wineserver || true)
[ -n "$wineserver_bin" ] || wineserver_bin=/usr/lib/wine/wineserver

# Writes a registry file (UTF-16 with a byte order mark, as regedit reads it) from standard
# input and imports it into the prefix $1.
import_reg() {
  local prefix=$1 reg=$1/import.$$.reg
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
  WINEPREFIX=$prefix "$wine_bin" regedit "$(winepath_of "$reg")" </dev/null >/dev/null 2>&1
  rm -f "$reg"
}

# A REG_MULTI_SZ of ASCII strings as regedit's hex(7) bytes.
multi_sz() {
  local out="" s c i
  for s in "$@"; do
    for ((i = 0; i < ${#s}; i++)); do
      printf -v c '%02x,00,' "'${s:i:1}"
      out+=$c
    done
    out+='00,00,'
  done
  printf 'hex(7):%s00,00' "$out"
}

# The Japanese faces lack Hangul, simplified Chinese, Thai and emoji. As Windows links its own
# faces to fonts of other scripts, these links let GDI and Uniscribe take the missing glyphs
# from the Noto CJK fonts, Loma and Symbola (scripts/setup.sh installs them).
font_links() {
  local links
  links=$(multi_sz 'NotoSansCJK-Regular.ttc,Noto Sans CJK SC' \
    'NotoSansCJK-Regular.ttc,Noto Sans CJK KR' 'Loma.ttf,Loma' 'Symbola_hint.ttf,Symbola')
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
  printf '"%s"=%s\r\n' 'IPAPGothic' "$links" 'IPAGothic' "$links" 'IPAPMincho' "$links" \
    'IPAMincho' "$links" 'IPA Pゴシック' "$links" 'IPAゴシック' "$links" 'IPA P明朝' "$links" \
    'IPA明朝' "$links" 'ＭＳ Ｐゴシック' "$links" 'ＭＳ ゴシック' "$links" 'MS UI Gothic' "$links" \
    'MS PGothic' "$links" 'MS Gothic' "$links" 'ＭＳ Ｐ明朝' "$links" 'ＭＳ 明朝' "$links"
}
# Prefixes made before the links were there get them once; the stamp says they have them.
links_stamp=.postwink-font-links-1

make_prefix() {
  local tmp=$WINEPREFIX.creating.$$
  rm -rf "$tmp"
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    export WINEPREFIX=$tmp
    "$wine_bin" wineboot -i </dev/null >/dev/null 2>&1
    # "ＭＳ Ｐゴシック", "ＭＳ ゴシック" and "MS UI Gothic" are not installed; IPA fonts stand in.
    {
      printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
      printf '"%s"="IPAPGothic"\r\n' 'ＭＳ Ｐゴシック' 'MS PGothic' 'MS UI Gothic' 'MS Shell Dlg' 'MS Shell Dlg 2'
      printf '"%s"="IPAGothic"\r\n' 'ＭＳ ゴシック' 'MS Gothic'
      printf '"%s"="IPAPMincho"\r\n' 'ＭＳ Ｐ明朝' 'MS PMincho'
      printf '"%s"="IPAMincho"\r\n' 'ＭＳ 明朝' 'MS Mincho'
      if [ "$unmanaged" = 1 ]; then
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
      fi
    } | import_reg "$tmp"
    font_links | import_reg "$tmp"
    touch "$tmp/$links_stamp"
    "$wineserver_bin" -w
  )
  # Another process may have finished first; keep whichever prefix is already in place.
  if ! mv -T "$tmp" "$WINEPREFIX" 2>/dev/null; then
    rm -rf "$tmp"
  fi
}

winepath_of() {  # a Unix path inside the prefix's reach as Z:\...
  printf 'Z:%s' "${1//\//\\}"
}

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # One creator at a time: parallel ctest jobs share the prefix.
  exec 9>"$(dirname "$WINEPREFIX")/.wineprefix.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"  # a half-made prefix from an interrupted run
    make_prefix
  fi
  flock -u 9
  exec 9>&-
fi

if [ ! -f "$WINEPREFIX/$links_stamp" ]; then
  exec 9>"$(dirname "$WINEPREFIX")/.wineprefix.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/$links_stamp" ]; then
    font_links | import_reg "$WINEPREFIX"
    touch "$WINEPREFIX/$links_stamp"
  fi
  flock -u 9
  exec 9>&-
fi

# Wine's prefix leaves the type library of Active Accessibility unregistered, so a list's
# accessible object could not be marshalled to a screen reader (or a test asking as one).
if [ ! -f "$WINEPREFIX/.oleacc-registered" ]; then
  "$wine_bin" regsvr32 /s oleacc.dll </dev/null >/dev/null 2>&1 && touch "$WINEPREFIX/.oleacc-registered"
fi

# The caption buttons' font (scripts/setup.sh), also for prefixes made before it was there.
marlett=/usr/local/share/postwink/marlett.ttf
fonts=$WINEPREFIX/drive_c/windows/Fonts
if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
  cp "$marlett" "$fonts/.marlett.$$" && mv -f "$fonts/.marlett.$$" "$fonts/marlett.ttf"
fi

exec "$wine_bin" "$@"
