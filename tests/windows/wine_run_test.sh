#!/usr/bin/env bash
# What passes through scripts/wine-run must arrive unchanged: arguments with
# spaces, quotes and empty ones, standard input, the environment, each output
# stream, and the exit code, also when the program crashes.
#   wine_run_test.sh <wine-run command...> -- <wine_run_probe.exe>
set -u
run=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do run+=("$1"); shift; done
shift
probe=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

expect() {  # expect <what> <expected> <actual>
    if [ "$2" != "$3" ]; then
        echo "FAIL $1"; echo "  expected: $(printf '%q' "$2")"; echo "  actual:   $(printf '%q' "$3")"
        failures=$((failures + 1))
    else
        echo "ok   $1"
    fi
}

printf 'first line\nsecond line\n' |
    KORVANE_SIMULATOR='devices=2' "${run[@]}" "$probe" 7 'two words' 'a"quote' '' 'back\slash' \
    >"$tmp/out" 2>"$tmp/err"
expect "exit code" 7 "$?"
expect "stdout" "$(printf '%s\n' 'arg:[two words]' 'arg:[a"quote]' 'arg:[]' 'arg:[back\slash]' \
    'env:[devices=2]' 'in:[first line]' 'in:[second line]')" "$(tr -d '\r' <"$tmp/out")"
expect "stderr" "stderr line" "$(tr -d '\r' <"$tmp/err")"

"${run[@]}" "$probe" 0 </dev/null >/dev/null 2>&1
expect "exit code zero" 0 "$?"

"${run[@]}" "$probe" crash </dev/null >"$tmp/out" 2>"$tmp/err"
rc=$?
expect "crash exits non-zero" yes "$([ $rc -ne 0 ] && echo yes || echo "no ($rc)")"
# Wine's debugger appends its backtrace to the program's output.
expect "output before the crash" crashing "$(tr -d '\r' <"$tmp/out" | head -n 1)"

echo "$(( 5 - failures )) passed, $failures failed"
[ $failures -eq 0 ]
