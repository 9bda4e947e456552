#!/usr/bin/env bash
# Records what the real Windows calls answer, for the tests to compare the
# platform stand-ins with. Each NAME.cpp in this folder is a Windows program:
# it is built with mingw-w64, run under Wine in a fresh prefix with the
# working directory tests/oracle/, and writes its own NAME*.txt files there.
# The tests read those files; they need neither Wine nor mingw.
#
#   tools/winoracle/regenerate.sh            every program
#   tools/winoracle/regenerate.sh codepages  only codepages.cpp
#
# Some recordings also feed a table the library compiles in (the code pages,
# the locale data, the sort weights); the generator of that table runs right
# after its program, so a rerun brings recordings and tables together.
#
# The same Wine gives the same files byte for byte. Where Wine answers
# otherwise than Windows, the program itself prints Windows' answer and says
# why in a comment line, so a rerun keeps the correction.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out="$root/tests/oracle"
work="$root/build/winoracle"

need=()
command -v x86_64-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-x86-64)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
if ((${#need[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

names=("$@")
if ((${#names[@]} == 0)); then
  for f in "$here"/*.cpp; do names+=("$(basename "$f" .cpp)"); done
fi

mkdir -p "$work" "$out"
# A prefix of our own, so that no setting of the user's Wine leaks in; the C
# locale makes Wine's own defaults those of en-US.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C
for name in "${names[@]}"; do
  echo "winoracle: $name"
  x86_64-w64-mingw32-g++ -std=c++20 -O2 -static -municode -Wall -Wextra \
    -I"$here" -o "$work/$name.exe" "$here/$name.cpp"
  (cd "$out" && /usr/lib/wine/wine64 "$work/$name.exe")
  case $name in
    codepages) python3 "$here/codepage_tables.py" ;;
    locales) python3 "$here/locales_table.py" ;;
    sortkeys) python3 "$here/sortweights.py" ;;
  esac
done
/usr/lib/wine/wineserver -w 2>/dev/null || true
