#!/usr/bin/env bash
# Builds and runs TOVAREK W, or builds and runs its whole test suite.
#   ./dev.sh run [FILE]   install what is missing, build (Release), start the program
#   ./dev.sh test         install what is missing, build, run every test in a Release
#                         build and in an AddressSanitizer/UndefinedBehaviorSanitizer build
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD

BUILD_PKGS=(cmake ninja-build g++ ccache pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
            libgl-dev fonts-dejavu-core fonts-ipafont-gothic)
TEST_PKGS=(xvfb xauth xdotool x11-utils imagemagick python3-pil python3-psd-tools python3-numpy python3-xlib
           clang libclang-rt-14-dev)

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
    run_suite() { # name dir
      local name=$1 dir=$2 log
      echo "=== $name ==="
      log=$(mktemp)
      if (cd "$dir" && ctest --output-on-failure -j "$(jobs)" --timeout 900) 2>&1 | tee "$log"; then :; else status=1; fi
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
    build "$ROOT/build/release" -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=ON
    run_suite "Release" "$ROOT/build/release"
    build "$ROOT/build/sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_SANITIZE=ON -DTW_BUILD_TESTS=ON
    run_suite "AddressSanitizer + UndefinedBehaviorSanitizer" "$ROOT/build/sanitize"
    if command -v clang++ >/dev/null 2>&1; then
      CXX=clang++ build "$ROOT/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_BUILD_FUZZERS=ON
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
