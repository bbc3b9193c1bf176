#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix (made on first use, about 15 s).
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]
# The prefix lives in build/wine unless WINEPREFIX says otherwise; no display is needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installers (they need the network)

if [[ ! -f $WINEPREFIX/.lumora-ready ]]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  # Unmanaged windows (no 2 s wait on close without a window manager), ALSA sound, and a crash
  # that ends the program at once instead of waiting on a dialog.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d alsa /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.lumora-ready"
fi
exec wine "$@"
