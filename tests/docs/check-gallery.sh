#!/usr/bin/env bash
# Draws the gallery afresh and checks it against the committed one: the script
# still runs, every clock is drawn, and no committed picture is stale in size.
# Usage: check-gallery.sh BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
TOCKWISE_BUILD="$1" "$here/docs/make-gallery" "$out" >/dev/null
python3 - "$here/docs/gallery" "$out" <<'PY'
import os, struct, sys
committed, fresh = sys.argv[1], sys.argv[2]

def size(path):
    with open(path, "rb") as f:
        data = f.read(24)
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("%s is not a PNG" % path)
    return struct.unpack(">II", data[16:24])

names = sorted(n for n in os.listdir(fresh) if n.endswith(".png"))
wanted = sorted(n for n in os.listdir(committed) if n.endswith(".png"))
if names != wanted:
    sys.exit("drawn %r, committed %r" % (names, wanted))
for name in names:
    if size(os.path.join(fresh, name)) != size(os.path.join(committed, name)):
        sys.exit("%s: drawn %r, committed %r" % (name, size(os.path.join(fresh, name)),
                                                  size(os.path.join(committed, name))))
print("%d gallery clocks drawn" % len(names))
PY
