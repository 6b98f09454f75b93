#!/usr/bin/env bash
# Installs the build into a fresh root (DESTDIR) and runs the installed program there with a
# fresh home: the user's data folder is made in the XDG place, nothing is written into the
# installed tree, and --data accepts copied folders and refuses what is not a data folder.
# Usage: test_install.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root/dest cmake --install "$build" --prefix /usr >/dev/null
usr=$root/dest/usr
for f in bin/tamsel bin/tamsel-sql bin/tamsel-exchange share/tamsel/data/pelk.dbf \
         share/applications/org.tamsel.Tamsel.desktop share/metainfo/org.tamsel.Tamsel.metainfo.xml \
         share/icons/hicolor/scalable/apps/org.tamsel.Tamsel.svg share/icons/hicolor/48x48/apps/org.tamsel.Tamsel.png; do
  [ -e "$usr/$f" ] || fail "not installed: $f"
done
ls "$usr"/share/tamsel/data/*.dotx >/dev/null || fail "no Word templates installed"
before=$(cd "$usr" && find . -printf '%p %s %T@\n' | sort)

export HOME=$root/home XDG_RUNTIME_DIR=$root/run QT_QPA_PLATFORM=offscreen
unset XDG_DATA_HOME
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
tamsel=$usr/bin/tamsel

"$tamsel" --help | grep -q '用法：tamsel' || fail "--help"
"$tamsel" --version | grep -q '6\.0' || fail "--version"
set +e
"$tamsel" --bogus 2>"$root/err"; rc=$?
set -e
[ $rc -eq 2 ] && grep -q -- '--help' "$root/err" || fail "unknown option: status $rc"

"$tamsel" --self-check >"$root/out" || fail "self-check on the first start"
grep -qx '主窗口：Tamsel【简易版V6.0】' "$root/out" || fail "title of the default folder"
user=$HOME/.local/share/Tamsel/data
[ -f "$user/pelk.dbf" ] && [ -f "$user/zdxx.dbf" ] || fail "user data folder not made"
[ -z "$(ls -d "$user".new-* 2>/dev/null)" ] || fail "staging folder left behind"
"$tamsel" --self-check >/dev/null || fail "self-check on the second start"
after=$(cd "$usr" && find . -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || fail "the installed tree changed"

# A folder copied from an older installation: file names in upper case.
old=$root/old
mkdir "$old"
for f in "$usr"/share/tamsel/data/*; do
  b=$(basename "$f")
  cp "$f" "$old/${b^^}"
done
"$tamsel" --data="$old" --self-check | grep -q "^主窗口：.*$old" || fail "--data on upper-case names"

# The writer lock the command-line tools take keeps the program and the tools out.
flock -n "$old/tamsel.lock" "$tamsel" --data "$old" --self-check 2>"$root/err" && fail "ran while locked"
grep -q '正由另一个程序' "$root/err" || fail "no message while locked"

# Not a data folder: refused with the list of what is missing, and left as it was.
bad=$root/bad
mkdir "$bad"
cp "$usr"/share/tamsel/data/zdxx.dbf "$bad/"
listing=$(ls -a "$bad")
set +e
"$tamsel" --data "$bad" --self-check 2>"$root/err"; rc=$?
set -e
[ $rc -eq 1 ] || fail "incomplete folder: status $rc"
grep -q 'pelk.dbf' "$root/err" && grep -q 'province.dbf' "$root/err" || fail "missing tables not listed"
grep -qxF 'zdxx.dbf' "$root/err" && fail "a present table was listed"
[ "$(ls -a "$bad")" = "$listing" ] || fail "the refused folder was changed"
echo "install test passed"
