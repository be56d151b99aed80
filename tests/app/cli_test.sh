#!/bin/sh
# The program's command line without any display: help and the version are
# printed, and mistakes end it with a message and a failure, never an abort.
set -u
program=$1
version=$2
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
fail=0
check() { # expected-status pattern args...
  want=$1 pattern=$2
  shift 2
  out=$("$program" "$@" 2>&1)
  status=$?
  if [ "$status" -ne "$want" ] || ! printf '%s\n' "$out" | grep -q -- "$pattern"; then
    echo "FAIL: $* -> status $status (wanted $want), output: $out"
    fail=1
  fi
}
check 0 "^TOVAREK W $version\$" --version
check 0 "^Usage: " --help
check 2 "unknown option --bogus" --bogus
check 1 "cannot open /nonexistent/picture.png: there is no such file" /nonexistent/picture.png
exit $fail
