#!/bin/sh
# CPU use of one core while the windowed player loops an MP3 on the built-in
# decoder and waits for a click, beside the same wait without music. Runs
# under Xvfb with SDL's dummy sound driver (xvfb-run must be installed).
#   scripts/mp3-cpu.sh [BUILD] [MP3] [SECONDS]
set -e
BUILD=${1:-build}
MP3=${2:-demo/music/tune.mp3}
SECONDS_MEASURED=${3:-30}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

make_game() {  # name, scenario lines
  mkdir -p "$WORK/$1/src/music"
  printf '＃ゲーム名\nCPU\n＃注意オフ\n' >"$WORK/$1/src/piko.ini"
  printf "$2" >"$WORK/$1/src/start.scn"
  cp "$MP3" "$WORK/$1/src/music/song.mp3"
  "$BUILD/piko-tool" pack "$WORK/$1/src" "$WORK/$1/game" >/dev/null
}
make_game music '＃ＭＰ３ ループ\nmusic\\song\n＃クリック待ち\n'
make_game quiet '＃クリック待ち\n'

cat >"$WORK/measure.sh" <<EOF
for game in music quiet; do
  SDL_AUDIODRIVER=dummy "$BUILD/piko" --window "$WORK/\$game/game" >/dev/null 2>&1 &
  pid=\$!
  sleep 3
  t0=\$(awk '{print \$14 + \$15}' /proc/\$pid/stat)
  sleep $SECONDS_MEASURED
  t1=\$(awk '{print \$14 + \$15}' /proc/\$pid/stat)
  kill \$pid
  wait \$pid 2>/dev/null || true
  awk -v g=\$game -v d=\$((t1 - t0)) -v hz=\$(getconf CLK_TCK) \
    'BEGIN { printf "%s: %.2f %% of one core\n", g, 100 * d / hz / $SECONDS_MEASURED }'
done
EOF
xvfb-run -a -s "-screen 0 1024x768x24" sh "$WORK/measure.sh"
