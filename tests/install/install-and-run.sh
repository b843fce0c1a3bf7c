#!/usr/bin/env bash
# Usage: install-and-run.sh BUILD_DIR SAMPLE_CLIP
set -euo pipefail
build=$1
sample=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

cmake --install "$build" --prefix "$stage/usr" >/dev/null
multiarch=$(gcc -print-multiarch 2>/dev/null || true)
expected=(
  usr/bin/tessaline
  usr/bin/tessaline-cli
  "usr/lib/${multiarch:+$multiarch/}tessaline/libPictavo.so"
  usr/share/applications/tessaline.desktop
  usr/share/icons/hicolor/scalable/apps/tessaline.svg
  usr/share/man/man1/tessaline-cli.1.gz
  usr/share/man/man1/tessaline.1.gz
  usr/share/bash-completion/completions/tessaline-cli
  usr/share/doc/tessaline-cli/copyright
  usr/share/doc/tessaline-cli/changelog.gz
  usr/share/doc/tessaline/copyright
  usr/share/doc/tessaline/changelog.gz
)
status=0
for file in "${expected[@]}"; do
  [ -f "$stage/$file" ] || { echo "nicht installiert: $file" >&2; status=1; }
done
[ ! -e "$stage/usr/bin/libPictavo.so" ] || { echo "Modul neben den Programmen" >&2; status=1; }
grep -qx 'Exec=tessaline %f' "$stage/usr/share/applications/tessaline.desktop" ||
  { echo "Exec-Zeile falsch" >&2; status=1; }
# An empty RUNPATH entry would be the current folder to the system loader.
for program in usr/bin/tessaline usr/bin/tessaline-cli; do
  runpath=$(readelf -d "$stage/$program" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
  case ":$runpath:" in
    *::*) [ -z "$runpath" ] || { echo "leerer RUNPATH-Eintrag in $program: [$runpath]" >&2; status=1; } ;;
  esac
done
# Nothing beside the programs and no search path: the module must come from the installed module folder.
unset TESSALINE_MODULE_DIR LD_LIBRARY_PATH
mkdir "$stage/out"
"$stage/usr/bin/tessaline-cli" -q -o "$stage/out/sample.swf" "$sample" || status=1
[ "$(head -c 3 "$stage/out/sample.swf" 2>/dev/null)" = FWS ] || { echo "kein Film geschrieben" >&2; status=1; }
exit $status
