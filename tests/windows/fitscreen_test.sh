#!/usr/bin/env bash
# Both programs on screens too small for their windows at the monitor's scale:
# an Xvfb of 1280 x 1024 at 144 and 192 dpi and one of 1280 x 720 at 120 dpi
# (without a window manager the work area is the whole screen). Each window
# must lie wholly on the screen; the mixer, laid out for the scale that fits,
# says which. A screenshot of each is left in the work folder for review.
#   fitscreen_test.sh <wine-run> <velmora_app.exe> <qdl_cpl.exe> <work folder>
# The prefix, in the work folder, is the test's own and kept between runs: its
# DPI is set for each screen, which would disturb every other test's session.
set -u
wine_run=$1
mixer=$2
panel=$3
work=$4
here=$(dirname "$(readlink -f "$0")")
. "$here/../../scripts/xwindow.bash"
mkdir -p "$work"
prefix=$work/prefix
wine=("$wine_run" --prefix "$prefix")
export KORVANE_SIMULATOR=devices=1
failures=0
checks=0
program=

cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null
    "${wine[@]}" --stop >/dev/null 2>&1
}
trap cleanup EXIT

check() {  # check <what> <command...>
    checks=$((checks + 1))
    if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

# session WIDTH HEIGHT DPI: the prefix's session on a new Xvfb of that size, at DPI.
session() {
    unset DISPLAY
    export KORVANE_XVFB_SCREEN=${1}x${2}x24
    "${wine[@]}" --stop >/dev/null 2>&1
    local key
    for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
        "${wine[@]}" reg add "$key" /v LogPixels /t REG_DWORD /d "$3" /f >/dev/null 2>&1 || return 1
    done
    "${wine[@]}" --stop >/dev/null 2>&1
    "${wine[@]}" --open >/dev/null || return 1
    DISPLAY=$(<"$prefix.session/display")
    export DISPLAY
}

inside() {  # inside X Y W H SCREEN_W SCREEN_H
    [ "$1" -ge 0 ] && [ "$2" -ge 0 ] && [ $(($1 + $3)) -le "$5" ] && [ $(($2 + $4)) -le "$6" ]
}

# run NAME EXE TITLE WIDTH HEIGHT DPI: starts the program, checks its window
# and photographs the screen, then closes it as a user would.
run() {
    local name=$1 exe=$2 title=$3 width=$4 height=$5 dpi=$6 window X Y WIDTH HEIGHT i
    local log=$work/$name-${width}x$height-$dpi.log shot=$work/$name-${width}x$height-$dpi.png
    "${wine[@]}" "$exe" </dev/null >"$log" 2>&1 &
    program=$!
    if ! window=$(xwin_wait "$title" 90) || ! xwin_wait_painted "$window" 16 90; then
        check "$name shows its window at $dpi dpi on ${width}x$height" false
        kill "$program" 2>/dev/null
        program=
        return
    fi
    sleep 1  # the meters and the pages settle
    eval "$(xdotool getwindowgeometry --shell "$window")"
    check "$name at $dpi dpi: ${WIDTH}x$HEIGHT at $X,$Y lies on the ${width}x$height screen" \
        inside "$X" "$Y" "$WIDTH" "$HEIGHT" "$width" "$height"
    # Scaled, not left at 96 dpi: the window is larger than its 96-dpi size.
    check "$name at $dpi dpi is scaled up" [ "$WIDTH" -gt "$7" ]
    import -window root "$shot" && echo "     screenshot $shot"
    xwin_file_exit "$window"
    for ((i = 0; i < 100; i++)); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    kill "$program" 2>/dev/null
    wait "$program" 2>/dev/null
    program=
    # The session's watchdog ends a program its wrapper left, about a second later.
    sleep 1.5
}

for screen in 1280:1024:144 1280:1024:192 1280:720:120; do
    IFS=: read -r width height dpi <<<"$screen"
    if ! session "$width" "$height" "$dpi"; then
        check "a session at $dpi dpi on ${width}x$height" false
        continue
    fi
    run mixer "$mixer" "Korvane Velmora" "$width" "$height" "$dpi" 582
    fitted=$(sed -n 's/.*it is scaled for \([0-9]*\) dpi.*/\1/p' "$work/mixer-${width}x$height-$dpi.log" | tr -d '\r' | head -n 1)
    [ -n "$fitted" ] && echo "     the mixer is laid out for $fitted dpi"
    run panel "$panel" "Korvane FireWire Control Panel" "$width" "$height" "$dpi" 794
    "${wine[@]}" --stop >/dev/null 2>&1
done

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
