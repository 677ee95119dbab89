#!/usr/bin/env bash
# cpack -G DEB: the package holds the installed files under /usr, depends on the libraries its
# programs need (dpkg-shlibdeps), would install on this Debian system, and lintian finds no error.
set -euo pipefail
build=$1
for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
  command -v "$tool" > /dev/null || { echo "$tool absent : test sauté"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "ÉCHEC : $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp" > "$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$tmp"/*.deb)
echo "paquet : $(basename "$deb")"

[ "$(dpkg-deb -f "$deb" Package)" = tyxplumet ] || fail "nom du paquet"
[ "$(dpkg-deb -f "$deb" Version)" = 2.0 ] || fail "version du paquet"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
  [[ "$depends" == *"$lib"* ]] || fail "dépendance $lib absente : $depends"
done

dpkg-deb -c "$deb" | awk '{print $6}' > "$tmp/contents"
for f in ./usr/bin/tyxplumet ./usr/bin/tyxbuild ./usr/bin/tyxhlpc \
         ./usr/share/applications/tyxplumet.desktop ./usr/share/mime/packages/tyxplumet.xml \
         ./usr/share/icons/hicolor/scalable/apps/tyxplumet.svg ./usr/share/icons/hicolor/48x48/apps/tyxplumet.png \
         ./usr/share/icons/hicolor/scalable/mimetypes/application-x-tyxplumet-project.svg \
         ./usr/share/man/man1/tyxbuild.1.gz ./usr/share/man/man1/tyxhlpc.1.gz ./usr/share/man/man1/tyxplumet.1.gz \
         ./usr/share/tyxplumet/TyxHelp.hlp ./usr/share/tyxplumet/TyxHelp-html/index.html \
         ./usr/share/tyxplumet/TyxHelp-html/contextes.json ./usr/share/doc/tyxplumet/copyright ./usr/share/doc/tyxplumet/changelog.gz; do
  grep -qx "$f" "$tmp/contents" || fail "$f absent du paquet"
done
# Owned by root, programs executable, nothing writable by others.
dpkg-deb -c "$deb" | awk '$2 != "root/root" {print}' | grep . && fail "fichiers qui n'appartiennent pas à root"
dpkg-deb -c "$deb" | grep ' ./usr/bin/tyxplumet$' | grep -q '^-rwxr-xr-x' || fail "tyxplumet n'est pas exécutable"
dpkg-deb -c "$deb" | awk '{print $1}' | grep -E '^.{8}w' && fail "fichier modifiable par tous"

# The programs are stripped: a package of debug builds would be many times larger.
dpkg-deb -x "$deb" "$tmp/x"
file "$tmp/x/usr/bin/tyxplumet" | grep -q ', stripped' || fail "tyxplumet n'est pas dépouillé"

# Would install here: every dependency can be had on this system.
if command -v apt-get > /dev/null; then
  apt-get install --simulate -q "$deb" > "$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log" >&2; fail "apt-get ne peut pas installer le paquet"; }
fi

lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" > "$tmp/lintian.log" 2>&1 || { cat "$tmp/lintian.log" >&2; fail "lintian"; }
cat "$tmp/lintian.log"
echo "paquet vérifié"
