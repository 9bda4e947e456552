#!/usr/bin/env bash
# Builds tests/consumer/project against the library three ways: from the
# sources (add_subdirectory), from an install (find_package) and with
# pkg-config. Arguments: source dir, build dir of the library.
set -euo pipefail
src=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
project="$src/tests/consumer/project"

cmake -S "$project" -B "$work/sub" -G Ninja -DDZ_SOURCE="$src" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/sub" --target consumer >/dev/null
"$work/sub/consumer"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$project" -B "$work/pkg" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/pkg" >/dev/null
"$work/pkg/consumer"

libdir=$(ls -d "$work"/prefix/lib*/pkgconfig)
PKG_CONFIG_PATH=$libdir c++ -std=c++20 "$project/main.cpp" -o "$work/pc-consumer" \
  $(PKG_CONFIG_PATH=$libdir pkg-config --cflags --libs --static deziva27)
"$work/pc-consumer"
