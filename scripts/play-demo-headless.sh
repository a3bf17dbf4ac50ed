#!/bin/sh
# Plays the packed demo game headless to its end, as `make run` does without
# a display: every scene but the red-report one, then "終わる". Exits with
# piko's status; the tests run it too, so its output is part of the check.
# usage: scripts/play-demo-headless.sh BUILD_DIR
set -u
build=${1:-build}
here=$(dirname "$0")
shot="$build/demo-screenshot.png"
"$build/piko" --headless --input "$here/demo-input.txt" --screenshot "$shot" "$build/demo"
status=$?
if [ $status -eq 0 ]; then
  echo "The demo ran to its end. Its last frame is in $shot"
else
  echo "piko stopped with exit status $status" >&2
fi
exit $status
