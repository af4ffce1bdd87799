#!/usr/bin/env bash
# Installs a build into a scratch DESTDIR, as a packager would, and checks what
# lands there with the desktop's own validators.
# Usage: check-install.sh BUILD_DIR
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
prefix=/opt/tockwise-check

DESTDIR="$stage" cmake --install "$build" --prefix "$prefix" >/dev/null
root="$stage$prefix"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

binary="$root/bin/tockwise"
desktop="$root/share/applications/org.tockwise.Tockwise.desktop"
metainfo="$root/share/metainfo/org.tockwise.Tockwise.metainfo.xml"
manpage="$root/share/man/man1/tockwise.1"
for f in "$binary" "$desktop" "$metainfo" "$manpage" \
  "$root/share/icons/hicolor/scalable/apps/org.tockwise.Tockwise.svg"; do
  [ -f "$f" ] || fail "not installed: ${f#"$stage"}"
done
[ "$failures" -eq 0 ] || exit 1

desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q '@' "$metainfo" "$manpage" && fail "an unconfigured @VARIABLE@ is left"

# The menu starts the installed program, and the software centre knows it by name.
grep -q '^Exec=tockwise$' "$desktop" || fail "the desktop entry does not start tockwise"
grep -q '<binary>tockwise</binary>' "$metainfo" || fail "metainfo names no binary"

# The manual page renders without a warning and documents every option the
# program offers.
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manpage" 2>&1 >/dev/null || true)
[ -z "$warnings" ] || fail "man page warnings: $warnings"
page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$manpage" 2>/dev/null | col -b)
options=$(LANG=C LC_ALL= LANGUAGE= QT_QPA_PLATFORM=offscreen "$binary" --help |
  grep -oE -- '--[a-z][a-z-]*' | sort -u)
[ -n "$options" ] || fail "tockwise --help names no option"
for option in $options; do
  grep -qe "$option" <<<"$page" || fail "the man page does not document $option"
done

# Every usual icon size, each PNG exactly as large as its folder says.
for size in 16 22 24 32 48 64 128 256 512; do
  png="$root/share/icons/hicolor/${size}x${size}/apps/org.tockwise.Tockwise.png"
  if [ ! -f "$png" ]; then
    fail "no ${size}x${size} icon"
    continue
  fi
  python3 - "$png" "$size" <<'PY' || fail "${size}x${size} icon is wrong"
import struct, sys
data = open(sys.argv[1], "rb").read(64)
size = int(sys.argv[2])
if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
    sys.exit("not a PNG")
width, height = struct.unpack(">II", data[16:24])
if (width, height) != (size, size):
    sys.exit("%dx%d" % (width, height))
PY
done

if [ "$failures" -ne 0 ]; then
  echo "$failures install check(s) failed" >&2
  exit 1
fi
echo "install checks passed"
