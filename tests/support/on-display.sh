#!/bin/sh
# Runs a windowed program on a virtual X display of its own (Xvfb, with Mesa's GLX), then ends
# the display and the Wine server that drew on it, so no later test inherits either.
set -u
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
tries=0
until [ -s "$dir/display" ]; do
  tries=$((tries + 1))
  if [ $tries -gt 200 ] || ! kill -0 $xvfb 2>/dev/null; then
    echo "on-display: Xvfb did not start" >&2
    cat "$dir/xvfb.log" >&2
    rm -rf "$dir"
    exit 1
  fi
  sleep 0.05
done
DISPLAY=:$(cat "$dir/display")
export DISPLAY
"$@"
status=$?
if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null; fi
kill $xvfb 2>/dev/null
wait $xvfb 2>/dev/null
rm -rf "$dir"
exit $status
