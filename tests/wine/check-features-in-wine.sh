#!/usr/bin/env bash
# Independent check of what the compiler makes of the projects people have: the feature projects
# of tests/data/winhelp-projects (tables, pictures inside the RTF and a .shg, a Help Workshop 4
# project, macro hot spots, a Russian project), compiled by tyxhlpc and opened in Wine's WinHelp
# viewer. Its +winhelp trace must show the table rows, the pictures and hot spots, the alias
# jumps, the secondary window, the macros, the Cyrillic title bytes, and no error.
#
#   check-features-in-wine.sh TYXHLPC TYX_SAMPLE_PROJECT
#
# Screenshots of the table, the pictures and the secondary window stay in the work folder.
# Exit status: 0 passed, 1 failed, 77 skipped (wine or Xvfb missing).
set -u

HLPC=${1:-}
SAMPLE=${2:-}

if ! command -v wine >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
    echo "wine or Xvfb is not installed: check skipped"
    exit 77
fi
for tool in "$HLPC" "$SAMPLE"; do
    if [ ! -x "$tool" ]; then
        echo "FAIL: $tool is not built"
        exit 1
    fi
done

here=$(cd "$(dirname "$0")" && pwd)
build_root=$(cd "$(dirname "$HLPC")/../../.." && pwd)
WINE_CHECK_NAME=wine-features
# shellcheck source=wine-common.sh
. "$here/wine-common.sh"

# compile NAME: writes the feature project and compiles it; prints the .hlp path.
compile() {
    local name=$1 hpj
    hpj=$("$SAMPLE" feature "$name" "$WORK/$name") || { fail "$name: project not written"; return 1; }
    if ! "$HLPC" "$hpj" >"$WORK/$name-compile.log" 2>&1; then
        fail "$name: not compiled"
        cat "$WORK/$name-compile.log"
        return 1
    fi
    tail -1 "$WORK/$name-compile.log" >&2
    printf '%s' "${hpj%.*}.hlp"
}

# expect NAME TRACE TEXT...: every TEXT (UTF-8, written as the trace writes it) is in the trace.
expect() {
    local name=$1 trace=$2 text
    shift 2
    for text in "$@"; do
        grep -aqF -- "$(traced "$text")" "$trace" || fail "$name: the trace does not show: $text"
    done
}

echo "== tables"
if hlp=$(compile tables); then
    shot_file=$WORK/tables.png
    view "$hlp" "$WORK/tables.trace" 60 "Texte apr"
    shot_file=
    no_errors tables "$WORK/tables.trace"
    expect tables "$WORK/tables.trace" "New table: cols=2" "column(1/2)" \
        'Got text: "Commande"' 'Got text: "Action"' 'Got text: "Nouveau"' 'Got text: "Crée un nouveau document."' \
        'Got text: "Enregistrer sous"' 'Got text: "Premier"' 'Got text: "Ligne deux"' 'Got text: "Texte après la table."'
    [ "$(grep -a -c 'New table: cols=2' "$WORK/tables.trace")" -ge 4 ] || fail "tables: fewer than 4 two-column rows"
    view "$hlp" "$WORK/tables-borders.trace" 40 "Gamma" -i IDH_NOUVEAU
    no_errors tables "$WORK/tables-borders.trace"
    expect tables "$WORK/tables-borders.trace" "New table: cols=3" 'Got text: "Colonne A"' 'Got text: "Bêta"' 'Got text: "Gamma"' \
        'Got text: "Trois"'
    echo "tables: rows and cells shown"
fi

echo "== pictures"
if hlp=$(compile pictures); then
    shot_file=$WORK/pictures.png
    view "$hlp" "$WORK/pictures.trace" 60 'c8-0000'
    shot_file=
    no_errors pictures "$WORK/pictures.trace"
    # The metafile, the DIB, the device bitmap, the PNG, the JPEG, the .shg and the .bmp.
    expect pictures "$WORK/pictures.trace" "Loading picture #6" "Loading metafile" "bc=4 size=(32,24)" "bc=1 size=(16,16)" \
        "bc=4 size=(96,48)" "bc=24 size=(64,40)" "bc=4 size=(96,64)" "bc=4 size=(48,32)" "Unpacking (2)" \
        'e7-0400 {"saut","IDH_CIBLE"}' 'e6-0400 {"note","IDH_NOTE"}' 'ef-0400 {"seconde","IDH_SECONDAIRE>second"}' \
        "c8-0000 {\"macro\",\"JI(\`',\`IDH_CIBLE')\"}"
    echo "pictures: every picture and hot spot loaded"
fi

