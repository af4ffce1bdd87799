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
python3 - "$root/share/icons/hicolor" <<'PY' || fail "the icons"
import struct, sys
for size in (16, 22, 24, 32, 48, 64, 128, 256, 512):
    try:
        data = open("%s/%dx%d/apps/org.tockwise.Tockwise.png" % (sys.argv[1], size, size), "rb").read(24)
    except OSError as error:
        sys.exit("no %dx%d icon: %s" % (size, size, error))
    if data[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", data[16:24]) != (size, size):
        sys.exit("the %dx%d icon is not a PNG of that size" % (size, size))
PY

if [ "$failures" -ne 0 ]; then
  echo "$failures install check(s) failed" >&2
  exit 1
fi
echo "install checks passed"
