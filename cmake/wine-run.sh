#!/bin/sh
# Runs a Windows program under wine64 with a private, quiet prefix.
# WINEPREFIX may be set by the caller (the test suite gives each build its own);
# otherwise a per-user prefix under the temporary directory is used.
: "${WINEPREFIX:=${TMPDIR:-/tmp}/vantrel-wine-$(id -u)}"
: "${WINEDEBUG:=-all}"
export WINEPREFIX WINEDEBUG
for wine in "${VANTREL_WINE:-}" /usr/lib/wine/wine64 wine64 wine; do
  [ -n "$wine" ] && command -v "$wine" >/dev/null 2>&1 && exec "$wine" "$@"
done
echo "wine-run.sh: no wine64 found (install Debian's wine64)" >&2
exit 127
