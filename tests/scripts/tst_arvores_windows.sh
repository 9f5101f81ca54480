#!/usr/bin/env bash
# shellcheck disable=SC2016,SC2034  # the checks are strings confere expands when it runs them
# scripts/arvores-windows keeps a complete tree, starts a half-built one over and marks a tree
# complete only when its build ended well. The archive is a name under .invalid: no tree can be
# downloaded, so any attempt to build fails.
set -euo pipefail
script=$1
d=$(mktemp -d); trap 'rm -rf "$d"' EXIT
export ZELTA_ARQUIVO_DEBIAN=http://arquivo.invalid/debian
falhas=0
confere() { if ! eval "$2"; then echo "FAIL: $1 ($2)"; falhas=$((falhas + 1)); else echo "PASS: $1"; fi; }

arvore() {   # a tree folder with one file; complete (with its marker) when $2 is "completa"
  mkdir -p "$d/$1-mingw/lib"; echo "$1" > "$d/$1-mingw/lib/lib$1.a"
  if [ "${2:-}" = completa ]; then echo "2026-01-01 00:00:00" > "$d/.$1-mingw.ok"; fi
}

# Complete trees: nothing is downloaded, rebuilt or left behind.
arvore qt completa; arvore libzip completa; arvore sqlite completa
rc=0; "$script" "$d" > "$d/saida" 2> "$d/erros" || rc=$?
confere "complete trees: success" '[ $rc -eq 0 ]'
confere "complete trees: kept" '[ "$(cat "$d"/{qt,libzip,sqlite}-mingw/lib/lib*.a | tr "\n" " ")" = "qt libzip sqlite " ]'
confere "complete trees: no work folder" '! ls -d "$d"/obra-* "$d"/apt > /dev/null 2>&1'
confere "complete trees: silent" '[ ! -s "$d/saida" ] && [ ! -s "$d/erros" ]'

# A tree without its marker was interrupted: it is removed and built again; the failed build
# is reported, leaves no marker and keeps its log; the complete tree beside it is untouched.
rm "$d/.sqlite-mingw.ok"
rc=0; "$script" "$d" sqlite qt > "$d/saida" 2> "$d/erros" || rc=$?
confere "failed build: failure" '[ $rc -ne 0 ]'
confere "failed build: half tree removed" '[ ! -e "$d/sqlite-mingw/lib/libsqlite.a" ]'
confere "failed build: no marker" '[ ! -e "$d/.sqlite-mingw.ok" ]'
confere "failed build: says which step and where its log is" \
  'log=$(sed -n "s/^arvores-windows: failed: .*(log: \(.*\))$/\1/p" "$d/erros") && [ -s "$log" ]'
confere "failed build: nothing on stdout" '[ ! -s "$d/saida" ]'
confere "failed build: other tree kept" '[ "$(cat "$d/qt-mingw/lib/libqt.a")" = qt ] && [ -f "$d/.qt-mingw.ok" ]'

# A second attempt starts the tree over again (still no marker after another failure).
rc=0; "$script" "$d" sqlite > /dev/null 2>&1 || rc=$?
confere "second attempt: failure again, no marker" '[ $rc -ne 0 ] && [ ! -e "$d/.sqlite-mingw.ok" ]'

# A marker whose tree folder was removed does not count: the tree is built again.
rm -r "$d/qt-mingw"
rc=0; "$script" "$d" qt > /dev/null 2>&1 || rc=$?
confere "marker without its tree: built again" '[ $rc -ne 0 ] && [ ! -e "$d/.qt-mingw.ok" ]'
arvore qt completa

# An unknown tree name is refused before anything is touched.
rc=0; "$script" "$d" libzip openssl 2> "$d/erros" || rc=$?
confere "unknown tree: refused" '[ $rc -eq 2 ] && grep -q "unknown tree openssl" "$d/erros"'
confere "unknown tree: trees kept" '[ -f "$d/.qt-mingw.ok" ] && [ -f "$d/libzip-mingw/lib/liblibzip.a" ]'
rm "$d/.libzip-mingw.ok"
rc=0; "$script" "$d" libzip openssl 2> "$d/erros" || rc=$?
confere "unknown tree: a tree named before it is not started" \
  '[ $rc -eq 2 ] && [ -f "$d/libzip-mingw/lib/liblibzip.a" ] && [ ! -e "$d/obra-libzip" ]'

echo "$falhas failed"
[ $falhas -eq 0 ]
