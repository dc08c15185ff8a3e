#!/usr/bin/env bash
# Publishes an update: packs the built Vantorel.exe and Update.exe, writes
# their digests and Update.xml (versions from their version resources) and
# its signature Update.xml.sig, made with the private key KEY.pem, into
# OUT_FOLDER, which a static web server then serves as BASE_URL (.../update/).
# Usage: scripts/publish_update.sh --key KEY.pem [--valid-days N] VANTOREL_EXE UPDATE_EXE OUT_FOLDER BASE_URL
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 6 ] || { echo "usage: $0 --key KEY.pem [--valid-days N] VANTOREL_EXE UPDATE_EXE OUT_FOLDER BASE_URL" >&2; exit 2; }
tool="$root/build/native/bin/vl_publish_update"
"$root/scripts/build.sh" native --target vl_publish_update >/dev/null
exec "$tool" "$@"
