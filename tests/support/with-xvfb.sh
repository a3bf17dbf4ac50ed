#!/bin/sh
# Runs a command with DISPLAY on a fresh Xvfb server of its own (Xvfb picks
# a free display number). Exits 77 when Xvfb is not installed.
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed" >&2; exit 77; }
dir=$(mktemp -d) || exit 1
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$dir/display" 2>"$dir/log" &
server=$!
n=0
until [ -s "$dir/display" ]; do
  n=$((n + 1))
  if [ $n -gt 300 ] || ! kill -0 $server 2>/dev/null; then
    echo "Xvfb did not start:" >&2
    cat "$dir/log" >&2
    kill $server 2>/dev/null
    rm -rf "$dir"
    exit 1
  fi
  sleep 0.1
done
DISPLAY=":$(cat "$dir/display")" "$@"
status=$?
kill $server
wait $server 2>/dev/null
rm -rf "$dir"
exit $status
