#!/usr/bin/env bash
# Line coverage of the library, the plug-ins and dz by the test programs, and the
# ratio of test lines to code lines. A developer tool, not part of CI.
#   tools/coverage.sh            configure, build, run every test program, report
#   tools/coverage.sh ratio      only the test-to-code line ratio
# BUILD_DIR (default build/cov) is the coverage build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build/cov}
JOBS=${JOBS:-2}

nonblank() { xargs -0 cat | grep -cv '^[[:space:]]*$'; }

# The locale table is generated from recorded Windows answers: data in the
# form of code, so the ratio is given without it and with it.
ratio() {
  local tests code table
  tests=$(find tests \( -path tests/oracle -o -path 'tests/*/data' \) -prune -o \
            -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | nonblank)
  code=$(find deziva27 plugins tools/dz -type f \( -name '*.cpp' -o -name '*.h' \) \
            ! -path deziva27/platform/LocaleTable.cpp -print0 | nonblank)
  table=$(printf '%s\0' deziva27/platform/LocaleTable.cpp | nonblank)
  awk -v t="$tests" -v c="$code" -v l="$table" \
    'BEGIN { printf "test lines %d, code lines %d, ratio %.3f", t, c, t / c
             printf " (%.3f with the %d lines of the locale table)\n", t / (c + l), l }'
}

if [ "${1:-}" = ratio ]; then
  ratio
  exit 0
fi

# Atomic counters: the library runs threads of its own, and counters they
# race on would make two runs of the same tests disagree line by line.
cov="--coverage -fprofile-update=atomic"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDZ_BUILD_TESTS=ON \
  -DDZ_BUILD_TOOLS=ON -DDZ_SANITIZE=OFF -DBUILD_SHARED_LIBS=OFF \
  -DCMAKE_CXX_FLAGS="$cov" -DCMAKE_C_FLAGS="$cov" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage \
  -DCMAKE_MODULE_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"

# Counters from an earlier run would add to this one.
find "$BUILD_DIR" -name '*.gcda' -delete
x=()
[ -n "${DISPLAY:-}" ] || x=(xvfb-run -a -s "-screen 0 1024x768x24")
"${x[@]}" ctest --test-dir "$BUILD_DIR" -j "$JOBS" --output-on-failure -E '^consumer$' || true

# gcov runs once, into one tracefile, which each part is then read from.
gcovr -r . --gcov-ignore-parse-errors --json "$BUILD_DIR/coverage.json" "$BUILD_DIR" 2>/dev/null
for part in deziva27 plugins tools/dz; do
  printf '%-9s ' "$part"
  gcovr -r . --add-tracefile "$BUILD_DIR/coverage.json" -f "$part/" -s 2>/dev/null | grep '^lines:'
done
ratio
