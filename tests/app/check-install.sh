#!/usr/bin/env bash
# Installs the build into a temporary folder as a package build does (DESTDIR, prefix /usr) and
# checks what a desktop needs of it. Usage: check-install.sh <build folder> <source folder>
set -u
build=$1
source=$2
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

if ! DESTDIR="$dest" cmake --install "$build" --prefix /usr --component orbenta >"$dest/log" 2>&1; then
    cat "$dest/log"
    echo "0 passed, 1 failed"
    exit 1
fi
root="$dest/usr"
passed=0
failed=0
ok() { passed=$((passed + 1)); }
bad() { echo "FAIL: $*"; failed=$((failed + 1)); }
expect() {
    if [ -e "$root/$1" ]; then ok; else bad "not installed: /usr/$1"; fi
}
expect_program() {
    if [ -x "$root/$1" ]; then ok; else bad "not installed as a program: /usr/$1"; fi
}

expect_program bin/orbenta
expect_program bin/orbenta-createdb
expect_program libexec/orbenta/dbpath
if [ -d "$source/reports" ]; then
    for file in $(cd "$source/reports" && find . -type f ! -name .gitkeep); do
        expect "share/orbenta/reports/${file#./}"
    done
fi
expect share/applications/de.selvaner.Orbenta.desktop
expect share/metainfo/de.selvaner.Orbenta.metainfo.xml
for size in 16 22 24 32 48 64 128 256; do
    icon="share/icons/hicolor/${size}x${size}/apps/orbenta.png"
    expect "$icon"
    if [ -e "$root/$icon" ] && command -v identify >/dev/null 2>&1; then
        actual=$(identify -format '%wx%h' "$root/$icon")
        [ "$actual" = "${size}x${size}" ] && ok || bad "$icon is $actual"
    fi
done

# Only the program's own files: no tests, no benchmark.
others=$(cd "$root" && find . -type f | grep -E 'tst_|bench' || true)
[ -z "$others" ] && ok || bad "installed besides the program: $others"

# The menu entry and the software-centre description as the desktop's tools read them.
if desktop-file-validate "$root/share/applications/de.selvaner.Orbenta.desktop"; then
    ok
else
    bad "desktop-file-validate refuses the menu entry"
fi
grep -q '^Exec=orbenta$' "$root/share/applications/de.selvaner.Orbenta.desktop" && ok ||
    bad "the menu entry does not start orbenta"
grep -q '^Icon=orbenta$' "$root/share/applications/de.selvaner.Orbenta.desktop" && ok ||
    bad "the menu entry does not name the icon"
if command -v appstreamcli >/dev/null 2>&1; then
    if appstreamcli validate --no-net "$root/share/metainfo/de.selvaner.Orbenta.metainfo.xml" >"$dest/as.log" 2>&1; then
        ok
    else
        cat "$dest/as.log"
        bad "appstreamcli refuses the metainfo file"
    fi
fi

# The installed tools run from any folder.
work=$(mktemp -d)
if (cd / && "$root/bin/orbenta-createdb" --demo "$work" >/dev/null 2>&1) && [ -f "$work/ORBTData.mdb" ]; then
    ok
else
    bad "the installed orbenta-createdb does not run"
fi
rm -rf "$work"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
