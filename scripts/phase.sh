#!/usr/bin/env bash
# phase.sh NAME COMMAND...: runs COMMAND and then says how long the phase NAME took, whether it
# passed or not; the exit code is the command's.
name=$1
shift
start=$(date +%s)
"$@"
status=$?
echo "phase $name: $(( $(date +%s) - start )) s$([ $status -ne 0 ] && echo ", failed ($status)")"
exit $status
