#!/usr/bin/env bash
# Sets up, builds and runs the game and its tools on Debian 12.
#   ./quorvath.sh play    install what is missing, build, make the demo world's pictures and music, start the game
#   ./quorvath.sh test    the same set-up, then the whole test suite
#   ./quorvath.sh bench   the same set-up, then the benchmarks (figures only, never asserted)
#   ./quorvath.sh package the same set-up, then the Debian package build/quorvath_VERSION_amd64.deb
#   ./quorvath.sh fuzz [SECONDS]   build the fuzz targets with clang and run each for SECONDS (default 600)
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)

packages=(build-essential cmake pkg-config libsdl2-dev libsdl2-mixer-dev libcairo2-dev
  libpango1.0-dev libpng-dev libpugixml-dev libtomlplusplus-dev nlohmann-json3-dev libgtest-dev
  fonts-ipafont-gothic lame xvfb xdotool x11-utils imagemagick openbox desktop-file-utils appstream dpkg-dev)

install_packages() {
  local missing=()
  for p in "${packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
}

build() {
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVATH_WERROR=$werror >/dev/null
  # The build also makes the demo world's pictures and music (by our own tool, never checked in) and the icons.
  cmake --build "$top/build" -j "$(nproc)"
}

case "${1:-}" in
  play)
    install_packages
    build
    cd "$top/game" && exec "$top/build/quorvath"
    ;;
  test)
    install_packages
    build
    # The demo world must pass the validator with no error before anything else is tested.
    "$top/build/quorvath-check" "$top/game"
    cd "$top/build" && ctest --output-on-failure -j "$(nproc)" --timeout 600
    ;;
  bench)
    install_packages
    build
    for b in "$top"/build/quorvath-bench-*; do
      [ "$(basename "$b")" = quorvath-bench-playthrough ] && continue
      (cd "$top/game" && "$b")
    done
    # The playthrough follows the demo world's planned route when python3 can plan it, then its own tour.
    route="$top/build/playthrough-route.txt"
    python3 "$top/tools/world_layout/route.py" >"$route" 2>/dev/null || route=""
    "$top/build/quorvath-bench-playthrough" "$top/game" ${route:+"$route"}
    "$top/bench/cpu_share.sh" "$top/build/quorvath" "$top/game" 5
    ;;
  package)
    install_packages
    build
    # Depends: the shared libraries the programs link (dpkg-shlibdeps) and the font.
    cd "$top/build" && cpack -G DEB
    ;;
  fuzz)
    install_packages clang libclang-rt-14-dev
    secs=${2:-600}
    CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-fuzz" -DQUORVATH_FUZZ=ON >/dev/null
    cmake --build "$top/build-fuzz" -j "$(nproc)"
    for f in "$top"/build-fuzz/*_fuzz; do
      name=$(basename "$f")
      mkdir -p "$top/build-fuzz/corpus/$name"
      "$f" -max_total_time="$secs" -timeout=10 "$top/build-fuzz/corpus/$name" "$top/fuzz/corpus/${name%_fuzz}"
    done
    ;;
  *)
    echo "usage: $0 play|test|bench|package|fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
