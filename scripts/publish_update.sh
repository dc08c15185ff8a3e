#!/usr/bin/env bash
# Publishes an update: packs the built Vantorel.exe and Update.exe, writes
# their digests and Update.xml (versions from their version resources) into
# OUT_FOLDER, which a static web server then serves as BASE_URL (.../update/).
# Usage: scripts/publish_update.sh VANTOREL_EXE UPDATE_EXE OUT_FOLDER BASE_URL
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 4 ] || { echo "usage: $0 VANTOREL_EXE UPDATE_EXE OUT_FOLDER BASE_URL" >&2; exit 2; }
tool="$root/build/native/bin/vl_publish_update"
"$root/scripts/build.sh" native --target vl_publish_update >/dev/null
exec "$tool" "$@"
