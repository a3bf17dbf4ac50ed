#!/usr/bin/env bash
# Installs the Debian 12 packages that piko's build, tests and player need.
# Does nothing when they are all present. Runs apt-get as root, sudo otherwise.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config make ccache
  # clang for the sanitizer build and the fuzz targets
  clang-14 libclang-rt-14-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # the window tests run on a virtual X server
  xvfb
  # the player
  libsdl2-dev libx11-dev zlib1g-dev libjpeg62-turbo-dev
  # sound and movies: FFmpeg's libraries, FluidSynth and a General MIDI soundfont
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libswscale-dev
  libfluidsynth-dev fluid-soundfont-gm
  # reading reference pictures in the tests; PNG pictures packed by piko-tool
  libpng-dev
  # the MP3 benchmark encodes its stream with LAME and compares with
  # libmpg123, both loaded at run time (the player uses neither)
  libmp3lame0 libmpg123-0
  # text: FreeType, fontconfig and the IPA Gothic and Mincho faces
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-ipafont-mincho
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt_get=(apt-get)
else
  apt_get=(sudo apt-get)
fi
export DEBIAN_FRONTEND=noninteractive
"${apt_get[@]}" update -qq
"${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"
