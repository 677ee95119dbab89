#!/usr/bin/env bash
# The HTML help in a real browser: the demo project, the compiler tests' demo sample, a generated
# 300-topic project and help files read back are written as help sites, then opened in Debian's Chromium, driven from node
# with playwright-core (installed by npm ci from the committed lock file; no browser is downloaded).
#   check-in-browser.sh TYXBUILD TYXHLPC TYX_SAMPLE_PROJECT SOURCE_DIR WORK_DIR
# Exit 77 (skipped) where Chromium or node is missing. The screenshots stay in WORK_DIR/captures.
set -euo pipefail
tyxbuild=$1 tyxhlpc=$2 sample=$3 src=$4 work=$5
chromium=${TYX_CHROMIUM:-/usr/bin/chromium}
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1 || [ ! -x "$chromium" ]; then
  echo "Chromium ou node absent : vérification dans le navigateur sautée."
  exit 77
fi
export TYX_CHROMIUM=$chromium PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1

rm -rf "$work"
mkdir -p "$work/npm" "$work/captures"
cp "$src/tests/html/package.json" "$src/tests/html/package-lock.json" "$src/tests/html/check-site.mjs" "$work/npm/"
# From the local cache when it has the package: no network needed after the first run.
(cd "$work/npm" && npm ci --prefer-offline --no-audit --no-fund --ignore-scripts --loglevel=error)
# Every site is checked, whatever the one before gave.
status=0
check() { (cd "$work/npm" && node check-site.mjs "$@") || status=1; }

# The demo project of the repository, through tyxbuild (levels from the project file).
cp -r "$src/examples/demo" "$work/demo"
"$tyxbuild" --html "$work/demo/DEMO.hpa"
check "$work/demo/DEMO-html" "$work/captures" demo --popup "Préfixe des clés de contexte" --keyword "comp=compiler" \
  --search "rubrique=Créer une rubrique"

# The compiler tests' demo sample, through tyxhlpc (any .hpj project: tree from its links).
hpj=$("$sample" demo "$work/echantillon")
"$tyxhlpc" --html "$work/echantillon-html" "$hpj"
check "$work/echantillon-html" "$work/captures" echantillon --popup "Texte de la note surgissante." \
  --keyword "impr=imprimer" --search "imprimer=Imprimer un document"

# 300 generated topics in two levels, through tyxbuild.
"$sample" generated "$work/genere" 300 >/dev/null
"$tyxbuild" --html "$work/genere/GENERE.hpa"
check "$work/genere/GENERE-html" "$work/captures" genere --pages 300 --keyword "mot015=mot0150" \
  --search "sujet 0150=Sujet 0150"
# The compiler's feature projects, through tyxhlpc: tables, pictures with hot spots, a Help
# Workshop project, macro hot spots, a Russian project.
for feature in tables pictures workshop macros russian; do
  hpj=$("$sample" feature "$feature" "$work/$feature")
  "$tyxhlpc" --html "$work/$feature-html" "$hpj"
done
check "$work/tables-html" "$work/captures" tables --keyword "bord=bordures" --search "document=Commandes du menu Fichier"
check "$work/pictures-html" "$work/captures" pictures --zone "Texte de la zone surgissante."
check "$work/workshop-html" "$work/captures" workshop
check "$work/macros-html" "$work/captures" macros --keyword "imprim=imprimer"
check "$work/russian-html" "$work/captures" russian --keyword "печ=печать" --search "печать=Печать документа"
# Help files read back, through tyxhlpc: the demo sample compiled, with a contents file of books
# beside it (one left empty), and the help files of other compilers kept in tests/data.
hpj=$("$sample" demo "$work/relu")
"$tyxhlpc" "$hpj" >/dev/null
base=${hpj%.*}
printf ':Base %s.hlp\r\n1 Pour commencer\r\n2 D\xe9marrage rapide=IDH_Dmarragerapide\r\n2 Imprimer=IDH_Imprimerundocument\r\n1 Livre vide\r\n2 Ailleurs=IDH_X@autre.hlp\r\n' \
  "$(basename "$base")" >"$base.cnt"
"$tyxhlpc" --html "$work/relu-html" "$base.hlp"
check "$work/relu-html" "$work/captures" relu --popup "Texte de la note surgissante." --book "Pour commencer" \
  --search "imprimer=Imprimer un document"
for name in abbrevia-readme calc-de ddab-pjdropfiles diskarcher; do
  "$tyxhlpc" --html "$work/$name-html" "$src/tests/data/hlp-samples/$name/"*.[Hh][Ll][Pp] 2>/dev/null
  check "$work/$name-html" "$work/captures" "$name"
done
echo "Captures : $work/captures"
exit $status
