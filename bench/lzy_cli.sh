#!/usr/bin/env bash
# dz lzy beside the command-line coders people reach for, on one large mixed
# file: wall time and peak memory of each, compressing and decompressing,
# measured in the same run.
#
#   bench/lzy_cli.sh DZ [SIZE_MB]     DZ: the dz program; SIZE_MB: 1024 by default
#
# The file is C headers, programs and random bytes in turn, 16 MiB of each
# kind a round, until it reaches SIZE_MB. Needs gzip, zstd, lz4 and GNU time.
set -euo pipefail
dz=${1:?usage: $0 DZ [SIZE_MB]}
size_mb=${2:-1024}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

part() {  # kind -> 16 MiB of it on stdout (the producers stop at a closed pipe)
  set +o pipefail
  case $1 in
    text) find /usr/include -name "*.h" -type f -print0 | sort -z | xargs -0 cat 2>/dev/null ;;
    binary) find /usr/bin -type f -print0 | sort -z | xargs -0 cat 2>/dev/null ;;
    random) head -c 16777216 /dev/urandom ;;
  esac | head -c 16777216
  set -o pipefail
}
for k in text binary random; do part $k >"$work/$k"; done
: >"$work/mixed"
while [ "$(stat -c %s "$work/mixed")" -lt $((size_mb << 20)) ]; do
  cat "$work/text" "$work/binary" "$work/random" >>"$work/mixed"
done
truncate -s $((size_mb << 20)) "$work/mixed"
in=$work/mixed

# name, compress command, decompress command; IN and OUT are substituted.
tools=(
  "dz lzy -T1|$dz lzy compress -f -T1 IN OUT|$dz lzy decompress -f IN OUT"
  "dz lzy -T2|$dz lzy compress -f -T2 IN OUT|$dz lzy decompress -f IN OUT"
  "lz4 -1|lz4 -1 -q -f IN OUT|lz4 -d -q -f IN OUT"
  "gzip -1|gzip -1 -c IN >OUT|gzip -d -c IN >OUT"
  "zstd -1|zstd -1 -q -f -T1 IN -o OUT|zstd -d -q -f IN -o OUT"
)

measure() {  # command -> "seconds peak_KiB"
  # Each tool starts with no dirty pages left by the one before: the kernel
  # throttles writers while it flushes a backlog, and the first tool after
  # the input was made would pay for it.
  sync
  /usr/bin/time -f '%e %M' -o "$work/t" bash -c "$1"
  cat "$work/t"
}

printf '%s MiB mixed input (text, programs, random in 16 MiB turns)\n\n' "$size_mb"
printf '| tool | compress s | MiB/s | peak MiB | ratio | decompress s | MiB/s | peak MiB |\n'
printf '|---|---|---|---|---|---|---|---|\n'
for t in "${tools[@]}"; do
  IFS='|' read -r name comp decomp <<<"$t"
  read -r cs cm < <(measure "$(echo "$comp" | sed "s|IN|$in|; s|OUT|$work/packed|")")
  packed=$(stat -c %s "$work/packed")
  read -r ds dm < <(measure "$(echo "$decomp" | sed "s|IN|$work/packed|; s|OUT|$work/back|")")
  cmp -s "$in" "$work/back" || { echo "$name: round trip differs" >&2; exit 1; }
  awk -v n="$name" -v cs="$cs" -v cm="$cm" -v ds="$ds" -v dm="$dm" -v p="$packed" -v mb="$size_mb" \
    'BEGIN { printf "| %s | %.2f | %.0f | %.0f | %.3f | %.2f | %.0f | %.0f |\n",
             n, cs, mb / cs, cm / 1024, p / (mb * 1048576), ds, mb / ds, dm / 1024 }'
  rm -f "$work/packed" "$work/back"
done
