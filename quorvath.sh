#!/usr/bin/env bash
# Sets up, builds and runs the game and its tools on Debian 12.
#   ./quorvath.sh play    install what is missing, build, make the demo world's pictures and music, start the game
#   ./quorvath.sh test    the same set-up, then the whole test suite
#   ./quorvath.sh bench   the same set-up, then the benchmarks (figures only, never asserted)
#   ./quorvath.sh package the same set-up, then the Debian package build/quorvath_VERSION_amd64.deb
#   ./quorvath.sh fuzz [SECONDS]   build the fuzz targets with clang and run each for SECONDS (default 600)
#   ./quorvath.sh sanitize  build with AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize, then the
#                           validator on the demo world and the whole test suite (the playthrough script included)
#   ./quorvath.sh format  lay out every C++ file of ours as .clang-format says, in place
#   ./quorvath.sh lint    clang-tidy (.clang-tidy) over src and tools; prints what it finds, never fails
set -euo pipefail
cd "$(dirname "$0")"
top=$(pwd)

packages=(build-essential cmake pkg-config libsdl2-dev libsdl2-mixer-dev libcairo2-dev
  libpango1.0-dev libpng-dev libx11-dev libpugixml-dev libtomlplusplus-dev libgettextpo-dev gettext nlohmann-json3-dev libgtest-dev
  python3 fonts-ipafont-gothic lame xvfb xdotool x11-utils imagemagick openbox desktop-file-utils appstream dpkg-dev
  lintian clang-format clang-tidy libxml2-utils)

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

configure() {
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVATH_WERROR=$werror >/dev/null
}

build() {
  configure
  # The build also makes the demo world's pictures and music (by our own tool, never checked in) and the icons.
  cmake --build "$top/build" -j "$(nproc)"
}

# Every C++ file of ours, NUL-separated, in a stable order.
cpp_files() {
  (cd "$top" && find src tools tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
}

# Fails when a C++ file is not laid out as .clang-format says. The check is armed by the file .format-checked
# at the top of the tree, committed together with the one commit that formats the whole tree: until then the
# code written before .clang-format existed would fail it. Without the marker the check passes silently.
check_format() {
  [ -f "$top/.format-checked" ] || return 0
  if ! (cd "$top" && cpp_files | xargs -0 clang-format --dry-run --Werror); then
    echo "unformatted code: run ./quorvath.sh format" >&2
    return 1
  fi
}

case "${1:-}" in
  play)
    install_packages
    build
    cd "$top/game" && exec "$top/build/quorvath"
    ;;
  test)
    install_packages
    check_format
    # The floors of src/ (docs/architecture.md): no include runs upwards or sideways, no units in a circle.
    python3 "$top/tools/floors/check_floors.py" "$top/src"
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
      # The floor's minimal window is started by quorvath-bench-floor, which sets it beside the game.
      [ "$(basename "$b")" = quorvath-bench-floor_window ] && continue
      (cd "$top/game" && "$b")
    done
    # The playthrough follows the demo world's scripted route (fights included), then its own tour.
    "$top/build/quorvath-bench-playthrough" "$top/game" "$top/tests/play/playthrough.sim"
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
    # What fontconfig keeps for the whole process is not a leak of ours (see the file). Set before the build,
    # which runs the instrumented asset tool to make the demo world.
    export LSAN_OPTIONS="suppressions=$top/tests/leak_suppressions.txt:print_suppressions=0"
    CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-fuzz" -DQUORVATH_FUZZ=ON >/dev/null
    cmake --build "$top/build-fuzz" -j "$(nproc)"
    for f in "$top"/build-fuzz/*_fuzz; do
      name=$(basename "$f")
      mkdir -p "$top/build-fuzz/corpus/$name"
      # A target's own libFuzzer options, one line in fuzz/NAME.options: the whole game's needs long inputs at once.
      options=()
      if [ -f "$top/fuzz/$name.options" ]; then read -r -a options < "$top/fuzz/$name.options"; fi
      "$f" "${options[@]}" -max_total_time="$secs" -timeout=10 "$top/build-fuzz/corpus/$name" \
        "$top/fuzz/corpus/${name%_fuzz}"
    done
    ;;
  sanitize)
    install_packages
    started=$(date +%s)
    # Leaks are reported only for our own code: what the system libraries keep for the whole process (fonts,
    # pango's and SDL's caches) is listed in the suppressions. Undefined behaviour stops the program.
    # Set before the build, which runs the sanitized asset tool to make the demo world.
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
    export LSAN_OPTIONS="suppressions=$top/tests/leak_suppressions.txt:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    cmake -S "$top" -B "$top/build-sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVATH_SANITIZE=ON >/dev/null
    cmake --build "$top/build-sanitize" -j "$(nproc)"
    "$top/build-sanitize/quorvath-check" "$top/game"
    # Sanitized code runs a few times slower: each test gets longer than in the plain suite. In a real window the
    # display drivers SDL loads keep state of their own and are unloaded before the end, so a leak report there
    # cannot tell whose memory it was: the window tests run with memory errors and undefined behaviour checked
    # but without the leak report, which every headless test (the game's whole logic) keeps.
    (cd "$top/build-sanitize" && ctest --output-on-failure -j "$(nproc)" --timeout 1800 -L headless)
    (cd "$top/build-sanitize" && ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" ctest --output-on-failure --timeout 1800 -L window)
    echo "sanitize: the validator and the whole suite passed in $(($(date +%s) - started)) s"
    ;;
  format)
    install_packages
    cd "$top" && cpp_files | xargs -0 clang-format -i
    ;;
  lint)
    install_packages
    configure
    # Each finding is printed once (one in a header would show for every file that includes it), then their
    # number. Findings never fail the run.
    run-clang-tidy -p "$top/build" -quiet -j "$(nproc)" "$top/(src|tools)/" 2>/dev/null |
      sed 's/\x1b\[[0-9;]*m//g' |
      awk '/^clang-tidy/ { next }
           /^\/.*: (warning|error): / { seen = ($0 in found); if (!seen) count++; found[$0] = 1 }
           !seen { print }
           END { print count + 0 " findings" }' || true
    ;;
  *)
    echo "usage: $0 play|test|bench|package|fuzz [SECONDS]|sanitize|format|lint" >&2
    exit 2
    ;;
esac
