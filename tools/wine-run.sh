#!/bin/bash
# Starts a Windows program under the Wine of the environment the run is in: ctest's command.
# A locale a test entry asks for stays (wine-env.sh sets one for scripts that have none).
locale=${LC_ALL:-}
. "$(dirname "$0")/wine-env.sh"
[ -z "$locale" ] || export LC_ALL=$locale
# A newer Wine upgrades a prefix for itself: Wine 10 keeps one of its own beside Wine 8's.
[ -z "${KS_WINE10:-}" ] || export WINEPREFIX=$WINEPREFIX-wine10
# An entry that needs a session at another DPI gets one, and leaves the default one behind it.
if [ -n "${KS_SESSION_DPI:-}" ]; then
  new_session "$KS_SESSION_DPI" || exit 1
  trap new_session EXIT
fi
wine_run "$@"
