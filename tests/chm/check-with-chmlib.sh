#!/usr/bin/env bash
# Independent check of the compiled HTML help with chmlib (Debian's libchm-bin), a reader written
# elsewhere: the demo (tyxbuild --chm), a generated 300-topic project and a Help Workshop project
# (tyxhlpc --chm) are written both as a .chm and as a help site. enum_chmLib must list every file
# of the site but its search page and script, with the pages and pictures in the compressed
# section; extract_chmLib must give them back byte for byte (the pages without the search form of
# the site's header, since the viewer searches itself); every link and picture of the
# extracted pages must lead to a file of the .chm; #IVB must hold one entry per [MAP] number,
# each naming the page the site's contextes.json gives that number. A .hlp file written as a .chm
# (tyxhlpc --chm from the compiled Help Workshop project) is read back the same way, its links too.
#
#   check-with-chmlib.sh TYXBUILD TYXHLPC TYX_SAMPLE_PROJECT SOURCE_DIR WORK_DIR
#
# Exit status: 0 passed, 1 failed, 77 skipped (chmlib's tools missing).
set -u

BUILD=${1:-}
HLPC=${2:-}
SAMPLE=${3:-}
SOURCE=${4:-}
WORK=${5:-}

if ! command -v enum_chmLib >/dev/null 2>&1 || ! command -v extract_chmLib >/dev/null 2>&1; then
    echo "chmlib's tools (libchm-bin) are not installed: check skipped"
    exit 77
fi
for tool in "$BUILD" "$HLPC" "$SAMPLE"; do
    if [ ! -x "$tool" ]; then
        echo "FAIL: $tool is not built"
        exit 1
    fi
done
rm -rf "$WORK"
mkdir -p "$WORK"

failures=0
fail() {
    failures=$((failures + 1))
    [ "$failures" -le 30 ] && echo "FAIL: $*"
}

# dword FILE OFFSET: the little-endian DWORD at OFFSET.
dword() {
    od -An -tu4 -j "$2" -N 4 "$1" | tr -d ' '
}
# string_at FILE OFFSET: the zero-ended string at OFFSET.
string_at() {
    tail -c +"$(($2 + 1))" "$1" | head -c 4096 | tr '\0' '\n' | head -1
}

