#!/usr/bin/env bash
# The library as other projects meet it. Arguments: source dir, build dir of
# the (static) library. Builds tests/consumer/project
#   - from the sources (add_subdirectory),
#   - against a static install and a shared install, each through
#     find_package and through plain and --static pkg-config,
#   - against the Debian package cpack makes of the shared build,
# and checks that dlopen/dlclose of libdeziva27.so starts and stops every unit
# once, in order.
set -euo pipefail
src=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
project="$src/tests/consumer/project"
ran=0

say() { echo "consumer: $*"; }

cmake_consumer() {  # label, prefix, extra env for the run
  local label=$1 prefix=$2
  cmake -S "$project" -B "$work/c-$label" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build "$work/c-$label" >/dev/null
  "$work/c-$label/consumer"
  say "$label: find_package ok"
  ran=$((ran + 1))
}

pc_consumer() {  # label, prefix, pkg-config flags...
  local label=$1 prefix=$2
  shift 2
  local pcdir="" d
  for d in "$prefix"/lib*/pkgconfig "$prefix"/lib/*/pkgconfig; do
    [ -d "$d" ] && { pcdir=$d; break; }
  done
  # shellcheck disable=SC2046
  c++ -std=c++20 "$project/main.cpp" -o "$work/pc-$label" \
    $(PKG_CONFIG_PATH=$pcdir pkg-config --cflags --libs "$@" deziva27)
  LD_LIBRARY_PATH=$(dirname "$pcdir") "$work/pc-$label"
  say "$label: pkg-config $* ok"
  ran=$((ran + 1))
}

cmake -S "$project" -B "$work/sub" -G Ninja -DDZ_SOURCE="$src" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/sub" --target consumer >/dev/null
"$work/sub/consumer"
say "add_subdirectory ok"
ran=$((ran + 1))

cmake --install "$build" --prefix "$work/static" >/dev/null
cmake_consumer static "$work/static"
pc_consumer static "$work/static"
pc_consumer static-s "$work/static" --static

# The shared library: the library alone, then its install and its package.
cmake -S "$src" -B "$work/shared" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DDZ_BUILD_TESTS=OFF -DDZ_BUILD_TOOLS=OFF >/dev/null
cmake --build "$work/shared" >/dev/null
cmake --install "$work/shared" --prefix "$work/shared-prefix" >/dev/null
so=$(echo "$work"/shared-prefix/lib*/libdeziva27.so.0)
# Not grep -q: under pipefail, a reader that stops at the first match can
# kill the writer with SIGPIPE and fail a check that held.
readelf -d "$so" | grep 'SONAME.*libdeziva27.so.0' >/dev/null || { echo "no soname on $so" >&2; exit 1; }
cmake_consumer shared "$work/shared-prefix"
ldd "$work/c-shared/consumer" | grep 'libdeziva27.so.0' >/dev/null || { echo "consumer did not link the shared library" >&2; exit 1; }
pc_consumer shared "$work/shared-prefix"
pc_consumer shared-s "$work/shared-prefix" --static

c++ -std=c++20 "$project/dlopen.cpp" -o "$work/dlopen_check" -ldl
"$work/dlopen_check" "$so" "$work/trace.txt"
ran=$((ran + 1))

(cd "$work/shared" && cpack -G DEB >/dev/null)
deb=$(echo "$work"/shared/deziva27_*.deb)
dpkg-deb -x "$deb" "$work/deb"
cmake_consumer deb "$work/deb/usr"
pc_consumer deb "$work/deb/usr"
say "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"

[ "$ran" -eq 10 ] || { echo "consumer: only $ran of 10 checks ran" >&2; exit 1; }
say "all $ran checks passed"
