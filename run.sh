#!/usr/bin/env bash
# Installs what is missing, builds, creates a profile when none exists and starts Corvane.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
bin="${CORVANE_BUILD_DIR:-$root/build}/bin"

profile="${CORVANE_PROFILE:-$HOME/Corvane}"
"$bin/corvane-setup" --quiet --profile "$profile"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  cat >&2 <<'MSG'
Corvane is a desktop program and needs a display, but none is set (DISPLAY and WAYLAND_DISPLAY are empty).
Start it from a desktop session, log in with "ssh -X" to forward your display, or run it on a
virtual display:   xvfb-run -a ./run.sh
MSG
  exit 1
fi
exec "$bin/Corvane"
