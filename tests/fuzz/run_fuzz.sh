#!/usr/bin/env bash
# Builds the classifier fuzzer with clang and libFuzzer and runs it for a bounded time.
# Exits 77 (reported as skipped) when clang or libFuzzer is not available.
set -uo pipefail
src="$1"
out="$2"
seconds="${3:-30}"
cxx="$(command -v clang++ || true)"
if [[ -z "$cxx" ]]; then
  echo "clang++ not found: fuzzing skipped"
  exit 77
fi
mkdir -p "$out/corpus"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I"$src")
warnings=(-Wall -Wextra -Wpedantic -Werror)
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
    "$cxx" "${flags[@]}" -x c++ - -o "$out/probe" 2>/dev/null; then
  echo "clang++ cannot link libFuzzer: fuzzing skipped"
  exit 77
fi
# Each vector scan is built for its own instruction set, as in the main build.
objects=()
for unit in line_classifier line_source code_page line_scan_scalar line_scan_sse2:-msse2 \
    line_scan_avx2:-mavx2,-mbmi,-mpopcnt line_scan_avx512:-mavx512f,-mavx512bw,-mbmi,-mpopcnt; do
  name="${unit%%:*}"
  extra=()
  [[ "$unit" == *:* ]] && IFS=, read -ra extra <<< "${unit#*:}"
  "$cxx" "${flags[@]}" "${warnings[@]}" "${extra[@]}" -c "$src/count/$name.cpp" \
    -o "$out/$name.o" || exit 1
  objects+=("$out/$name.o")
done
"$cxx" "${flags[@]}" "${warnings[@]}" "$src/tests/fuzz/classifier_fuzz.cpp" "${objects[@]}" \
  -o "$out/classifier_fuzz" || exit 1
printf '\x03\x05\x07/* a */ b\r\nFIXME // x\r' > "$out/corpus/seed1"
printf '\x00\x00\x00\xEF\xBB\xBF/**/\r\n*/\n{\n' > "$out/corpus/seed2"
exec "$out/classifier_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  "$out/corpus"
