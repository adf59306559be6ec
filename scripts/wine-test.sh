#!/usr/bin/env bash
# The test runner's way into Wine: output goes through a file, so that a Wine helper process that
# outlives the test (the print spooler, say) cannot hold the runner's pipe open. A program that
# ends at once with a failure and without a word never ran: Wine did not start it (seen rarely
# while another program of the prefix starts at the same moment). It is started once more, and
# a second such end fails as before.
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(mktemp)
for attempt in 1 2; do
  start=$(date +%s%N)
  "$here/scripts/wine-run.sh" "$@" >"$out" 2>&1 </dev/null
  status=$?
  elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
  [ -s "$out" ] || [ $status -eq 0 ] || [ $elapsed_ms -ge 2000 ] || [ $attempt -eq 2 ] && break
  echo "wine-test: $(basename "$1") ended after ${elapsed_ms} ms with code $status and no output; starting it again"
done
cat "$out"
if [ ! -s "$out" ]; then
  echo "wine-test: $(basename "$1") ended with no output at all; Wine's exit code was $status"
fi
rm -f "$out"
exit $status
