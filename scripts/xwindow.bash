# Finding, waiting for and photographing a Windows program's window on the X
# display of a Wine session, for the scripts beside this one (source it).
# DISPLAY must name the session's display.

# The X window of the visible top-level window titled exactly TITLE, waiting
# up to SECONDS for it; prints its id. Wine maps a window before it paints,
# so follow with xwin_wait_painted.
xwin_wait() {
    local title=$1 seconds=${2:-60} id end=$((SECONDS + ${2:-60}))
    while [ "$SECONDS" -le "$end" ]; do
        id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | tail -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    echo "xwindow: no window \"$title\" after $seconds s" >&2
    return 1
}

# Waits up to SECONDS until window ID shows at least COLOURS distinct colours:
# a window only erased to its background has one or two.
xwin_wait_painted() {
    local id=$1 colours=${2:-16} seconds=${3:-60} n end=$((SECONDS + ${3:-60}))
    while [ "$SECONDS" -le "$end" ]; do
        n=$(import -window "$id" png:- 2>/dev/null | identify -format %k png:- 2>/dev/null)
        [ -n "$n" ] && [ "$n" -ge "$colours" ] && return 0
        sleep 0.1
    done
    echo "xwindow: window $id not painted after $seconds s" >&2
    return 1
}

# Writes what window ID shows to FILE (PNG).
xwin_shot() {
    mkdir -p "$(dirname "$2")" && import -window "$1" "$2"
}

# Closes the program of window ID as a user would, with File, Exit (both
# programs have it). The menu opens asynchronously, hence the pause before
# its item.
xwin_file_exit() {
    xdotool windowfocus --sync "$1" key --clearmodifiers alt+f 2>/dev/null || return 1
    sleep 0.5
    xdotool key --clearmodifiers x 2>/dev/null
}

# The window's top-left corner on the screen: prints "X Y".
xwin_origin() {
    xdotool getwindowgeometry --shell "$1" | awk -F= '$1 == "X" { x = $2 } $1 == "Y" { y = $2 } END { print x, y }'
}

# Run as a command, for Windows tests under Wine:
#   xwindow.bash painted TITLE [COLOURS]
#       answers at once, with the exit code, whether a visible window titled
#       TITLE shows at least COLOURS (default 16) colours;
#   xwindow.bash run DONE COMMAND [ARGS...]
#       runs COMMAND, then writes its exit code to the file DONE (whole, by a
#       rename). Wine does not wait for a Unix program it starts: the process
#       handle it gives is signalled at once, so the caller waits for DONE.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    case ${1:-} in
    run)
        done=$2
        shift 2
        "$@" >/dev/null
        echo $? >"$done.part" && mv "$done.part" "$done"
        ;;
    painted)
        id=$(xdotool search --onlyvisible --name "^${2}\$" 2>/dev/null | tail -n 1)
        [ -n "$id" ] || exit 1
        n=$(import -window "$id" png:- 2>/dev/null | identify -format %k png:- 2>/dev/null)
        [ -n "$n" ] && [ "$n" -ge "${3:-16}" ]
        ;;
    *) echo "usage: xwindow.bash painted TITLE [COLOURS] | run DONE COMMAND [ARGS...]" >&2; exit 2 ;;
    esac
fi
