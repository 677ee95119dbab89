#!/usr/bin/env bash
# cmake --install into a temporary DESTDIR: every file lands where the desktop and man look for
# it (the help as .hlp and HTML included), the prefix is honoured, and the installed programs work from there (tyxbuild builds the demo).
set -euo pipefail
build=$1
source=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "ÉCHEC : $*" >&2; exit 1; }

DESTDIR="$tmp/root" cmake --install "$build" --prefix /usr > "$tmp/install.log"
usr="$tmp/root/usr"
expected=(
  bin/tyxplumet bin/tyxbuild bin/tyxhlpc
  share/applications/tyxplumet.desktop
  share/mime/packages/tyxplumet.xml
  share/icons/hicolor/scalable/apps/tyxplumet.svg
  share/icons/hicolor/scalable/mimetypes/application-x-tyxplumet-project.svg
  share/man/man1/tyxplumet.1.gz share/man/man1/tyxbuild.1.gz share/man/man1/tyxhlpc.1.gz
  share/tyxplumet/TyxHelp.hlp
  share/doc/tyxplumet/copyright share/doc/tyxplumet/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/tyxplumet.png"
             "share/icons/hicolor/${size}x${size}/mimetypes/application-x-tyxplumet-project.png")
done
for f in "${expected[@]}"; do
  [ -f "$usr/$f" ] || fail "$f n'est pas installé"
done
for p in tyxplumet tyxbuild tyxhlpc; do
  [ -x "$usr/bin/$p" ] || fail "$p n'est pas exécutable"
done
# Nothing else than what is listed: no build leftovers, no static libraries, no headers.
installed=$(cd "$usr" && find . -type f | sed 's|^\./||' | grep -v '^share/tyxplumet/TyxHelp-html/' | sort)
listed=$(printf '%s\n' "${expected[@]}" | sort)
[ "$installed" = "$listed" ] || fail "fichiers installés en trop ou en moins : $(diff <(echo "$listed") <(echo "$installed") | grep '^[<>]' | tr '\n' ' ')"

# PNG icons are the sizes their folders say.
for size in 16 48 256; do
  file "$usr/share/icons/hicolor/${size}x${size}/apps/tyxplumet.png" | grep -q "$size x $size" || fail "icône ${size}x${size} de la mauvaise taille"
done
for page in tyxplumet tyxbuild tyxhlpc; do
  gzip -t "$usr/share/man/man1/$page.1.gz" || fail "page de manuel $page illisible"
  zcat "$usr/share/man/man1/$page.1.gz" | grep -q "^\.SH NOM" || fail "page de manuel $page sans section NOM"
done
cmp -s "$usr/share/tyxplumet/TyxHelp.hlp" "$build/docs/aide/TyxHelp.hlp" || fail "l'aide installée n'est pas celle de la construction"
diff -r "$usr/share/tyxplumet/TyxHelp-html" "$build/docs/aide/TyxHelp-html" > /dev/null || fail "l'aide HTML installée n'est pas celle de la construction"
for f in index.html contextes.json motscles.html IDH_Motscles.html; do
  [ -f "$usr/share/tyxplumet/TyxHelp-html/$f" ] || fail "aide HTML : $f absent"
done

# The installed programs, run from the installed tree.
"$usr/bin/tyxplumet" --version | grep -qx "tyxplumet 2.0" || fail "tyxplumet --version"
"$usr/bin/tyxbuild" --version | grep -qx "tyxbuild 2.0" || fail "tyxbuild --version"
mkdir "$tmp/demo"
cp "$source/examples/demo/DEMO.hpa" "$tmp/demo/"
"$usr/bin/tyxbuild" "$tmp/demo/DEMO.hpa" 2> "$tmp/tyxbuild.log" || { cat "$tmp/tyxbuild.log" >&2; fail "tyxbuild installé sur la démo"; }
for f in DEMO.hpj DEMO.rtf DEMO.hlp; do
  [ -s "$tmp/demo/$f" ] || fail "tyxbuild installé n'a pas écrit $f"
done
cmp -s "$source/examples/demo/DEMO.hpa" "$tmp/demo/DEMO.hpa" || fail "tyxbuild a modifié le projet"
rm "$tmp/demo/DEMO.hlp"
"$usr/bin/tyxhlpc" "$tmp/demo/DEMO.hpj" 2> "$tmp/tyxhlpc.log" || fail "tyxhlpc installé"
[ -s "$tmp/demo/DEMO.hlp" ] || fail "tyxhlpc installé n'a pas écrit DEMO.hlp"

# Another prefix, given at install time, is honoured too.
DESTDIR="$tmp/opt" cmake --install "$build" --prefix /opt/tyx > /dev/null
[ -x "$tmp/opt/opt/tyx/bin/tyxbuild" ] || fail "préfixe /opt/tyx ignoré"
[ -f "$tmp/opt/opt/tyx/share/tyxplumet/TyxHelp.hlp" ] || fail "préfixe /opt/tyx ignoré pour l'aide"
echo "installation vérifiée : ${#expected[@]} fichiers"
