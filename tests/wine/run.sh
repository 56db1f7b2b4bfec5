#!/usr/bin/env bash
# The comparison of the Windows build under Wine with the Linux build.
#
#   tests/wine/run.sh [path/to/linux/layrix]
#
# Builds build-win64/layrix.exe when needed (scripts/build-windows), then runs
# tests/wine/compare.py against a fresh Wine prefix, then tests/wine/terminal.py,
# which runs layrix.exe on a terminal (its console).  As root it installs
# wine64, python3 and the MinGW-w64 packages with apt-get when they are missing.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
linux="${1:-$here/build/layrix}"

"$here/scripts/ensure-packages" wine64 python3
"$here/scripts/build-windows" win64 >/dev/null
if [ ! -x "$linux" ]; then
  echo "wine comparison: the Linux build is missing: $linux (run scripts/build first)" >&2
  exit 1
fi
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine64 || true)"
if [ -z "$wine" ]; then
  echo "wine comparison: wine64 is installed but /usr/lib/wine/wine64 is missing" >&2
  exit 1
fi
python3 "$here/tests/wine/compare.py" --linux "$linux" \
  --exe "$here/build-win64/layrix.exe" --wine "$wine"
exec python3 "$here/tests/wine/terminal.py" --exe "$here/build-win64/layrix.exe" --wine "$wine"
