#!/bin/sh
# Installs the build given as $1 into a scratch DESTDIR and checks what lands there:
# a binary that answers --version, and refuses to run without a terminal (status 3,
# one line on standard error, nothing drawn), and the manual page.
set -u
build=$1
dest=$(mktemp -d) || exit 1
trap 'rm -rf "$dest"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR=$dest cmake --install "$build" --prefix /opt/qx >/dev/null || fail "cmake --install"
qx=$dest/opt/qx/bin/qx
[ -x "$qx" ] || fail "no binary at $qx"
[ -f "$dest/opt/qx/share/man/man1/qx.1" ] || fail "no manual page"
[ "$(find "$dest" -type f | wc -l)" -eq 2 ] || fail "unexpected files: $(find "$dest" -type f)"

[ "$("$qx" --version)" = "Linux QX v3.5g" ] || fail "--version printed '$("$qx" --version)'"
"$qx" --version >/dev/null || fail "--version status $?"

cd "$dest" || exit 1
for args in "" "notes.txt" "-h"; do
    "$qx" $args </dev/null >out 2>err
    status=$?
    [ $status -eq 3 ] || fail "qx $args without a terminal: status $status"
    [ ! -s out ] || fail "qx $args drew: $(cat out)"
    [ "$(cat err)" = "qx: standard input and output must be a terminal" ] || fail "stderr: $(cat err)"
done
[ ! -e notes.txt ] || fail "notes.txt created"
echo ok
