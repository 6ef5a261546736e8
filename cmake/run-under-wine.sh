#!/bin/sh
# CTest's cross-compiling emulator: runs one Windows program under Wine.
#
# The program's output goes to files first and is passed on once it has
# ended. Wine starts helper processes on demand (the desktop process, the
# COM server) that inherit the program's output; handed CTest's pipes, they
# would make CTest wait for them to go idle. Wine's CR LF line ends become LF.
set -u
output=$(mktemp) errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
wine "$@" </dev/null >"$output" 2>"$errors"
status=$?
tr -d '\r' <"$output"
tr -d '\r' <"$errors" >&2
exit "$status"
