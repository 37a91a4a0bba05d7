#!/usr/bin/env bash
# Runs the desktop program's main job the way a user would: starts shelfwright
# on the bundled TinyPad library, presses Enter (the default button "Process"),
# confirms "Processing Complete" and leaves through Library > Exit. Keys are
# typed with xdotool; without a display the script runs itself under xvfb-run.
# The language files and lib.ini land in build/example/TinyPad.
#
#   bash scripts/desktop-example.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
bin="$root/build/default/src/ui/shelfwright"
if [ ! -x "$bin" ]; then
  cmake --preset default -G Ninja
  cmake --build --preset default --target shelfwright
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

out="$root/build/example/TinyPad"
rm -f "$out"/TinyPad.*.lng "$out"/lib.ini
# The window saves its settings when it closes: it works on a copy, so the
# committed example stays as it is. Its folders are relative to examples/tinypad.
mkdir -p "$root/build/example"
settings="$root/build/example/tinypad.ini"
cp examples/tinypad/tinypad.ini "$settings"
cd examples/tinypad
"$bin" --settings "$settings" &
pid=$!
wid=""
for _ in $(seq 1 100); do
  wid="$(xdotool search --name '^Shelfwright$' 2>/dev/null | head -n 1 || true)"
  [ -n "$wid" ] && break
  sleep 0.1
done
if [ -z "$wid" ]; then
  echo "the main window did not appear" >&2
  kill "$pid" 2>/dev/null || true
  exit 1
fi
echo "== The main window is up; pressing Enter (Process)"
xdotool windowfocus --sync "$wid"
sleep 0.5
xdotool key Return
for _ in $(seq 1 100); do
  [ -f "$out/lib.ini" ] && break
  sleep 0.1
done
sleep 0.5
if xdotool search --name '^Error' > /dev/null 2>&1; then
  echo "the run reported an error" >&2
fi
echo "== Confirming \"Processing Complete\" and leaving through Library > Exit"
xdotool key Return
sleep 0.3
xdotool windowfocus --sync "$wid"
xdotool key alt+l
sleep 0.3
xdotool key x
status=0
wait "$pid" || status=$?
echo "== shelfwright ended with status $status; written to $out"
ls -l "$out"
[ -f "$out/lib.ini" ] && [ "$status" -eq 0 ]
