#!/usr/bin/env bash
# Set-up and build entry point.
#   ./build.sh demo   build the library and dz, then run the dz tour
#   ./build.sh test   build and run every test, then again under ASan+UBSan
# Debian packages that are missing are installed first (needs root or sudo).
set -euo pipefail
cd "$(dirname "$0")"

JOBS=${JOBS:-$(nproc)}

need_packages() {
  local pkgs=(build-essential cmake ninja-build pkg-config libicu-dev libsqlite3-dev
              libgtest-dev libgmock-dev)
  local missing=()
  for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

configure_and_build() {  # dir, extra cmake args...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

case "${1:-}" in
  demo)
    need_packages
    configure_and_build build/release -DCMAKE_BUILD_TYPE=Release -DDZ_BUILD_TESTS=OFF
    ./build/release/tools/dz/dz demo
    ;;
  test)
    need_packages
    configure_and_build build/release -DCMAKE_BUILD_TYPE=Release
    ctest --test-dir build/release --output-on-failure -j "$JOBS"
    configure_and_build build/sanitize -DCMAKE_BUILD_TYPE=Debug -DDZ_SANITIZE=ON
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir build/sanitize --output-on-failure -j "$JOBS"
    echo "all tests passed (release and ASan+UBSan)"
    ;;
  *)
    echo "usage: $0 demo|test" >&2
    exit 2
    ;;
esac
