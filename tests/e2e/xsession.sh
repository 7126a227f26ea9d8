# Sourced by the end-to-end scripts: a scratch folder, our own X server, and the helpers
# every script uses. The script sets `shot` (where a failure's screenshot goes) first.
#
# Provides: work (the scratch folder), app_pid and server_pid (killed on exit), fail,
# wait_for, start_xvfb, enter_work, answer, quit_answered_yes, and pictures of the field: field,
# differing_pixels, moved_from, resting. Exits 77 (skipped) when the X tools are missing.

for tool in Xvfb xdotool import compare; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
mkdir -p "$(dirname "$shot")"
rm -f "$shot"
xvfb_pid=""
app_pid=""
server_pid=""

cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    import -display "$DISPLAY" -window root "$shot" 2>/dev/null && echo "screenshot: $shot"
    echo "--- program output ---"
    cat "$work/program.log" 2>/dev/null
    exit 1
}

# Polls a command every 0.1 s until it succeeds or the seconds run out.
wait_for() {
    local tries=$(($1 * 10))
    shift
    while ((tries-- > 0)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Our own X server on a free display; a server that cannot be reached is replaced.
# -noreset: the server must not restart when its last client (a probe) disconnects.
start_xvfb() {
    local attempt
    for attempt in 1 2 3; do
        rm -f "$work/display"
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
            2>"$work/xvfb.log" &
        xvfb_pid=$!
        wait_for 10 test -s "$work/display" || { cat "$work/xvfb.log"; echo "FAIL: Xvfb did not start"; exit 1; }
        export DISPLAY=":$(head -n1 "$work/display")"
        wait_for 2 xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        echo "Xvfb on $DISPLAY (attempt $attempt) cannot be reached:"
        cat "$work/xvfb.log"
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    echo "FAIL: no X server"
    exit 1
}

# Into the empty scratch folder, so the program's cues come from its own copy.
enter_work() {
    cd "$work" || exit 1
    export XDG_RUNTIME_DIR="$work"
    # No session bus here, and none of the desktop's: a bus address where nothing listens.
    # Without any address libdbus forks a helper to look for a bus on the X display; on the
    # sanitizer build that child can hang in the allocator (about one start in fifteen), and
    # libdbus leaves 1 KB behind.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
}

# Answers the next modal box whose title matches $1 with Return; the box must be a new window
# (each question is a fresh dialog), and must be gone afterwards. Without a window manager
# nobody gives a box the focus, so this does, as a desktop would.
answered=""
answer() {
    local title=$1 box=""
    find_new_box() {
        local id
        for id in $(xdotool search --onlyvisible --name "$title" 2>/dev/null); do
            case " $answered " in *" $id "*) ;; *) box=$id; return 0 ;; esac
        done
        return 1
    }
    wait_for 10 find_new_box || fail "no box titled $title"
    answered="$answered $box"
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key --clearmodifiers Return
    wait_for 10 bash -c "! xdotool search --onlyvisible --name '$title' | grep -qx '$box'" ||
        fail "the box titled $title did not close"
}

# After a click or key that asks to quit: Yes to the question, then the program must end by
# itself with status 0.
quit_answered_yes() {
    answer '^ペルネ実験$'
    wait_for 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "the program did not end after Yes"
    wait "$app_pid"
    local status=$?
    app_pid=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# The field Picture1 of the simulation window $win at its normal size (left 8, top 32,
# 465 x 297 pixels), as a PNG file; and how many pixels two such pictures differ in.
field() { import -display "$DISPLAY" -window "$win" -crop 465x297+8+32 +repage "$1" 2>/dev/null; }
differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# Whether the field now differs from the picture $1: the walkers have moved.
moved_from() {
    field "$work/now.png"
    local n
    n=$(differing_pixels "$1" "$work/now.png")
    [ -n "$n" ] && [ "$n" != "0" ]
}

# Whether the field stays the same over 0.6 s: the walkers rest.
resting() {
    field "$work/rest1.png"
    sleep 0.6
    field "$work/rest2.png"
    [ "$(differing_pixels "$work/rest1.png" "$work/rest2.png")" = "0" ]
}