echo "== workshop"
if hlp=$(compile workshop); then
    view "$hlp" "$WORK/workshop.trace" 60 "Page suivante"
    no_errors workshop "$WORK/workshop.trace"
    expect workshop "$WORK/workshop.trace" "flags=0004" 'name="main" caption="Atelier d'"'"'aide" (653,102)x(360,600)' \
        'type="secondary" name="second" caption="Seconde fenêtre"' 'name="proc4"' 'title="Sommaire de l'"'"'atelier"' \
        'Got text: "Procédure en seconde fenêtre"'
    # The hot spot into the secondary window carries its number (1: "second").
    grep -aq 'Link\[[0-9]*\] to .*ATELIER.hlp"@[0-9a-f]*:1$' "$WORK/workshop.trace" || fail "workshop: no jump into window 1"
    # Aliases: one alias, and an alias of an alias.
    view "$hlp" "$WORK/workshop-alias.trace" 40 "Pour cr" -i HID_FILE_NEW
    no_errors workshop "$WORK/workshop-alias.trace"
    expect workshop "$WORK/workshop-alias.trace" 'Got text: "Pour créer un document, choisissez Nouveau."'
    view "$hlp" "$WORK/workshop-alias2.trace" 40 "Sommaire de" -i HIDR_MAINFRAME
    no_errors workshop "$WORK/workshop-alias2.trace"
    expect workshop "$WORK/workshop-alias2.trace" 'Got text: "Sommaire de l'"'"'atelier"'
    # A copy whose [CONFIG] opens a topic in the secondary window.
    mkdir -p "$WORK/workshop/second"
    cp -r "$WORK/workshop/"*.h* "$WORK/workshop/"*.rtf "$WORK/workshop/lisezmoi.txt" "$WORK/workshop/data" "$WORK/workshop/second/"
    awk '{ print } /^BrowseButtons\(\)/ { printf "JI(`>second'"'"',`IDH_PROCEDURE'"'"')\r\n" }' "$WORK/workshop/ATELIER.hpj" \
        >"$WORK/workshop/second/ATELIER.hpj"
    if "$HLPC" "$WORK/workshop/second/ATELIER.hpj" >"$WORK/workshop-second.log" 2>&1; then
        shot_file=$WORK/secondary-window.png
        view "$WORK/workshop/second/ATELIER.hlp" "$WORK/workshop-second.trace" 60 "Texte de la proc"
        shot_file=
        no_errors workshop "$WORK/workshop-second.trace"
        expect workshop "$WORK/workshop-second.trace" 'MACRO_JumpHash ("", "second"' \
            'Got text: "Texte de la procédure, en seconde fenêtre."'
    else
        fail "workshop: the copy with the secondary window was not compiled"
    fi
    echo "workshop: compressed file, windows, aliases and secondary window shown"
fi

echo "== macros"
if hlp=$(compile macros); then
    view "$hlp" "$WORK/macros.trace" 60 'Got text: "Cible"'
    no_errors macros "$WORK/macros.trace"
    expect macros "$WORK/macros.trace" "macro => \"AL(\`impression',0,\`',\`')\"" "macro => \"KL(\`imprimer',1,\`',\`')\"" \
        "macro => \"JI(\`MACROS.HLP>second',\`IDH_CIBLE')\"" "macro => \"CloseWindow(\`second');JI(\`',\`IDH_CIBLE')\"" \
        "macro => \"KL(\`imprimer',1)\"" "macro => \"JI(\`',\`IDH_CIBLE')\"" 'macro => "Back()"' 'macro => "Next()"'
    [ "$(grep -a -c 'macro => "AL(' "$WORK/macros.trace")" -ge 2 ] || fail "macros: the split AL() hot spot is no macro"
    echo "macros: every hot spot is a macro"
fi

echo "== russian"
if hlp=$(compile russian); then
    shot_file=$WORK/russian.png
    view "$hlp" "$WORK/russian.trace" 60 "Got text"
    shot_file=
    no_errors russian "$WORK/russian.trace"
    # The trace writes bytes above 0x7F as \xNN: the code page 1251 bytes of the titles.
    for pair in 'Title: "|Справка по программе' 'title="|Главная страница' 'title="|Печать документа' 'Got text: "|Добро пожаловать в справку. '; do
        prefix=${pair%%|*}
        text=${pair#*|}
        grep -aqF -- "$prefix$(traced "$text" CP1251)" "$WORK/russian.trace" || fail "russian: the trace does not show $prefix$text"
    done
    expect russian "$WORK/russian.trace" "Charset: 204"
    echo "russian: code page 1251 bytes and character set shown"
fi

if [ "$failures" -gt 0 ]; then
    echo "wine feature check: $failures failure(s); traces in $WORK"
    exit 1
fi
echo "wine feature check passed; traces and screenshots in $WORK"
exit 0
