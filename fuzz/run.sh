#!/usr/bin/env bash
# Runs every fuzz target in turn for SECONDS each and prints what each did.
#   run.sh BUILD_DIR SECONDS fuzz   grows a working corpus in BUILD_DIR/corpus (the committed seeds start it)
#   run.sh BUILD_DIR SECONDS smoke  starts from the seeds alone and keeps nothing: the test suite's check
# Exits non-zero when any target reports a finding; its input is kept in BUILD_DIR/findings.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=$2
mode=${3:-fuzz}
targets=(bmp jpeg placeable name_parts)
declare -A max_len=([bmp]=262144 [jpeg]=262144 [placeable]=4096 [name_parts]=1024)

mkdir -p "$build/findings" "$build/logs"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
printf '%-11s %12s %9s %7s %7s %9s  %s\n' target execs exec/s cov ft rss_mb findings
for t in "${targets[@]}"; do
  if [ "$mode" = smoke ]; then corpus="$scratch/$t"; else corpus="$build/corpus/$t"; fi
  mkdir -p "$corpus"
  log="$build/logs/$t.log"
  before=$(ls "$build/findings" | wc -l)
  # A thrown error of the reader's own is a clean rejection inside the target; anything else stops the run.
  nice -n 10 "$build/fuzz_$t" "$corpus" "$here/seeds/$t" \
    -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    -max_len="${max_len[$t]}" -print_final_stats=1 -artifact_prefix="$build/findings/$t-" >"$log" 2>&1
  rc=$?
  found=$(( $(ls "$build/findings" | wc -l) - before ))
  [ $rc -ne 0 ] && [ $found -eq 0 ] && found=1
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
  last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1)
  cov=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.*ft: \([0-9]*\).*/\1/p' <<<"$last")
  printf '%-11s %12s %9s %7s %7s %9s  %s\n' "$t" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "${rss:-?}" "$found"
  if [ "$found" -ne 0 ]; then
    failed=1
    echo "  finding in $t (exit $rc), see $log:"
    grep -E 'ERROR|runtime error|broken promise|SUMMARY|Test unit written' "$log" | head -n 8 | sed 's/^/    /'
  fi
done
exit $failed
