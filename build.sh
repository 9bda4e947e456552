#!/usr/bin/env bash
# Set-up and build entry point.
#   ./build.sh demo   build the library and dz, then run the dz tour
#   ./build.sh test   build and run every test, then again under ASan+UBSan,
#                     and the thread test under TSan
#   ./build.sh docs   the HTML reference from the headers (build/docs/html)
# Each command has its own build folder and sets every option it relies on,
# so they can run in any order in one clone.
# Debian packages that are missing are installed first (needs root or sudo).
set -euo pipefail
cd "$(dirname "$0")"

JOBS=${JOBS:-$(nproc)}

need_packages() {  # extra packages...
  local pkgs=(build-essential cmake ninja-build pkg-config libicu-dev libsqlite3-dev
              libgtest-dev libgmock-dev dpkg-dev binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
              libchm-dev fp-utils libgtk-3-dev xvfb xauth xdotool x11-utils python3 "$@")
  local missing=()
  for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep "install ok installed" >/dev/null || missing+=("$p")
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

# Runs every test program of a build folder but the consumer check; fails when
# a program is missing from the folder or no test ran.
run_tests() {  # dir
  local dir=$1 expected listed
  expected=$(find tests -mindepth 2 -maxdepth 2 -name '*.cpp' -printf '%h\n' | sort -u | wc -l)
  listed=$(ctest --test-dir "$dir" -N -E '^consumer$' | grep -c 'Test *#' || true)
  if [ "$listed" -lt "$expected" ]; then
    echo "$dir: $listed test programs registered, $expected expected" >&2
    exit 1
  fi
  # The window tests need a display; xvfb-run gives each run its own.
  local x=()
  [ -n "${DISPLAY:-}" ] || ! command -v xvfb-run >/dev/null || x=(xvfb-run -a -s "-screen 0 1024x768x24")
  "${x[@]}" ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$JOBS" -E '^consumer$'
}

case "${1:-}" in
  demo)
    need_packages
    configure_and_build build/demo -DCMAKE_BUILD_TYPE=Release -DDZ_BUILD_TESTS=OFF \
      -DDZ_BUILD_TOOLS=ON -DDZ_SANITIZE=OFF -DBUILD_SHARED_LIBS=OFF
    ./build/demo/tools/dz/dz demo
    ;;
  test)
    need_packages libbenchmark-dev zlib1g-dev liblz4-dev
    # Every include points down the layers, and the public list matches the tree.
    python3 tools/check_layers.py
    # The benchmarks are built, not run, so that they keep building.
    configure_and_build build/release -DCMAKE_BUILD_TYPE=Release -DDZ_BUILD_TESTS=ON \
      -DDZ_BUILD_TOOLS=ON -DDZ_BUILD_BENCH=ON -DDZ_SANITIZE=OFF -DBUILD_SHARED_LIBS=OFF
    run_tests build/release
    # The whole tree as a shared library, as a packager builds it: tools and
    # tests on, the rest left at its defaults; its tests, then its install.
    configure_and_build build/shared -DBUILD_SHARED_LIBS=ON -DDZ_SANITIZE=OFF \
      -DDZ_BUILD_TESTS=ON -DDZ_BUILD_TOOLS=ON
    run_tests build/shared
    rm -rf build/shared-install
    cmake --install build/shared --prefix build/shared-install >/dev/null
    # The consumer check runs on its own, so that its absence fails the pass;
    # it takes its shared library from the build above.
    DZ_SHARED_BUILD=$PWD/build/shared \
      ctest --test-dir build/release --output-on-failure --no-tests=error -R '^consumer$'
    configure_and_build build/sanitize -DCMAKE_BUILD_TYPE=Debug -DDZ_BUILD_TESTS=ON \
      -DDZ_BUILD_TOOLS=ON -DDZ_SANITIZE=ON -DBUILD_SHARED_LIBS=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      run_tests build/sanitize
    # The threads' first calls into the lazily built state, under TSan: the
    # one program that needs it, so nothing else is built there.
    cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDZ_BUILD_TESTS=ON \
      -DDZ_BUILD_TOOLS=OFF -DDZ_BUILD_GTK=OFF -DDZ_TSAN=ON -DDZ_SANITIZE=OFF \
      -DBUILD_SHARED_LIBS=OFF >/dev/null
    cmake --build build/tsan -j "$JOBS" --target test_threads
    TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan --output-on-failure \
      --no-tests=error -R '^threads$'
    echo "all tests passed (layers, release, shared, ASan+UBSan with the fuzz replays, TSan, consumer check)"
    ;;
  docs)
    need_packages doxygen python3
    # Only the public headers, as cmake/PublicHeaders.cmake lists them.
    DZ_DOCS_INPUT=$(sed -n 's#^[[:space:]]*\(deziva27/[^[:space:]]*\.h\)[[:space:]]*$#\1#p' \
                    cmake/PublicHeaders.cmake | tr '\n' ' ')
    [ -n "$DZ_DOCS_INPUT" ] || { echo "no public headers in cmake/PublicHeaders.cmake" >&2; exit 1; }
    # The system's Python: Doxygen starts the filter once a header.
    DZ_PYTHON=$(command -v /usr/bin/python3 || command -v python3)
    rm -rf build/docs
    mkdir -p build/docs/linemap
    if ! DZ_DOCS_INPUT=$DZ_DOCS_INPUT DZ_DOCS_LINEMAP=build/docs/linemap DZ_PYTHON=$DZ_PYTHON \
         doxygen docs/Doxyfile 2>build/docs/warnings.txt >/dev/null; then
      cat build/docs/warnings.txt >&2
      exit 1
    fi
    echo "reference: build/docs/html/index.html"
    # Fails when a public declaration has no contract or a comment was misread.
    "$DZ_PYTHON" docs/doxygen-report.py build/docs/warnings.txt build/docs/linemap
    ;;
  *)
    echo "usage: $0 demo|test|docs" >&2
    exit 2
    ;;
esac
