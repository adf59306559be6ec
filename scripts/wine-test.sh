#!/usr/bin/env bash
# The test runner's way into Wine: output goes through a file, so that a Wine helper process that
# outlives the test (the print spooler, say) cannot hold the runner's pipe open.
here=$(cd "$(dirname "$0")/.." && pwd)
out=$(mktemp)
"$here/scripts/wine-run.sh" "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
if [ ! -s "$out" ]; then
  echo "wine-test: $(basename "$1") ended with no output at all; Wine's exit code was $status"
fi
rm -f "$out"
exit $status
