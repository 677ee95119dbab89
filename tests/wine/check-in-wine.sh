#!/usr/bin/env bash
# Independent check of the built-in WinHelp compiler: Wine's WinHelp viewer opens the compiled
# files under a private virtual display, and its +winhelp trace tells what it read.
#
#   check-in-wine.sh TYXBUILD EXAMPLES_DIR [MORE_PROJECT_DIRS...]
#
# Projects checked: the demo project and a generated project of 300 topics, both written by the
# program's own build (through the test tool tyx_sample_project) and compiled by tyxhlpc, and every
# EXAMPLES_DIR/*.hpa (and MORE_PROJECT_DIRS/*.hpa, such as the program's own help) that tyxbuild can build. For each, the trace must show every topic as a page
# with its title, the body text of every page, every keyword of the index, and no "not found" or
# "Invalid" error. The body text is read by walking the browse sequence with Next() from the
# [CONFIG] section of a copy of the project; Finder() then lists the keywords.
#
# Exit status: 0 passed, 1 failed, 77 skipped (wine or Xvfb missing).
set -u

TYXBUILD=${1:-}
EXAMPLES=${2:-}
MORE_PROJECTS=("${@:3}")

if ! command -v wine >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
    echo "wine or Xvfb is not installed: check skipped"
    exit 77
fi

here=$(cd "$(dirname "$0")" && pwd)
if [ -n "$TYXBUILD" ]; then
    build_root=$(cd "$(dirname "$TYXBUILD")/../.." 2>/dev/null && pwd)
else
    build_root=$(pwd)
fi
HLPC=${TYXHLPC:-$build_root/src/winhelp/tyxhlpc/tyxhlpc}
SAMPLE=${TYX_SAMPLE_PROJECT:-$build_root/tests/winhelp-sample/tyx_sample_project}
for tool in "$HLPC" "$SAMPLE"; do
    if [ ! -x "$tool" ]; then
        echo "FAIL: $tool is not built"
        exit 1
    fi
done

WINE_CHECK_NAME=wine-check
# shellcheck source=wine-common.sh
. "$here/wine-common.sh"

