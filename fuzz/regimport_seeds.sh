#!/bin/sh
# Seeds for regimport_fuzz (the target puts the version 5 header in front):
# a key at the deepest level a registry allows and one level deeper, a tree
# that branches at depth, and a line just past the longest one read.
set -e
out=${1:?usage: regimport_seeds.sh DIR}
mkdir -p "$out"
deep() {
  printf '\n[HKEY_CURRENT_USER'
  i=0
  while [ "$i" -lt "$1" ]; do printf '\\k'; i=$((i + 1)); done
  printf ']\n"v"="x"\n'
}
deep 512 > "$out/deep-512"
deep 513 > "$out/deep-513"
{ deep 300; printf '[HKCU\\k\\k\\b]\n@=hex:01,02\n[-HKCU\\k\\k]\n'; } > "$out/deep-branch"
{ printf '\n[HKCU\\Long]\n"v"="'; head -c 1048577 /dev/zero | tr '\0' 'x'; printf '"\n'; } > "$out/long-line"
printf '\n[HKCU\\Small]\n"s"="text"\n"d"=dword:00000007\n"b"=hex:01,\\\n  02\n' > "$out/small"
