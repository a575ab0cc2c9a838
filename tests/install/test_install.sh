#!/usr/bin/env bash
# A system-wide install into a staging root, its desktop files, and the Debian package.
# Arguments: the build folder, the record folder the build was configured with.
set -euo pipefail
build="$1"
records="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
passes=0
check() {
    local what="$1"
    shift
    if "$@"; then
        echo "PASS: $what"
        passes=$((passes + 1))
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

stage="$work/root"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null

check "executable installed among the games" test -x "$stage/usr/games/sorvane"
check "nothing installed in /usr/bin" test ! -e "$stage/usr/bin"
desktop="$stage/usr/share/applications/org.sorvane.Sorvane.desktop"
metainfo="$stage/usr/share/metainfo/org.sorvane.Sorvane.metainfo.xml"
check "icon in the hicolor theme" test -s "$stage/usr/share/icons/hicolor/scalable/apps/org.sorvane.Sorvane.svg"
check "desktop file is valid" desktop-file-validate "$desktop"
check "desktop file is under Education, Math and Game" grep -qx 'Categories=Education;Math;Game;' "$desktop"
check "desktop file starts the installed game" grep -qx 'Exec=/usr/games/sorvane' "$desktop"
check "metainfo is valid" appstreamcli validate --no-net "$metainfo"
check "metainfo rates the game for children" grep -q '<content_rating type="oars-1.1"/>' "$metainfo"
check "manual page in section 6" test -s "$stage/usr/share/man/man6/sorvane.6.gz"
check "manual page says where the records live" \
    zgrep -q "$records/nsorvane.txt" "$stage/usr/share/man/man6/sorvane.6.gz"
check "copyright file names the licence" \
    grep -qx 'License: Expat' "$stage/usr/share/doc/sorvane/copyright"
check "changelog installed" test -s "$stage/usr/share/doc/sorvane/changelog.gz"

mode() { stat -c %a "$1"; }
score="$stage$records/sorvane.txt"
name="$stage$records/nsorvane.txt"
journal="$stage$records/sorvane.journal"
check "score file created empty" test -f "$score" -a ! -s "$score"
check "name file created empty" test -f "$name" -a ! -s "$name"
check "journal created empty" test -f "$journal" -a ! -s "$journal"
check "score file writable by every user" test "$(mode "$score")" = 666
check "name file writable by every user" test "$(mode "$name")" = 666
check "journal writable by every user" test "$(mode "$journal")" = 666

# A second install keeps the record that is there.
printf '7\r\n' > "$score"
printf 'Anna\r\n' > "$name"
chmod 0644 "$name"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
check "reinstall keeps the score" test "$(od -An -tx1 "$score" | tr -d ' \n')" = 370d0a
check "reinstall keeps the name" test "$(cat "$name")" = $'Anna\r'
check "reinstall keeps the name file's mode" test "$(mode "$name")" = 644

# The package: the game's files, and a postinst that makes the record files; the records
# themselves are never in it, so removing or upgrading the package cannot take them away.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >/dev/null)
deb="$(ls "$work"/pkg/sorvane_*.deb)"
contents="$(dpkg-deb -c "$deb")"
check "package holds the executable among the games" grep -q ' ./usr/games/sorvane$' <<<"$contents"
check "package holds the desktop file" grep -q 'applications/org.sorvane.Sorvane.desktop$' <<<"$contents"
dpkg-deb -x "$deb" "$work/unpacked"
check "package's desktop file starts /usr/games/sorvane" \
    grep -qx 'Exec=/usr/games/sorvane' "$work/unpacked/usr/share/applications/org.sorvane.Sorvane.desktop"
check "package's program is stripped" \
    sh -c 'file -b "$1" | grep -q ", stripped"' - "$work/unpacked/usr/games/sorvane"
check "package holds no record file" test -z "$(grep -E 'n?sorvane\.txt' <<<"$contents" || true)"
dpkg-deb -e "$deb" "$work/control"
tool=/usr/libexec/sorvane/sorvane-records
check "package holds the record files' tool" grep -q ".$tool\$" <<<"$contents"
check "postinst makes missing record files with the game's tool" grep -q "^    $tool " "$work/control/postinst"
# Debian's own check of the package: any error or warning fails the test; it prints what it
# found, and its notes of lesser weight are left out.
check "lintian finds no error and no warning" lintian --fail-on error,warning "$deb"

# The postinst itself, pointed at a folder of its own.
sed -e "s#^    dir=.*#    dir=\"$work/postinst-records\"#" -e "s#$tool#$stage$tool#" \
    "$work/control/postinst" > "$work/postinst"
sh "$work/postinst" configure
for f in sorvane.txt nsorvane.txt sorvane.journal; do
    check "postinst makes $f empty and writable by all" \
        test "$(mode "$work/postinst-records/$f")" = 666 -a ! -s "$work/postinst-records/$f"
done
printf '3\r\n' > "$work/postinst-records/sorvane.txt"
sh "$work/postinst" configure
check "postinst on upgrade keeps the record" test "$(cat "$work/postinst-records/sorvane.txt")" = $'3\r'

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