# check_project NAME HPJ TITLES_FILE TEXTS_FILE KEYWORDS_FILE CONTEXTS_FILE
check_project() {
    local name=$1 hpj=$2 titles=$3 texts=$4 keywords=$5 contexts=$6
    local dir hlp count
    dir=$(dirname "$hpj")
    echo "== $name"
    if ! "$HLPC" "$hpj" >"$WORK/$name-compile.log" 2>&1; then
        fail "$name: not compiled"
        cat "$WORK/$name-compile.log"
        return
    fi
    tail -1 "$WORK/$name-compile.log"
    hlp=${hpj%.*}.hlp
    count=$(grep -c . "$titles")

    # As the build wrote it: every page with its title, no error.
    [ "$name" = demo ] && shot_file=$WORK/demo-contents.png
    view "$hlp" "$WORK/$name-open.trace" 60 "Got text"
    shot_file=
    no_errors "$name" "$WORK/$name-open.trace"
    local pages
    pages=$(grep -a -c 'Added page\[' "$WORK/$name-open.trace")
    [ "$pages" -ge "$count" ] || fail "$name: $pages pages in the trace, $count topics expected"
    while IFS= read -r title; do
        grep -aqF "title=\"$(traced "$title")\"" "$WORK/$name-open.trace" || fail "$name: no page titled \"$title\""
    done <"$titles"

    # Jumps by context string through |CONTEXT.
    while IFS= read -r ctx; do
        local want=${ctx#* } id=${ctx%% *}
        view "$hlp" "$WORK/$name-ctx.trace" 40 "Got text: \"$(traced "$want")" -i "$id"
        grep -aqF "Got text: \"$(traced "$want")" "$WORK/$name-ctx.trace" || fail "$name: -i $id does not show \"$want\""
        no_errors "$name -i $id" "$WORK/$name-ctx.trace"
    done <"$contexts"

    # A copy that walks the browse sequence and opens the index: the text of every page and
    # every keyword.
    mkdir -p "$dir/walk"
    cp "$dir"/* "$dir/walk/" 2>/dev/null
    local walkhpj
    walkhpj="$dir/walk/$(basename "$hpj")"
    # The viewer runs the [CONFIG] macros again on every page it opens, so one Next() walks the
    # whole browse sequence; the first page was shown when the file was opened.
    local macros="Next()"
    # At the end of [CONFIG], after BrowseButtons().
    awk -v m="$macros" '
        /^\[/ { if (inconfig) { print m; print "Finder()"; done = 1 } inconfig = ($0 ~ /^\[CONFIG\]/) }
        { print }
        END { if (inconfig && !done) { print m; print "Finder()" } }' "$hpj" >"$walkhpj"
    if ! "$HLPC" "$walkhpj" >"$WORK/$name-walk-compile.log" 2>&1; then
        fail "$name: walking copy not compiled"
        return
    fi
    local lastkw
    lastkw=$(traced "$(tail -1 "$keywords")")
    view "${walkhpj%.*}.hlp" "$WORK/$name-walk.trace" 180 "Adding \"$lastkw\" to search list"
    no_errors "$name (walk)" "$WORK/$name-walk.trace"
    while IFS= read -r text; do
        cat "$WORK/$name-open.trace" "$WORK/$name-walk.trace" | grep -aqF "Got text: \"$(traced "$text")" ||
            fail "$name: text \"$text\" not shown"
    done <"$texts"
    while IFS= read -r kw; do
        grep -aqF "Adding \"$(traced "$kw")\" to search list" "$WORK/$name-walk.trace" || fail "$name: keyword \"$kw\" not in the index"
    done <"$keywords"
    echo "$name: $count topics checked"
}

# The demo project.
demo=$WORK/demo
"$SAMPLE" demo "$demo" >/dev/null || fail "demo project not written"
printf '%s\n' "Accueil" "Démarrage rapide" "Imprimer un document" >"$WORK/demo-titles"
printf '%s\n' "Bienvenue dans l'aide de " "Un paragraphe centré" "Un paragraphe encadré" "Lancez le " \
    "Choisissez la commande " >"$WORK/demo-texts"
printf '%s\n' "accueil" "bienvenue" "démarrage" "impression" "imprimer" "lancer" >"$WORK/demo-keywords"
printf '%s\n' "IDH_Accueil Bienvenue dans l'aide de " "IDH_Dmarragerapide Lancez le " \
    "IDH_Imprimerundocument Choisissez la commande " "Pp0000 Texte de la note surgissante. " >"$WORK/demo-contexts"
[ -f "$demo/DEMO.hpj" ] && check_project demo "$demo/DEMO.hpj" "$WORK/demo-titles" "$WORK/demo-texts" "$WORK/demo-keywords" "$WORK/demo-contexts"

# 300 generated topics: two-level |CONTEXT and |KWBTREE, many topic blocks.
gen=$WORK/generated
"$SAMPLE" generated "$gen" 300 >/dev/null || fail "generated project not written"
: >"$WORK/gen-titles"
: >"$WORK/gen-texts"
: >"$WORK/gen-keywords"
for ((k = 1; k <= 300; k++)); do
    printf 'Sujet %04d\n' "$k" >>"$WORK/gen-titles"
    printf 'Texte du sujet %d : \n' "$k" >>"$WORK/gen-texts"
    printf 'mot%04d\n' "$k" >>"$WORK/gen-keywords"
done
for k in 1 2 77 150 151 299 300; do
    printf 'IDH_Sujet%04d Texte du sujet %d : \n' "$k" "$k"
done >"$WORK/gen-contexts"
[ -f "$gen/GENERE.hpj" ] && check_project generated "$gen/GENERE.hpj" "$WORK/gen-titles" "$WORK/gen-texts" "$WORK/gen-keywords" "$WORK/gen-contexts"

# The examples, once tyxbuild builds them: the viewer must open each without error.
if [ -n "$EXAMPLES" ] && [ -d "$EXAMPLES" ] && [ -x "$TYXBUILD" ]; then
    projects=("$EXAMPLES"/*.hpa "$EXAMPLES"/*/*.hpa)
    for dir in "${MORE_PROJECTS[@]}"; do
        projects+=("$dir"/*.hpa)
    done
    for hpa in "${projects[@]}"; do
        [ -e "$hpa" ] || continue
        base=$(basename "${hpa%.*}")
        rm -rf "$WORK/examples"
        mkdir -p "$WORK/examples"
        cp "$(dirname "$hpa")"/* "$WORK/examples/" 2>/dev/null
        if ! timeout 120 "$TYXBUILD" "$WORK/examples/$base.hpa" >"$WORK/example-$base.log" 2>&1; then
            fail "example $base: tyxbuild failed"
            continue
        fi
        hpj=$(ls "$WORK/examples/$base".hpj 2>/dev/null)
        [ -n "$hpj" ] || { fail "example $base: no .hpj"; continue; }
        hlp=$WORK/examples/$base.hlp
        [ -f "$hlp" ] || "$HLPC" "$hpj" >>"$WORK/example-$base.log" 2>&1 || { fail "example $base: not compiled"; continue; }
        view "$hlp" "$WORK/example-$base.trace" 60 "Got text"
        grep -aq 'Added page\[' "$WORK/example-$base.trace" || fail "example $base: no page in the trace"
        no_errors "example $base" "$WORK/example-$base.trace"
        echo "example $base: opened"
    done
fi

if [ "$failures" -gt 0 ]; then
    echo "wine check: $failures failure(s); traces in $WORK"
    exit 1
fi
echo "wine check passed; traces in $WORK"
exit 0
