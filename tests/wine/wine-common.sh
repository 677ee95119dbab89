# Shared by the Wine checks: a private Wine prefix under a private virtual display, the viewer
# run with its +winhelp trace, and the helpers that read that trace.
#
# The sourcing script sets build_root (where its work folder goes) and WINE_CHECK_NAME (the work
# folder's name); it gets WORK, fail, failures, view, traced and no_errors, and everything it
# started is stopped when it exits.

WORK=$build_root/${WINE_CHECK_NAME:-wine-check}
rm -rf "$WORK"
mkdir -p "$WORK"
export WINEPREFIX=$WORK/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

failures=0
fail() {
    failures=$((failures + 1))
    if [ "$failures" -le 20 ]; then
        echo "FAIL: $*"
    elif [ "$failures" -eq 21 ]; then
        echo "(further failures not shown)"
    fi
}

xvfb_pid=
viewer_pid=
cleanup() {
    if [ -n "$viewer_pid" ]; then
        kill "$viewer_pid" 2>/dev/null
        wait "$viewer_pid" 2>/dev/null
    fi
    # Stops the wine processes of this private prefix (services started by wineboot included).
    if [ -d "$WINEPREFIX" ]; then
        timeout 20 wineserver -k >/dev/null 2>&1
        timeout 20 wineserver -w >/dev/null 2>&1
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A free display number of our own. Another check may take the same number at the same moment:
# then one of the two Xvfb stops, and the other check's socket must not be taken for ours, so the
# display is ours only once its lock file names our Xvfb. Else the next free number is tried.
display=
for n in $(seq 91 160); do
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then
        continue
    fi
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 50); do
        kill -0 "$xvfb_pid" 2>/dev/null || break
        if [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$xvfb_pid" ]; then
            display=$n
            break
        fi
        sleep 0.2
    done
    [ -n "$display" ] && break
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
done
if [ -z "$display" ]; then
    echo "FAIL: Xvfb did not start on any free display"
    cat "$WORK/xvfb.log"
    exit 1
fi
export DISPLAY=":$display"

echo "wineboot (the first start takes a while)..."
if ! timeout 300 wineboot -i >"$WORK/wineboot.log" 2>&1; then
    echo "FAIL: wineboot did not finish"
    tail -20 "$WORK/wineboot.log"
    exit 1
fi

shot_file=
# Runs the viewer on a .hlp file until `until_pattern` is in its trace (or the time is up).
# Usage: view HLP TRACE SECONDS UNTIL_PATTERN [viewer options...]
view() {
    local hlp=$1 trace=$2 seconds=$3 pattern=$4
    shift 4
    (cd "$(dirname "$hlp")" && WINEDEBUG=+winhelp exec timeout "$seconds" wine winhlp32 "$@" "$(basename "$hlp")") \
        >/dev/null 2>"$trace" &
    viewer_pid=$!
    local waited=0
    while kill -0 "$viewer_pid" 2>/dev/null; do
        if grep -aqF -- "$pattern" "$trace" 2>/dev/null; then
            sleep 2
            if [ -n "$shot_file" ] && command -v import >/dev/null 2>&1; then
                import -window root "$shot_file" 2>/dev/null
            fi
            break
        fi
        sleep 1
        waited=$((waited + 1))
        [ "$waited" -ge "$seconds" ] && break
    done
    kill "$viewer_pid" 2>/dev/null
    wait "$viewer_pid" 2>/dev/null
    viewer_pid=
}

# The trace writes non-ASCII bytes as \xNN: TEXT (UTF-8) as the trace shows it, in the help
# file's code page (CP1252 unless given).
traced() {
    if ! printf '%s' "$1" | LC_ALL=C grep -q '[^ -~]'; then
        printf '%s' "$1"
        return
    fi
    local h out=""
    for h in $(printf '%s' "$1" | iconv -f UTF-8 -t "${2:-CP1252}" | od -An -tx1 -v); do
        if [ $((16#$h)) -ge 128 ]; then
            out+="\\x$h"
        else
            out+=$(printf "\\x$h")
        fi
    done
    printf '%s' "$out"
}

no_errors() {
    local name=$1 trace=$2
    local bad
    bad=$(grep -a -E 'not found|Invalid|wrong header|Wrong system header|does not fit|invalid size|Bogus gfx|Unsupported packing|Unknown type|unknown hotsport|Couldn.t find window|err:winhelp' "$trace" |
        grep -a -v -E 'not found\. try "(Phrases|PhrIndex)"' | head -5)
    [ -z "$bad" ] || fail "$name: the viewer reported errors:
$bad"
}
