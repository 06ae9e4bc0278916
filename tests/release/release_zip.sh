#!/usr/bin/env bash
# The release zip in dist/ (scripts/package.sh) as a user gets it: exactly the files a user needs,
# README.txt ready for Notepad, every entry dated at the commit, SHA256SUMS matching; unpacked
# into a folder whose path holds Japanese and a space, postwink-cli.exe prints the version the
# zip is named after, and Postwink.exe started there without a settings file opens the settings
# sheet of a first start, shows that version in its About box, exits cleanly and leaves its
# settings file in that folder.
source "$(dirname "$0")/../e2e/lib/common.bash"

cd "$E2E_ROOT" || exit 1
zips=(dist/Postwink-*-win64.zip)
check "dist holds one zip and SHA256SUMS, nothing else" \
  test "$(ls dist | tr '\n' ' ')" = "$(basename "${zips[0]}") SHA256SUMS "
zip=${zips[0]}
[ -f "$zip" ] || finish
check "SHA256SUMS matches the zip" bash -c 'cd dist && sha256sum --quiet -c SHA256SUMS'

# The version the zip must carry: the project's, marked as a development build unless the
# commit is tagged with it.
project=$(sed -nE 's/^project\(Postwink VERSION ([0-9.]+) .*/\1/p' CMakeLists.txt)
if git describe --tags --exact-match --match "v$project" HEAD >/dev/null 2>&1; then
  version=$project
else
  version=$project-dev+$(git rev-parse --short=10 HEAD)
fi
check "the zip is named after the version $version" test "$zip" = "dist/Postwink-$version-win64.zip"

# The listing, the dates and the README's form, read the way Windows reads a zip.
listing=$(python3 - "$zip" "$(git log -1 --format=%ct HEAD)" <<'EOF'
import sys, time, zipfile
z = zipfile.ZipFile(sys.argv[1])
stamp = time.gmtime(int(sys.argv[2]) // 2 * 2)[:6]  # a zip keeps even seconds
for info in z.infolist():
    print(info.filename, "commit-time" if info.date_time == stamp else info.date_time)
readme = z.read("README.txt")
print("README: BOM" if readme.startswith(b"\xef\xbb\xbf") else "README: no BOM")
print("README: CR LF" if readme.count(b"\n") == readme.count(b"\r\n") > 0 else "README: bare LF")
EOF
)
expected='Postwink.exe commit-time
postwink-cli.exe commit-time
README.txt commit-time
LICENSE.txt commit-time
licenses/GCC-runtime-libraries.txt commit-time
licenses/GPL-3.txt commit-time
licenses/MinGW-w64-runtime-and-winpthreads.txt commit-time
README: BOM
README: CR LF'
check "the zip holds exactly the programs, README.txt and the licences, dated at the commit" \
  test "$listing" = "$expected"
[ "$listing" = "$expected" ] || diff <(echo "$expected") <(echo "$listing")

# Unpacked where a Windows user might: a folder with Japanese characters and a space.
E2E_WORK="$E2E_WORK/ダウンロード/メール 確認"
mkdir -p "$E2E_WORK"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$zip" "$E2E_WORK"
check "postwink-cli.exe prints the version" \
  test "$(wine_run "$E2E_WORK/postwink-cli.exe" --version | tr -d '\r')" = "postwink-cli $version"

TEMP=$(temp_dir)
E2E_CLEANUP_EXTRA='rm -rf "${TEMP}Postwink"'
start_program
sheet=$(drv find --title 'Postwink の設定' --visible 1 --timeout 30000 | awk '{print $1; exit}')
check "a first start from the folder opens the settings sheet" test -n "$sheet"
if [ -n "$sheet" ]; then
  check "the sheet offers an empty account" \
    test "$(drv gettext "$sheet" 1010 | tr -d '\r')" = MAILBOX-1
  screenshot first-start
fi
hwnd=$(main_window)
check "the program is running" test -n "$hwnd"
[ -n "$hwnd" ] || finish
drv post "$hwnd" 0x111 16 0 >/dev/null  # the tray menu's About box
about=$(drv find --title 'Postwinkのﾊﾞｰｼﾞｮﾝ情報' --visible 1 --timeout 10000 | awk '{print $1; exit}')
check "the About box shows the version" grep -qxF "Postwink version :$version" \
  <(drv text "$about" | tr -d '\r')
check "the exit command ends the program" exit_program "$hwnd"
check "it exits with status 0" test "${EXIT_STATUS:-1}" = 0
check "no window of the program is left" no_window --class PostwinkTrayWnd
check "its temporary folder is removed" test ! -e "${TEMP}Postwink"
check "the settings file is written beside the program" test -s "$E2E_WORK/Postwink.ini"
finish
