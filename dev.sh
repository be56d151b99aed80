#!/usr/bin/env bash
# Builds and runs TOVAREK W, or builds and runs its whole test suite.
#   ./dev.sh run [FILE]   install what is missing, build (Release), start the program
#   ./dev.sh test         install what is missing, build, run every test in a Release
#                         build (with the benchmarks in a short mode and clang-tidy), an
#                         AddressSanitizer/UndefinedBehaviorSanitizer build, a ThreadSanitizer
#                         build of the listing and thumbnail tests, and the fuzzers' corpora
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD

BUILD_PKGS=(cmake ninja-build g++ ccache pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libsqlite3-dev
            libpoppler-qt6-dev
            libgl-dev fonts-dejavu-core fonts-ipafont-gothic qt6-l10n-tools qt6-translations-l10n)
TEST_PKGS=(xvfb xauth xdotool x11-utils imagemagick libjpeg-turbo-progs python3-pil python3-psd-tools python3-numpy python3-xlib
           clang libclang-rt-14-dev clang-tidy libbenchmark-dev libstb-dev
           dpkg-dev file lintian desktop-file-utils appstream man-db poppler-utils libimage-exiftool-perl)

sudo_if_needed() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_if_needed apt-get update -qq
    sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

jobs() { nproc 2>/dev/null || echo 2; }

build() { # build DIR [cmake args...]
  local dir=$1; shift
  cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$(jobs)"
}

cmd=${1:-}
case "$cmd" in
  run)
    shift
    install_missing "${BUILD_PKGS[@]}"
    build "$ROOT/build/release" -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=OFF
    exec "$ROOT/build/release/app/tovarek-w" "$@"
    ;;
  test)
    install_missing "${BUILD_PKGS[@]}" "${TEST_PKGS[@]}"
    total_pass=0; total_fail=0; status=0
    run_suite() { # name dir [ctest args...]
      local name=$1 dir=$2 log
      shift 2
      echo "=== $name ==="
      log=$(mktemp)
      if (cd "$dir" && ctest --output-on-failure -j "$(jobs)" --timeout 900 "$@") 2>&1 | tee "$log"; then :; else status=1; fi
      local line
      line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1 || true)
      if [ -n "$line" ]; then
        local failed total
        failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
        total=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
        total_pass=$((total_pass + total - failed)); total_fail=$((total_fail + failed))
      else
        status=1
      fi
      rm -f "$log"
    }
    build "$ROOT/build/release" -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=ON -DTW_BUILD_BENCH=ON -DTW_WERROR=ON
    run_suite "Release" "$ROOT/build/release"
    echo "=== clang-tidy ==="
    tidy_log=$(mktemp)
    run-clang-tidy -quiet -j "$(jobs)" -p "$ROOT/build/release" \
      "$ROOT/(platform|pens|imagefiles|board|store|settings|setup|tiles|mirror|auxiliary|resources|app|tools)/" >"$tidy_log" 2>&1 || true
    if grep -qE '(warning|error): ' "$tidy_log"; then
      grep -E -A3 '(warning|error): ' "$tidy_log" | head -n 200
      echo "clang-tidy: findings above"; total_fail=$((total_fail + 1))
    else
      echo "clang-tidy: clean"; total_pass=$((total_pass + 1))
    fi
    rm -f "$tidy_log"
    # The checking builds are optimised lightly: they build in two thirds of the time.
    checked=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")
    build "$ROOT/build/sanitize" "${checked[@]}" -DTW_SANITIZE=ON -DTW_BUILD_TESTS=ON -DTW_WERROR=ON
    run_suite "AddressSanitizer + UndefinedBehaviorSanitizer" "$ROOT/build/sanitize"
    # The tests whose worker threads hand thumbnails to the window's thread, under ThreadSanitizer.
    tsan_tests=(test_picturelister test_picturefiles test_mainframe)
    cmake -S "$ROOT" -B "$ROOT/build/tsan" -G Ninja "${checked[@]}" -DTW_TSAN=ON -DTW_BUILD_TESTS=ON \
      -DTW_WERROR=ON >/dev/null
    cmake --build "$ROOT/build/tsan" -j "$(jobs)" --target "${tsan_tests[@]}"
    run_suite "ThreadSanitizer (listing and thumbnails)" "$ROOT/build/tsan" -R "^($(IFS='|'; echo "${tsan_tests[*]}"))\$"
    if command -v clang++ >/dev/null 2>&1; then
      CXX=clang++ build "$ROOT/build/fuzz" "${checked[@]}" -DTW_BUILD_FUZZERS=ON
      run_suite "Fuzz corpora" "$ROOT/build/fuzz"
    fi
    echo "$total_pass passed, $total_fail failed"
    [ "$total_fail" -eq 0 ] || status=1
    exit $status
    ;;
  *)
    echo "usage: $0 run [FILE] | test" >&2
    exit 2
    ;;
esac
