#!/usr/bin/env bash
# Measures the download engine against nginx on loopback, in one run on the same file:
#   P1 fresh verified download (meta, transfer, verify) vs curl -o + sha1sum
#   P2 re-verification of the complete file (meta request + hash pass) vs sha1sum
#   P3 resume after an interruption at half: bytes requested vs the remaining bytes
#   P4 peak working set of the 512 MiB download, and 64 MiB vs 512 MiB
#   and where the transfer's time goes: how many availability queries the 64 MiB download makes
#   and the most that one announced (from Wine's wininet trace)
# usage: bench/engine_bench.sh [BUILD_DIR] [SIZE_MIB]   (defaults build/windows, 512)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
size=${2:-512}
work=$build/bench
export IG_BUILD_DIR=$build
run="$root/tests/wine/run"
tool="$build/bin/stubtool.exe"
native_tool=$(ls "$root"/build/*native*/bin/stubtool 2>/dev/null | head -1)
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')

rm -rf "$work"; mkdir -p "$work/www"
"$run" --setup
"$root/tests/fixtures/content_server" start "$work/nginx" "$work/www" "$port"
trap '"$root/tests/fixtures/content_server" stop "$work/nginx"' EXIT

make_package() {  # NAME MIB
  head -c $(( $2 * 1048576 )) /dev/urandom >"$work/www/$1"
  python3 - "$work/www/$1" <<'PY'
import hashlib, struct, sys
p = sys.argv[1]; d = open(p, 'rb').read()
open(p + '.meta', 'wb').write(struct.pack('<Q', len(d)) + b''.join(hashlib.sha1(d[i:i+1048576]).digest() for i in range(0, len(d), 1048576)))
PY
}
now() { date +%s.%N; }
elapsed() { python3 -c "print(f'{$2 - $1:.2f}')"; }
wpath() { echo "Z:${1//\//\\}"; }
requested() {  # bytes sent for /NAME in the access log since line $2
  tail -n +"$(( $2 + 1 ))" "$work/nginx/access.log" | awk -v n="GET /$1 " 'index($0, n) == 1 { split($NF, a, "="); s += a[2] } END { print s + 0 }'
}
peak_kib() {  # runs a fetch and prints the peak resident set in KiB
  /usr/bin/time -f '%M' -o "$work/time.txt" "$run" "$tool" fetch "$1" "$(wpath "$2")" >/dev/null
  cat "$work/time.txt"
}

make_package big.bin "$size"
make_package small.bin 64
sync

# P1
t0=$(now); curl -s -o "$work/curl.bin" "http://127.0.0.1:$port/big.bin"; sha1sum "$work/curl.bin" >/dev/null; t1=$(now)
base1=$(elapsed "$t0" "$t1")
rm -f "$work/got.bin"
t0=$(now); "$run" "$tool" fetch "http://127.0.0.1:$port/big.bin" "$(wpath "$work/got.bin")" | tail -1; t1=$(now)
eng1=$(elapsed "$t0" "$t1")
cmp "$work/got.bin" "$work/www/big.bin"

# P2
t0=$(now); sha1sum "$work/got.bin" >/dev/null; t1=$(now); base2=$(elapsed "$t0" "$t1")
t0=$(now); "$run" "$tool" fetch "http://127.0.0.1:$port/big.bin" "$(wpath "$work/got.bin")" | tail -1; t1=$(now)
eng2=$(elapsed "$t0" "$t1")

# P3: the first half present, the rest zero (an interrupted download keeps the presized file)
half=$(( size * 1048576 / 2 ))
head -c "$half" "$work/www/big.bin" >"$work/got.bin"; truncate -s $(( size * 1048576 )) "$work/got.bin"
mark=$(wc -l <"$work/nginx/access.log")
"$run" "$tool" fetch "http://127.0.0.1:$port/big.bin" "$(wpath "$work/got.bin")" | tail -1
sleep 0.3
asked=$(requested big.bin "$mark")
remaining=$(( size * 1048576 - half ))

# P4
rm -f "$work/got.bin" "$work/small.bin"
peak_big=$(peak_kib "http://127.0.0.1:$port/big.bin" "$work/got.bin")
peak_small=$(peak_kib "http://127.0.0.1:$port/small.bin" "$work/small.bin")

# Where the time goes: every availability query that finds the library's read buffer empty
# refills it from the socket, and the read that follows moves what it announced.
rm -f "$work/small.bin"
IG_WINEDEBUG=trace+wininet "$run" "$tool" fetch "http://127.0.0.1:$port/small.bin" "$(wpath "$work/small.bin")" \
  2>"$work/trace.txt" >/dev/null || true
queries=$(grep -c 'HTTPREQ_QueryDataAvailable' "$work/trace.txt" || true)
largest=$(sed -n 's/.*refill_read_buffer read \([0-9]*\) bytes.*/\1/p' "$work/trace.txt" | sort -n | tail -1)
rm -f "$work/trace.txt"

cat <<REPORT
size                  ${size} MiB
P1 fresh download     engine ${eng1} s, curl+sha1sum ${base1} s, ratio $(python3 -c "print(f'{$eng1/$base1:.2f}')") (target <= 1.2)
P2 re-verification    engine ${eng2} s, sha1sum ${base2} s, ratio $(python3 -c "print(f'{$eng2/$base2:.2f}')") (target <= 1.5)
P3 resume at half     requested ${asked} bytes, remaining ${remaining} (target <= remaining + 1048576)
P4 peak working set   ${size} MiB: ${peak_big} KiB, 64 MiB: ${peak_small} KiB (target <= 32768 KiB, within 10 %)
transfer detail       64 MiB: ${queries} availability queries, at most ${largest:-?} bytes announced by one
REPORT
