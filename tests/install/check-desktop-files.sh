#!/usr/bin/env bash
# The desktop entry and the MIME type of project files, checked with the tools that read them:
# desktop-file-validate, xmllint against the shared-mime-info format, update-mime-database, and
# the desktop's MIME lookup on project files by name and by their <HEADER> first line.
set -euo pipefail
source=$1
probe=$2
for tool in desktop-file-validate xmllint update-mime-database; do
  command -v "$tool" > /dev/null || { echo "$tool absent : test sauté"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "ÉCHEC : $*" >&2; exit 1; }
data="$source/data"

out=$(desktop-file-validate "$data/tyxplumet.desktop" 2>&1) || fail "desktop-file-validate : $out"
[ -z "$out" ] || fail "desktop-file-validate : $out"
grep -qx 'Exec=tyxplumet %f' "$data/tyxplumet.desktop" || fail "Exec ne passe pas le fichier"
grep -qx 'MimeType=application/x-tyxplumet-project;application/winhlp;' "$data/tyxplumet.desktop" || fail "types MIME absents de l'entrée"
grep -q '^Comment=.*aide' "$data/tyxplumet.desktop" || fail "commentaire français absent"

xmllint --noout --relaxng "$source/tests/install/shared-mime-info.rng" "$data/tyxplumet.xml" 2> "$tmp/xmllint.log" \
  || fail "xmllint : $(cat "$tmp/xmllint.log")"

# The database a desktop builds from the file beside the system's own types, as an installed
# package gets it, and what it then says of project files.
mkdir -p "$tmp/share/mime/packages" "$tmp/home"
cp "$data/tyxplumet.xml" "$tmp/share/mime/packages/"
[ -f /usr/share/mime/packages/freedesktop.org.xml ] && cp /usr/share/mime/packages/freedesktop.org.xml "$tmp/share/mime/packages/"
update-mime-database "$tmp/share/mime" 2> "$tmp/update.log" || fail "update-mime-database : $(cat "$tmp/update.log")"
grep -q 'application/x-tyxplumet-project' "$tmp/share/mime/types" || fail "type absent de la base"

mkdir "$tmp/files"
cp "$source/examples/demo/DEMO.hpa" "$tmp/files/DEMO.hpa"
cp "$source/examples/demo/DEMO.hpa" "$tmp/files/COPIE.HPA"
cp "$source/examples/demo/DEMO.hpa" "$tmp/files/sans-extension"
printf '<HEADER>\nMS Sans Serif\n' > "$tmp/files/unix-lines"
printf 'Bonjour\r\n<HEADER>\r\n' > "$tmp/files/texte.txt"
printf 'pas un projet\n' > "$tmp/files/faux.hpa"
export XDG_DATA_DIRS="$tmp/share" XDG_DATA_HOME="$tmp/home"
type=application/x-tyxplumet-project
check() { # mode file expected
  got=$("$probe" "$1" "$tmp/files/$2")
  [ "$got" = "$3" ] || fail "$2 ($1) : $got au lieu de $3"
}
check auto DEMO.hpa "$type"
check auto COPIE.HPA "$type"
check name faux.hpa "$type"
check content sans-extension "$type"
check content unix-lines "$type"
check auto sans-extension "$type"
# Help files are the system's own type, which the entry opens in the viewer.
if [ -f /usr/share/mime/packages/freedesktop.org.xml ]; then
  cp "$source/tests/data/hlp-samples/calc-de/CALC.HLP" "$tmp/files/CALC.HLP"
  check name CALC.HLP application/winhlp
fi
# The tag further down is no project, whatever else the system makes of the file.
for mode in content auto; do
  got=$("$probe" "$mode" "$tmp/files/texte.txt")
  [ "$got" != "$type" ] || fail "texte.txt ($mode) pris pour un projet"
done

# Every icon the entry and the type name exists in the theme folders, in every size.
for name in apps/tyxplumet mimetypes/application-x-tyxplumet-project; do
  [ -f "$data/icons/${name#*/}.svg" ] || fail "${name#*/}.svg absent"
  for size in 16 22 24 32 48 64 128 256; do
    [ -f "$data/icons/hicolor/${size}x${size}/$name.png" ] || fail "$name.png ${size}x${size} absent"
  done
done
echo "entrée de bureau et type MIME vérifiés"
