#!/usr/bin/env bash
# Runs a Windows program under wine on a screen of DPI pixels per inch, telling it that density in
# TARNIX_EXPECTED_DPI. Wine takes the density from the prefix when a program starts: it is set there for
# the run and put back to 96 after it, whatever the run's outcome.
# Usage: at_dpi.sh DPI PROGRAM [ARGUMENT...]   (WINEPREFIX as for the other tests)
set -euo pipefail
dpi=$1
shift
set_dpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
trap 'set_dpi 96' EXIT
set_dpi "$dpi"
TARNIX_EXPECTED_DPI=$dpi wine "$@"
