#!/bin/sh
# Seeds for pe_fuzz: the PE files of the version tests (64 and 32 bit, made
# with the mingw-w64 binutils from tests/system/data/*.rc), and copies of one
# whose version resource and resource section claim up to 4 GiB, as the
# sparse files ('S' and the image) that pe_fuzz reads as 5 GiB long.
set -e
out=${1:?usage: pe_seeds.sh DIR}
data=$(cd "$(dirname "$0")/../tests/system/data" && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for rc in "$data"/*.rc; do
  n=$(basename "$rc" .rc)
  x86_64-w64-mingw32-windres --preprocessor=cat "$rc" -O coff -o "$work/$n.o"
  x86_64-w64-mingw32-ld --no-insert-timestamp --dll -e 0 -o "$out/$n.dll" "$work/$n.o"
  i686-w64-mingw32-windres --preprocessor=cat "$rc" -O coff -o "$work/${n}32.o"
  i686-w64-mingw32-ld --no-insert-timestamp --dll -e 0 -o "$out/${n}32.dll" "$work/${n}32.o"
done

# Little-endian fields of a file, and a 32-bit one written in place.
u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
put32() {
  v=$3
  printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null
}

for base in full.dll full32.dll; do
  f="$out/$base"
  pe=$(u32 "$f" 60)
  sections=$(u16 "$f" $((pe + 6)))
  opt=$(u16 "$f" $((pe + 20)))
  i=0
  while [ $i -lt "$sections" ]; do
    h=$((pe + 24 + opt + i * 40))
    [ "$(dd if="$f" bs=1 skip=$h count=5 2>/dev/null)" = ".rsrc" ] && hdr=$h
    i=$((i + 1))
  done
  rsrc=$(u32 "$f" $((hdr + 20)))
  count=$(($(u16 "$f" $((rsrc + 12))) + $(u16 "$f" $((rsrc + 14)))))
  i=0
  while [ $i -lt $count ]; do
    if [ "$(u32 "$f" $((rsrc + 16 + i * 8)))" = 16 ]; then
      node=$(($(u32 "$f" $((rsrc + 16 + i * 8 + 4))) & 0x7FFFFFFF))
      node=$(($(u32 "$f" $((rsrc + node + 20))) & 0x7FFFFFFF))
      entry=$((rsrc + $(u32 "$f" $((rsrc + node + 20)))))
    fi
    i=$((i + 1))
  done
  for claim in 4294963200 4294967295 65537 65536 16777217; do
    s="$work/huge"
    cp "$f" "$s"
    put32 "$s" $((entry + 4)) $claim
    put32 "$s" $((hdr + 8)) 4294967295
    put32 "$s" $((hdr + 16)) 4294967295
    { printf S; cat "$s"; } > "$out/sparse-$claim-$base"
  done
done
