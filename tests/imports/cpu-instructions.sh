#!/usr/bin/env bash
# Counts, in i686 executables, the instructions that an older x86 processor
# lacks, and tells where each comes from: our own objects, or the statically
# linked libstdc++, libgcc and MinGW-w64 C run time.
#
#   P6 (Pentium Pro, Pentium II) and later:
#     CMOVcc, FCMOVcc, FCOMI/FUCOMI(P); MMX (Pentium MMX, Pentium II),
#     SSE (Pentium III: XMM registers, LDMXCSR, SFENCE, PREFETCH...);
#     SYSENTER, RDPMC, FXSAVE/FXRSTOR
#   later extensions: RDRAND, RDSEED, TZCNT, POPCNT... Counted apart: code
#     that uses them safely checks CPUID first, and TZCNT runs as BSF, with
#     the same result for a nonzero operand, on a processor without it
#   Pentium (P5) over the 486: CMPXCHG8B, RDTSC, RDMSR/WRMSR, CPUID (which
#     late 486s have too)
#   486 over the 386: BSWAP, CMPXCHG, XADD, INVLPG, INVD, WBINVD
#
# UD2 is left out: it exists to fault, and older processors fault on it too.
#
# It links each target again, as its build tree's link command does but with
# a link map, into a scratch folder, makes sure the code is the same as the
# built executable's, and reads the map to place every instruction.
#
#   bash tests/imports/cpu-instructions.sh BUILD_DIR TARGET...
#   bash tests/imports/cpu-instructions.sh build/release-i686 VornixInternetOptimizer vornix
set -euo pipefail

