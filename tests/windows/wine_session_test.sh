#!/usr/bin/env bash
# The session machinery of scripts/wine-run on a prefix of its own: a program
# and a holder that start at once on a new prefix share one session; a holder
# that dies (killed, no goodbye) leaves the session to the watchdog, which
# stops it and the program a killed wrapper left behind; and a folder that
# wine-run did not make is never deleted.
#   wine_session_test.sh <wine-run> <wine_run_probe.exe> <work folder>
set -u
wine_run=$1
probe=$2
work=$3
rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
session=$prefix.session
failures=0
checks=0
holder=
wrapper=

cleanup() {
    [ -n "$holder" ] && kill -KILL "$holder" 2>/dev/null
    [ -n "$wrapper" ] && kill -KILL "$wrapper" 2>/dev/null
    [ -d "$session" ] && "$wine_run" --prefix "$prefix" --stop
    rm -rf "$work"
}
trap cleanup EXIT

check() {  # check <what> <command...>
    checks=$((checks + 1))
    if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
# Polls until the command succeeds; gives up after a minute, which only a
# broken session machinery ever needs.
eventually() {
    local i
    for ((i = 0; i < 600; i++)); do "$@" && return 0; sleep 0.1; done
    return 1
}
pid_of() { read -r pid _ <"$1" 2>/dev/null && echo "$pid"; }
# A zombie counts as ended: nothing may reap an orphan in a container.
alive() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [[ ${stat%% *} != [ZX] ]]
}
dead() { ! alive "$1"; }
session_gone() { [ ! -e "$session" ]; }

# ---- Folders wine-run did not make.
mkdir "$work/foreign"
echo "precious" >"$work/foreign/notes.txt"
"$wine_run" --prefix "$work/foreign" "$probe" 0 </dev/null >/dev/null 2>"$work/foreign.err"
check "a foreign prefix is refused" [ $? -ne 0 ]
check "and keeps its file" grep -q precious "$work/foreign/notes.txt"
check "and says so" grep -q "refusing to delete" "$work/foreign.err"
mkdir "$work/other.session"
echo "precious" >"$work/other.session/notes.txt"
"$wine_run" --prefix "$work/other" --stop 2>/dev/null
check "a foreign session folder is refused" [ $? -ne 0 ]
check "and keeps its file" grep -q precious "$work/other.session/notes.txt"

# ---- A program and a holder start at once on a new prefix.
mkfifo "$work/in"
"$wine_run" --prefix "$prefix" "$probe" 5 <"$work/in" >"$work/run.out" 2>"$work/run.err" &
runner=$!
bash -c '"$1" --prefix "$2" --open >/dev/null && echo held && exec tail -f /dev/null' \
    _ "$wine_run" "$prefix" >"$work/held" &
holder=$!
exec {feed}>"$work/in"   # lets the program start; it reads until we close this
echo "one line" >&"$feed"
check "the holder gets the session" eventually grep -q held "$work/held"
check "the program runs in it" eventually [ -f "$session/holders/$runner.program" ]
server=$(pid_of "$session/server.pid")
check "one server serves both" alive "$server"
exec {feed}>&-
wait "$runner"
check "the program's exit code passes through" [ $? -eq 5 ]
check "so does its output" grep -q 'in:\[one line\]' "$work/run.out"
check "the session outlives the program while the holder lives" alive "$server"

# ---- The holder and a wrapper are killed; the watchdog ends it all.
mkfifo "$work/in2"
"$wine_run" --prefix "$prefix" "$probe" 0 <"$work/in2" >/dev/null 2>&1 &
wrapper=$!
exec {feed}>"$work/in2"
check "a second program runs" eventually [ -f "$session/holders/$wrapper.program" ]
program=$(pid_of "$session/holders/$wrapper.program")
watchdog=$(pid_of "$session/watch.pid")
kill -KILL "$holder" "$wrapper"
wait "$holder" "$wrapper" 2>/dev/null
holder= wrapper=
check "the watchdog stops the session" eventually session_gone
check "and the killed wrapper's program" eventually dead "$program"
check "and the server" eventually dead "$server"
check "and ends itself" eventually dead "$watchdog"
exec {feed}>&-
check "the prefix stays for the next session" [ -f "$prefix/.korvane-ready" ]

echo "$((checks - failures)) passed, $failures failed"
[ $failures -eq 0 ]
