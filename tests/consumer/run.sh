#!/usr/bin/env bash
# The library as other projects meet it. Arguments: source dir, build dir of
# the (static) library, and optionally a shared build of the tree to use
# instead of building the shared library here. Checks that
#   - the install holds exactly the public headers, and each compiles alone
#     without ICU, SQLite or GTK headers;
#   - libdeziva27.so exports nothing of dz::detail or the stand-ins (dz::win);
# and builds tests/consumer/project
#   - from the sources (add_subdirectory),
#   - against a static install and a shared install, each through
#     find_package and through plain and --static pkg-config,
#   - against the Debian package cpack makes of the shared build,
# and checks that dlopen/dlclose of libdeziva27.so starts and stops every unit
# once, in order.
set -euo pipefail
src=$1
build=$2
shared_build=${3:-${DZ_SHARED_BUILD:-}}
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

# The install is the API: the listed headers and nothing else, each one
# self-contained and free of the libraries the library hides.
listed=$(sed -n 's/^  \(deziva27\/.*\.h\)$/\1/p' "$src/cmake/PublicHeaders.cmake" | sort)
installed=$(cd "$work/static/include" && find deziva27 -type f | sort)
[ "$listed" = "$installed" ] || { echo "installed headers differ from cmake/PublicHeaders.cmake:" >&2;
  diff <(echo "$listed") <(echo "$installed") >&2; exit 1; }
for h in $listed; do
  deps=$(echo "#include <$h>" | c++ -std=c++20 -fsyntax-only -MM -MG -I"$work/static/include" -x c++ - 2>&1) ||
    { echo "$h does not compile alone: $deps" >&2; exit 1; }
  if echo "$deps" | grep -E 'unicode/|sqlite3|gtk|glib' >/dev/null; then
    echo "$h pulls in a hidden dependency: $(echo "$deps" | grep -oE '[^ ]*(unicode/|sqlite3|gtk|glib)[^ ]*' | head -1)" >&2
    exit 1
  fi
  echo "#include <$h>" | c++ -std=c++20 -fsyntax-only -Wall -Wextra -I"$work/static/include" -x c++ - ||
    { echo "$h does not compile alone" >&2; exit 1; }
done
say "install: $(echo "$listed" | wc -l) public headers, each compiles alone"
ran=$((ran + 1))

cmake_consumer static "$work/static"
pc_consumer static "$work/static"
pc_consumer static-s "$work/static" --static

# The shared library: the caller's shared build of the tree, else the library
# alone; then its install and its package.
if [ -z "$shared_build" ]; then
  shared_build=$work/shared
  cmake -S "$src" -B "$shared_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DDZ_BUILD_TESTS=OFF -DDZ_BUILD_TOOLS=OFF >/dev/null
  cmake --build "$shared_build" >/dev/null
fi
cmake --install "$shared_build" --prefix "$work/shared-prefix" >/dev/null
so=$(echo "$work"/shared-prefix/lib*/libdeziva27.so.0)

# Only the API is exported: nothing of dz::detail or the stand-ins (dz::win),
# and outside dz only the frame's anchor and the standard library's templates
# instantiated for the API's types.
leaks=$(nm -DC --defined-only "$so" | awk '{ $1 = ""; $2 = ""; print substr($0, 3) }' |
  grep -E 'dz::(detail|win)::|^[^:]*$' | grep -vx 'dz_library_anchor' || true)
leaks=$leaks$(nm -DC --defined-only "$so" | awk '{ $1 = ""; $2 = ""; print substr($0, 3) }' |
  grep -vE 'dz::|std::|__gnu_cxx::|^dz_library_anchor$' || true)
[ -z "$leaks" ] || { echo "libdeziva27.so exports what no public header declares:" >&2;
  echo "$leaks" | head -20 >&2; exit 1; }
say "libdeziva27.so: $(nm -D --defined-only "$so" | wc -l) exported symbols, all API"
ran=$((ran + 1))
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

(cd "$shared_build" && cpack -G DEB -B "$work/pkg" >/dev/null)
deb=$(echo "$work"/pkg/deziva27_*.deb)
dpkg-deb -x "$deb" "$work/deb"
cmake_consumer deb "$work/deb/usr"
pc_consumer deb "$work/deb/usr"
say "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"

[ "$ran" -eq 12 ] || { echo "consumer: only $ran of 12 checks ran" >&2; exit 1; }
say "all $ran checks passed"