if [[ $# -lt 2 ]]; then
  echo "usage: $0 BUILD_DIR TARGET..." >&2
  exit 2
fi
build="$(cd "$1" && pwd)"
shift
objdump=i686-w64-mingw32-objdump
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Reads the link map (first file), then objdump -d of the executable (second),
# and prints a Markdown table: instruction counts per kind and origin, and the
# library members that hold the P6 ones.
read -r -d '' count <<'AWK' || true
function origin(file) {
  if (file ~ /CMakeFiles\// || file ~ /libvornix_/) return "our objects"
  if (file ~ /libstdc\+\+\.a/) return "libstdc++"
  if (file ~ /libgcc(_eh)?\.a/) return "libgcc"
  if (file ~ /crt2|crtbegin|crtend|libmingw32\.a|libmingwex\.a|libmsvcrt/) return "MinGW-w64 C run time"
  if (file ~ /lib(kernel32|user32|gdi32|advapi32|comctl32|shell32)\.a/) return "import thunks"
  return "other"
}
function hex(text,  i, v) {
  text = tolower(text)
  sub(/^0x/, "", text)
  v = 0
  for (i = 1; i <= length(text); i++) v = v * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
  return v
}
function member(file) {
  sub(/.*\//, "", file)
  return file
}
function add_range(address, size, file) {
  if (size == 0 || address == 0) return
  ranges++
  start[ranges] = address; end[ranges] = address + size; from[ranges] = file
  bytes[origin(file)] += size
}
function kind(mnemonic, operands) {
  if (mnemonic ~ /^cmov/) return "CMOV"
  if (mnemonic ~ /^fcmov/) return "FCMOV"
  if (mnemonic ~ /^fu?comip?$/) return "FCOMI"
  if (operands ~ /%xmm/ || mnemonic ~ /^(ldmxcsr|stmxcsr|sfence|lfence|mfence|movnti|clflush|prefetch)/) return "SSE"
  if (operands ~ /(^|[^x])%mm[0-7]/ || mnemonic == "emms") return "MMX"
  if (mnemonic ~ /^(sysenter|sysexit|rdpmc|fxsave|fxrstor)$/) return "other P6"
  if (mnemonic ~ /^(rdrand|rdseed|tzcnt|lzcnt|popcnt|movbe|andn|blsi|blsr|bzhi|pdep|pext|sarx|shlx|shrx)$/) return "later"
  if (mnemonic ~ /^(cmpxchg8b|rdtsc|rdmsr|wrmsr|cpuid)$/) return "Pentium"
  if (mnemonic ~ /^(bswap|cmpxchg[bwl]?|xadd[bwl]?|invlpg|invd|wbinvd)$/) return "486"
  return ""
}
BEGIN {
  r = 1
  nk = split("CMOV|FCMOV|FCOMI|MMX|SSE|other P6|later|Pentium|486", kindname, "|")
  norigins = split("our objects|libstdc++|libgcc|MinGW-w64 C run time|import thunks|other", originname, "|")
}
FNR == 1 { file_index++ }
# The link map: the input sections placed in the output section .text.
file_index == 1 && /^Linker script and memory map/ { in_map = 1; next }
file_index == 1 && in_map && /^\.text/ { in_text = 1; next }
file_index == 1 && in_text && /^\.[^ ]/ { in_text = 0 }
file_index == 1 && in_text {
  if (pending != "") {
    if ($1 ~ /^0x/) add_range(hex($1), hex($2), $3)
    pending = ""
    next
  }
  if ($1 ~ /^\.text/) {
    if (NF >= 4) add_range(hex($2), hex($3), $4)
    else if (NF == 1) pending = $1
  }
  next
}
# The disassembly: "  401000:\tmnemonic operands".
file_index == 2 && /^ +[0-9a-f]+:\t/ {
  address = hex(substr($1, 1, length($1) - 1))
  line = $0
  sub(/^[^\t]*\t/, "", line)
  n = split(line, word, /[ \t]+/)
  w = 1
  while (w < n && word[w] ~ /^(lock|rep|repz|repnz|repe|repne|data16|addr16|cs|ds|es|ss|fs|gs|notrack)$/) w++
  mnemonic = word[w]
  operands = ""
  for (i = w + 1; i <= n; i++) operands = operands " " word[i]
  k = kind(mnemonic, operands)
  if (k == "") next
  # Both the map's ranges and the disassembly ascend.
  while (r < ranges && address >= end[r]) r++
  place = address >= start[r] && address < end[r] ? from[r] : "unplaced"
  if (place == "unplaced") { in_data++; next }
  o = origin(place)
  count[o, k]++
  total[k]++
  if (k == "486") next
  spot = o ": " member(place)
  where[spot]++
  what[spot, k == "CMOV" || k == "FCMOV" || k == "FCOMI" ? k : mnemonic]++
}
END {
  printf "| %s | code bytes |", exe
  for (i = 1; i <= nk; i++) printf " %s |", kindname[i]
  printf "\n|---|---:|"
  for (i = 1; i <= nk; i++) printf "---:|"
  printf "\n"
  for (j = 1; j <= norigins; j++) {
    o = originname[j]
    if (o == "other" && bytes[o] == 0) continue
    printf "| %s | %d |", o, bytes[o]
    for (i = 1; i <= nk; i++) printf " %d |", count[o, kindname[i]]
    printf "\n"
  }
  printf "| all | |"
  for (i = 1; i <= nk; i++) printf " %d |", total[kindname[i]]
  printf "\n\nBy object file, all but the 486 ones:\n"
  for (spot in where) {
    detail = ""
    for (pair in what) {
      split(pair, part, SUBSEP)
      if (part[1] == spot) detail = detail (detail == "" ? "" : ", ") part[2] " " what[pair]
    }
    printf "  %5d  %s (%s)\n", where[spot], spot, detail | "sort -k1,1nr -k2"
  }
  close("sort -k1,1nr -k2")
  if (in_data)
    printf "\n%d more such \"instructions\" lie outside the code, in the data the linker puts at the end of .text\n(constructor lists, exception tables), and are not counted.\n", in_data
}
AWK

status=0
for target in "$@"; do
  link="$build/CMakeFiles/$target.dir/link.txt"
  if [[ ! -f "$link" || ! -f "$build/$target.exe" ]]; then
    echo "$target: no $link or $build/$target.exe" >&2
    status=1
    continue
  fi
  command="$(grep -- '-o '"$target"'.exe' "$link")"
  command="${command/ -o $target.exe / -o $work/$target.exe -Wl,-Map=$work/$target.map }"
  command="${command/--out-implib,lib$target.dll.a/--out-implib,$work/lib$target.dll.a}"
  (cd "$build" && eval "$command")
  if ! cmp -s <("$objdump" -d "$build/$target.exe" | tail -n +3) <("$objdump" -d "$work/$target.exe" | tail -n +3); then
    echo "$target: linking it again gave other code than $build/$target.exe; is the build tree current?" >&2
    status=1
    continue
  fi
  "$objdump" -d --no-show-raw-insn "$work/$target.exe" |
    awk -v exe="$target.exe" "$count" "$work/$target.map" -
  echo
done
exit "$status"
