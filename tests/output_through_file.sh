#!/usr/bin/env bash
# usage: output_through_file.sh EMULATOR... PROGRAM ARG...
# Runs a test program under wine with its output through a file, shown once the program has ended. The
# first program of a wine prefix starts the wine server and the prefix's desktop and system processes,
# and they keep that program's output open until the prefix has been idle for a while: CTest, which
# reads a test's output to its end, would count the test as running until then.
output=$(mktemp)
status=0
"$@" >"$output" 2>&1 || status=$?
cat "$output"
rm -f "$output"
exit "$status"