# check NAME CHM [SITE]: the .chm against the site made from the same project (without a site:
# its files and links only).
check() {
    local name=$1 chm=$2 site=${3:-}
    local out=$WORK/$name-extracted listing=$WORK/$name.list
    if ! enum_chmLib "$chm" >"$listing" 2>&1; then
        fail "$name: enum_chmLib cannot read the file"
        return
    fi
    extract_chmLib "$chm" "$out" >/dev/null 2>&1 || fail "$name: extract_chmLib failed"
    local files=0 f rel
    [ -n "$site" ] && while IFS= read -r f; do
        rel=${f#"$site"/}
        case $rel in recherche.html | recherche.js) continue ;; esac
        files=$((files + 1))
        grep -qE "^ +1 +[0-9]+ +[0-9]+ +normal file[[:space:]]+/$rel\$" "$listing" \
            || fail "$name: /$rel is not listed in the compressed section"
        # A page of the .chm is the site's page without its search form (the viewer searches).
        case $rel in
        *.html)
            grep -q '<form class="chercher"' "$out/$rel" && fail "$name: /$rel still has the site's search form"
            cmp -s <(grep -v '^<form class="chercher"' "$f") "$out/$rel" || fail "$name: /$rel extracted is not the site's page"
            ;;
        *) cmp -s "$f" "$out/$rel" || fail "$name: /$rel extracted is not the site's file" ;;
        esac
    done < <(find "$site" -type f | sort)
    if [ -z "$site" ]; then
        files=$(grep -cE '^ +1 +[0-9]+ +[0-9]+ +normal file' "$listing")
        [ "$(find "$out" -name '*.html' | wc -l)" -gt 1 ] || fail "$name: no page extracted"
    fi
    [ "$files" -gt 0 ] || fail "$name: the site is empty"
    for rel in recherche.html recherche.js; do
        [ -e "$out/$rel" ] && fail "$name: /$rel (the site's search) is in the .chm"
    done
    for rel in sommaire.hhc motscles.hhk '#SYSTEM' '#WINDOWS' '#STRINGS' '#TOPICS' '#URLTBL' '#URLSTR' '#IDXHDR' '#IVB'; do
        [ -e "$out/$rel" ] || fail "$name: /$rel is missing"
    done

    # Every link and picture of every page leads to a file of the .chm.
    local page target links=0
    for page in "$out"/*.html; do
        while IFS= read -r target; do
            target=${target#*=\"}
            target=${target%\"}
            case $target in '' | '#'* | http:* | https:* | mailto:* | javascript:* | data:*) continue ;; esac
            target=${target%%#*}
            target=${target%%\?*}
            links=$((links + 1))
            [ -f "$out/$target" ] || fail "$name: $(basename "$page") leads to $target, which the .chm does not hold"
        done < <(grep -oE '(href|src)="[^"]*"' "$page")
    done
    # The contents and the index open pages of the .chm too.
    for page in "$out/sommaire.hhc" "$out/motscles.hhk"; do
        while IFS= read -r target; do
            target=${target#*value=\"}
            target=${target%\"}
            links=$((links + 1))
            [ -f "$out/$target" ] || fail "$name: $(basename "$page") opens $target, which the .chm does not hold"
        done < <(grep -oE 'name="Local" value="[^"]*"' "$page")
    done
    [ "$links" -gt 0 ] || fail "$name: no link was checked"

    if [ -z "$site" ]; then
        echo "$name: $files files, $links links followed"
        return
    fi
    # #IVB: one entry per [MAP] number of the site's contextes.json, with the same page.
    local ivb=$out/#IVB strings=$out/#STRINGS size count i number page want expected
    size=$(dword "$ivb" 0)
    count=$((size / 8))
    expected=$(sed -n '/"numeros"/,/}/p' "$site/contextes.json" | grep -c '^"[0-9]*":')
    [ "$count" = "$expected" ] || fail "$name: #IVB has $count entries, the [MAP] section $expected numbers"
    for ((i = 0; i < count; i++)); do
        number=$(dword "$ivb" $((4 + 8 * i)))
        page=$(string_at "$strings" "$(dword "$ivb" $((8 + 8 * i)))")
        want=$(sed -n '/"numeros"/,/}/p' "$site/contextes.json" | sed -n "s/^\"$number\": \"\\(.*\\)\",\\{0,1\\}\$/\\1/p")
        [ -n "$want" ] && [ "$page" = "$want" ] || fail "$name: #IVB gives number $number the page « $page », the site « $want »"
    done
    echo "$name: $files files whole, $links links followed, $count context numbers"
}

echo "== demo"
mkdir -p "$WORK/demo"
cp "$SOURCE/examples/demo/DEMO.hpa" "$WORK/demo/"
if "$BUILD" --chm "$WORK/demo/DEMO.hpa" >"$WORK/demo-chm.log" 2>&1 && "$BUILD" --html "$WORK/demo/DEMO.hpa" >"$WORK/demo-html.log" 2>&1; then
    check demo "$WORK/demo/DEMO.chm" "$WORK/demo/DEMO-html"
else
    fail "demo: not built"
    cat "$WORK/demo-chm.log" "$WORK/demo-html.log"
fi

echo "== demo with its pictures"
if hpj=$("$SAMPLE" demo "$WORK/pictures") && "$HLPC" --chm "$WORK/pictures/demo.chm" "$hpj" >"$WORK/pictures.log" 2>&1 \
    && "$HLPC" --html "$WORK/pictures/site" "$hpj" >>"$WORK/pictures.log" 2>&1; then
    check pictures "$WORK/pictures/demo.chm" "$WORK/pictures/site"
    ls "$WORK/pictures/site/images/"* >/dev/null 2>&1 || fail "pictures: the project has no picture to check"
else
    fail "pictures: not built"
    cat "$WORK/pictures.log"
fi

echo "== generated project, 300 topics"
if hpj=$("$SAMPLE" generated "$WORK/generated" 300) && "$HLPC" --chm "$WORK/generated/GENERE.chm" "$hpj" >"$WORK/generated.log" 2>&1 \
    && "$HLPC" --html "$WORK/generated/site" "$hpj" >>"$WORK/generated.log" 2>&1; then
    check generated "$WORK/generated/GENERE.chm" "$WORK/generated/site"
else
    fail "generated: not built"
    cat "$WORK/generated.log"
fi

echo "== Help Workshop project"
cp -r "$SOURCE/tests/data/winhelp-projects/workshop" "$WORK/workshop"
if "$HLPC" --chm "$WORK/workshop/ATELIER.chm" "$WORK/workshop/ATELIER.hpj" >"$WORK/workshop.log" 2>&1 \
    && "$HLPC" --html "$WORK/workshop/site" "$WORK/workshop/ATELIER.hpj" >>"$WORK/workshop.log" 2>&1; then
    check workshop "$WORK/workshop/ATELIER.chm" "$WORK/workshop/site"
else
    fail "workshop: not built"
    cat "$WORK/workshop.log"
fi

echo "== a help file (tyxhlpc --chm AIDE.chm ATELIER.hlp)"
if "$HLPC" "$WORK/workshop/ATELIER.hpj" >"$WORK/hlp.log" 2>&1 \
    && "$HLPC" --chm "$WORK/workshop/AIDE.chm" "$WORK/workshop/ATELIER.hlp" >>"$WORK/hlp.log" 2>&1; then
    check hlp "$WORK/workshop/AIDE.chm"
else
    fail "hlp: not built"
    cat "$WORK/hlp.log"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s); files in $WORK"
    exit 1
fi
echo "chmlib read every .chm whole"
exit 0
