#!/usr/bin/env bash
# Installs what is missing, builds, creates a profile when none exists and starts Corvane
# (with the local demo search engine that the starter engine scripts ask).
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
bin="${CORVANE_BUILD_DIR:-$root/build}/bin"

profile="${CORVANE_PROFILE:-$HOME/Corvane}"
# A new profile gets the project "Demo" with a month of history, mined by Harvester
# from a demo engine that corvane-setup starts for the purpose (about a minute).
if [ ! -e "$profile/Data/CVProject.dat" ]; then
  echo "Creating the profile $profile with the demo project and its history..." >&2
fi
"$bin/corvane-setup" --quiet --demo --profile "$profile"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  cat >&2 <<'MSG'
Corvane is a desktop program and needs a display, but none is set (DISPLAY and WAYLAND_DISPLAY are empty).
Start it from a desktop session, log in with "ssh -X" to forward your display, or run it on a
virtual display:   xvfb-run -a ./run.sh
MSG
  exit 1
fi
# The starter engine scripts ask the local demo search engine; start it
# for this session unless something already answers on its port.
if ! (exec 3<>/dev/tcp/127.0.0.1/8765) 2>/dev/null; then
  # The engine's rankings move from day to day; today's day continues the demo history.
  today=$(( $(date -u -d "$(date +%F)" +%s) / 86400 ))
  "$bin/demo-engine" --port 8765 --day "$today" >/dev/null 2>&1 &
  demo_pid=$!
  trap 'kill "$demo_pid" 2>/dev/null' EXIT
fi
"$bin/Corvane"
