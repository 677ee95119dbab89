#!/usr/bin/env bash
# Independent check of the compiled HTML help: the demo, a generated 300-topic project, a Help
# Workshop project and that project's .hlp file are written as .chm files (tyxbuild --chm,
# tyxhlpc --chm) and opened in Wine's
# HTML Help viewer (hh.exe). Its +htmlhelp trace must show the file's title, default topic and
# contents file read from the .chm, the window must carry the help's caption (the main window's
# caption of the project, else its title, as in the WinHelp viewer), and the contents tree must be
# read with every topic of the project; an application's context help (hh.exe -mapid N) must open
# the page of [MAP] number N. Wine draws no page without its Gecko package, so
# the pages themselves are checked through chmlib (tests/html/check-chm.sh).
#
#   check-chm-in-wine.sh TYXBUILD TYXHLPC TYX_SAMPLE_PROJECT SOURCE_DIR
#
# Screenshots of the viewer stay in the work folder (wine-chm/*.png).
# Exit status: 0 passed, 1 failed, 77 skipped (wine or Xvfb missing).
set -u

BUILD=${1:-}
HLPC=${2:-}
SAMPLE=${3:-}
SOURCE=${4:-}

if ! command -v wine >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
    echo "wine or Xvfb is not installed: check skipped"
    exit 77
fi
for tool in "$BUILD" "$HLPC" "$SAMPLE"; do
    if [ ! -x "$tool" ]; then
        echo "FAIL: $tool is not built"
        exit 1
    fi
done

here=$(cd "$(dirname "$0")" && pwd)
build_root=$(cd "$(dirname "$HLPC")/../../.." && pwd)
WINE_CHECK_NAME=wine-chm
# shellcheck source=wine-common.sh
. "$here/wine-common.sh"

# window_named TEXT: true when a top-level window's name holds TEXT (UTF-8).
window_named() {
    command -v xwininfo >/dev/null 2>&1 || return 0
    xwininfo -root -tree 2>/dev/null | grep -aqF -- "\"$1"
}

# hpj_value HPJ PATTERN: the first match of a sed pattern in the .hpj, in UTF-8.
hpj_value() {
    sed -n "$2" "$1" | head -1 | tr -d '\r' | iconv -f CP1252 -t UTF-8
}
# The window's caption: the main window's caption in [WINDOWS] when the project gives one (as the
# WinHelp viewer shows it), else the help's title.
caption_of() {
    local caption
    caption=$(hpj_value "$1" 's/^[Mm][Aa][Ii][Nn] *= *"\([^"]*\)".*/\1/p')
    [ -n "$caption" ] || caption=$(hpj_value "$1" 's/^[Tt][Ii][Tt][Ll][Ee]=//p')
    printf '%s' "$caption"
}

# open_chm NAME CHM HPJ ENTRIES: opens the file in hh.exe until its contents are drawn, then
# checks the trace, the window's title and how many contents entries the viewer read.
open_chm() {
    local name=$1 chm=$2 hpj=$3 entries=$4
    local trace=$WORK/$name.trace title caption
    title=$(hpj_value "$hpj" 's/^[Tt][Ii][Tt][Ll][Ee]=//p')
    caption=$(caption_of "$hpj")
    (cd "$(dirname "$chm")" && WINEDEBUG=+htmlhelp exec timeout 150 wine hh.exe "$(basename "$chm")") >/dev/null 2>"$trace" &
    viewer_pid=$!
    local waited=0 titled=0
    while kill -0 "$viewer_pid" 2>/dev/null && [ "$waited" -lt 150 ]; do
        # The tabs are set up once the contents tree is filled.
        if grep -aqF "OnTabChange" "$trace" && window_named "$caption"; then
            titled=1
            sleep 6
            break
        fi
        sleep 1
        waited=$((waited + 1))
    done
    command -v import >/dev/null 2>&1 && import -window root "$WORK/$name.png" 2>/dev/null
    kill "$viewer_pid" 2>/dev/null
    wait "$viewer_pid" 2>/dev/null
    viewer_pid=
    timeout 20 wineserver -k >/dev/null 2>&1

    [ "$titled" = 1 ] || fail "$name: no window titled « $caption » (the trace is in $trace)"
    grep -aqF "Title is \"$(traced "$title")" "$trace" || fail "$name: the viewer did not read the title « $title » from #SYSTEM"
    grep -aqF 'Default topic is "index.html' "$trace" || fail "$name: the viewer did not read the default topic"
    grep -aqF 'TOC is "sommaire.hhc' "$trace" || fail "$name: the viewer did not read the contents file's name"
    if grep -aqE 'Could not (open|read) (storage|stream|#)|err:htmlhelp' "$trace"; then
        fail "$name: the viewer reported errors: $(grep -aE 'Could not (open|read) (storage|stream|#)|err:htmlhelp' "$trace" | head -3)"
    fi
    # Every entry of the contents tree is one "text/sitemap" object the viewer parses (the index
    # has more of them).
    local read
    read=$(grep -ac 'parse_ul <OBJECT type="text/sitemap"' "$trace")
    [ "$read" -ge "$entries" ] || fail "$name: the viewer read $read sitemap entries, expected at least $entries"
}

# open_number NAME CHM NUMBER PAGE: an application's context help (hh.exe -mapid NUMBER, the
# viewer's HH_HELP_CONTEXT) must find PAGE through #IVB and open it.
open_number() {
    local name=$1 chm=$2 number=$3 page=$4
    local trace=$WORK/$name-$number.trace
    (cd "$(dirname "$chm")" && WINEDEBUG=+htmlhelp exec timeout 90 wine hh.exe -mapid "$number" "$(basename "$chm")") >/dev/null 2>"$trace" &
    viewer_pid=$!
    local waited=0
    while kill -0 "$viewer_pid" 2>/dev/null && [ "$waited" -lt 90 ] && ! grep -aqF "navigate_url" "$trace"; do
        sleep 1
        waited=$((waited + 1))
    done
    kill "$viewer_pid" 2>/dev/null
    wait "$viewer_pid" 2>/dev/null
    viewer_pid=
    timeout 20 wineserver -k >/dev/null 2>&1
    grep -aqF "FindContextAlias returning \"$page\"" "$trace" || fail "$name: context number $number does not give $page through #IVB"
    grep -aqF "::/$page\"" "$trace" || fail "$name: context number $number does not open $page"
}

echo "== demo (tyxbuild --chm)"
mkdir -p "$WORK/demo"
cp "$SOURCE/examples/demo/DEMO.hpa" "$WORK/demo/"
if "$BUILD" --chm "$WORK/demo/DEMO.hpa" >"$WORK/demo.log" 2>&1 && [ -s "$WORK/demo/DEMO.chm" ]; then
    open_chm demo "$WORK/demo/DEMO.chm" "$WORK/demo/DEMO.hpj" "$(grep -ac '^<BLOC' "$WORK/demo/DEMO.hpa")"
else
    fail "demo: DEMO.chm not written"
    cat "$WORK/demo.log"
fi

echo "== generated project, 300 topics (tyxhlpc --chm)"
if hpj=$("$SAMPLE" generated "$WORK/generated" 300) && "$HLPC" --chm "$WORK/generated/GENERE.chm" "$hpj" >"$WORK/generated.log" 2>&1; then
    open_chm generated "$WORK/generated/GENERE.chm" "$hpj" 300
    for number in 2 150 300; do
        open_number generated "$WORK/generated/GENERE.chm" "$number" "$(printf 'IDH_Sujet%04d.html' "$number")"
    done
else
    fail "generated: GENERE.chm not written"
    cat "$WORK/generated.log"
fi

echo "== Help Workshop project (tyxhlpc --chm)"
cp -r "$SOURCE/tests/data/winhelp-projects/workshop" "$WORK/workshop"
if "$HLPC" --chm "$WORK/workshop/ATELIER.chm" "$WORK/workshop/ATELIER.hpj" >"$WORK/workshop.log" 2>&1; then
    open_chm workshop "$WORK/workshop/ATELIER.chm" "$WORK/workshop/ATELIER.hpj" 5
else
    fail "workshop: ATELIER.chm not written"
    cat "$WORK/workshop.log"
fi

echo "== a help file (tyxhlpc --chm AIDE.chm ATELIER.hlp)"
if "$HLPC" "$WORK/workshop/ATELIER.hpj" >"$WORK/hlp.log" 2>&1 \
    && "$HLPC" --chm "$WORK/workshop/AIDE.chm" "$WORK/workshop/ATELIER.hlp" >>"$WORK/hlp.log" 2>&1; then
    open_chm hlp "$WORK/workshop/AIDE.chm" "$WORK/workshop/ATELIER.hpj" 5
else
    fail "hlp: AIDE.chm not written"
    cat "$WORK/hlp.log"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s); traces and screenshots in $WORK"
    exit 1
fi
echo "the viewer opened every .chm with its title and contents (screenshots in $WORK)"
exit 0
