#!/usr/bin/env bash
# A system-wide install into a staging root, its desktop files, and the Debian package.
# Arguments: the build folder, the record folder the build was configured with, and a pupil's
# own library (tests/install/forge.cpp) that the installed game must never load.
set -euo pipefail
build="$1"
records="$2"
forge="$3"
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
check "desktop file is under Education and Math, once in the menu" grep -qx 'Categories=Education;Math;' "$desktop"
check "desktop file starts the installed game" grep -qx 'Exec=/usr/games/sorvane' "$desktop"
check "desktop file has the board's action" grep -qx 'Exec=/usr/games/sorvane --lavagna' "$desktop"
check "metainfo is valid" appstreamcli validate --no-net "$metainfo"
check "metainfo rates the game for children" grep -q '<content_rating type="oars-1.1"/>' "$metainfo"
check "manual page in section 6" test -s "$stage/usr/share/man/man6/sorvane.6.gz"
check "manual page says where the records live" \
    zgrep -q "$records/nsorvane.txt" "$stage/usr/share/man/man6/sorvane.6.gz"
check "copyright file names the licence" \
    grep -qx 'License: Expat' "$stage/usr/share/doc/sorvane/copyright"
check "changelog installed" test -s "$stage/usr/share/doc/sorvane/changelog.gz"

mode() { stat -c %a "$1"; }
# The record is readable by every user; the journal, whose lock guards it, by the game's group only.
recordmode() { case "$1" in *.journal) echo 660 ;; *) echo 664 ;; esac; }
owner() { stat -c %U:%G "$1"; }
root=0
[ "$(id -u)" -eq 0 ] && root=1
score="$stage$records/sorvane.txt"
name="$stage$records/nsorvane.txt"
journal="$stage$records/sorvane.journal"
check "score file created empty" test -f "$score" -a ! -s "$score"
check "name file created empty" test -f "$name" -a ! -s "$name"
check "journal created empty" test -f "$journal" -a ! -s "$journal"
if [ "$root" -eq 1 ]; then
    check "game is set-group-id to games" test "$(stat -c %a:%U:%G "$stage/usr/games/sorvane")" = 2755:root:games
    for f in "$score" "$name" "$journal"; do
        check "$(basename "$f") writable by the game's group only" \
            test "$(mode "$f"):$(owner "$f")" = "$(recordmode "$f")":root:games
    done
else
    echo "SKIP: the game's group (an install not run as root gives no group)"
fi

# A second install keeps the record that is there.
printf '7\r\n' > "$score"
printf 'Anna\r\n' > "$name"
chmod 0644 "$name"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
check "reinstall keeps the score" test "$(od -An -tx1 "$score" | tr -d ' \n')" = 370d0a
check "reinstall keeps the name" test "$(cat "$name")" = $'Anna\r'
if [ "$root" -eq 1 ]; then
    check "reinstall gives the name file the game's group and mode" test "$(mode "$name")" = 664
else
    check "reinstall keeps the name file's mode" test "$(mode "$name")" = 644
fi

# The package: the game's files, and a postinst that makes the record files; the records
# themselves are never in it, so removing or upgrading the package cannot take them away.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >/dev/null)
deb="$(ls "$work"/pkg/sorvane_*.deb)"
contents="$(dpkg-deb -c "$deb")"
check "package holds the game root:games and set-group-id" \
    grep -q '^-rwxr-sr-x root/games .* ./usr/games/sorvane$' <<<"$contents"
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
check "lintian finds no error and no warning" lintian --pedantic --fail-on error,warning "$deb"

# The postinst itself, pointed at a folder of its own.
sed -e "s#^    dir=.*#    dir=\"$work/postinst-records\"#" -e "s#$tool#$stage$tool#" \
    "$work/control/postinst" > "$work/postinst"
if [ "$root" -eq 1 ]; then
    sh "$work/postinst" configure
    for f in sorvane.txt nsorvane.txt sorvane.journal; do
        check "postinst makes $f empty and writable by the game's group" test \
            "$(mode "$work/postinst-records/$f"):$(owner "$work/postinst-records/$f")" = "$(recordmode $f)":root:games \
            -a ! -s "$work/postinst-records/$f"
    done
    # An earlier package's files, writable by every user: tightened, bytes untouched.
    printf '3\r\n' > "$work/postinst-records/sorvane.txt"
    chmod 0666 "$work/postinst-records/sorvane.txt"
    chgrp root "$work/postinst-records/sorvane.txt"
    chmod 0664 "$work/postinst-records/sorvane.journal"
    sh "$work/postinst" configure
    check "postinst on upgrade keeps the record" test "$(cat "$work/postinst-records/sorvane.txt")" = $'3\r'
    check "postinst on upgrade gives the record to the game's group" \
        test "$(mode "$work/postinst-records/sorvane.txt"):$(owner "$work/postinst-records/sorvane.txt")" = 664:root:games
    check "postinst on upgrade keeps pupils out of the journal" \
        test "$(mode "$work/postinst-records/sorvane.journal")" = 660
fi

# The package installed on this machine for real, and played by a pupil (the user nobody).
if [ "$root" -eq 0 ] || dpkg-query -W -f='${Status}' sorvane 2>/dev/null | grep -q installed \
    || [ -e "$records/sorvane.txt" ]; then
    echo "SKIP: installing the package (needs root, and a machine without Sorvane or its records)"
else
    trap 'dpkg --purge sorvane >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
    apt-get install -y -qq --no-install-recommends "$deb" >/dev/null 2>&1 || dpkg -i "$deb" >/dev/null
    game=/usr/games/sorvane
    check "installed game is root:games 2755" test "$(stat -c %a:%U:%G "$game")" = 2755:root:games
    pupil() { setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"; }
    pupilhome="$(mktemp -d)" && chmod 0777 "$pupilhome"
    for f in sorvane.txt nsorvane.txt sorvane.journal; do
        check "installed $f is root:games 0$(recordmode $f)" test "$(mode "$records/$f"):$(owner "$records/$f")" = "$(recordmode $f)":root:games
        check "a pupil cannot write $f" sh -c '! setpriv --reuid=nobody --regid=nogroup --clear-groups -- sh -c "echo 9999 > \"\$0\"" "$1" 2>/dev/null' - "$records/$f"
    done
    check "a pupil cannot even open the journal, nor take its lock" \
        sh -c '! setpriv --reuid=nobody --regid=nogroup --clear-groups -- flock -n -s "$0" true 2>/dev/null' "$records/sorvane.journal"
    if [ "$(stat -c %d "$records")" = "$(stat -c %d "$pupilhome")" ]; then
        check "a pupil cannot hard-link the score file" \
            sh -c '! setpriv --reuid=nobody --regid=nogroup --clear-groups -- ln "$0" "$1/x" 2>/dev/null' "$records/sorvane.txt" "$pupilhome"
    fi
    cp "$game" "$pupilhome/plain" && chmod 0755 "$pupilhome/plain"
    check "an option of Qt's is one Italian line and status 2" \
        sh -c 'test "$(setpriv --reuid=nobody --regid=nogroup --clear-groups -- timeout 10 "$0" -platform offscreen 2>&1; echo "status $?")" = "$(printf "sorvane: opzione sconosciuta: -platform\nstatus 2")"' "$game"

    # The attacker: a pupil's own library, which writes a forged record through every record
    # file the process holds open, put into the game by each route a pupil has. An ordinary
    # copy of the game loads it through the same environment (it leaves a marker), so that a
    # pass is not a library that never loads; the installed game must not load it, must leave
    # the record as it was, and must be still running, at its name box, when it is stopped.
    exec 3>"$work/display"
    Xvfb -displayfd 3 -ac -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb=$!
    exec 3>&-
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    xdisplay=":$(head -n1 "$work/display")"
    h="$pupilhome/attacker"
    routes="plugins egl mesa vulkan options gtk bus"
    for route in $routes; do mkdir -p "$h/$route"; done
    mkdir -p "$h/plugins/platforms" && cp "$forge" "$h/plugins/platforms/forge.so"
    cp "$forge" "$h/egl/forge.so"
    printf '{"file_format_version": "1.0.0", "ICD": {"library_path": "%s"}}\n' "$h/egl/forge.so" >"$h/egl/egl.json"
    cp "$forge" "$h/mesa/swrast_dri.so"
    cp "$forge" "$h/vulkan/forge.so"
    cp "$forge" "$h/options/forge.so"
    cp "$forge" "$h/gtk/forge.so"
    mkdir -p "$h/.config/gtk-3.0"
    printf '[Settings]\ngtk-modules=%s\n' "$h/gtk/forge.so" >"$h/.config/gtk-3.0/settings.ini"
    # A bus address that starts a program of the pupil's instead of reaching a bus.
    printf '#!/bin/sh\ntouch "$0.loaded"\n' >"$h/bus/forge.sh"
    chmod +x "$h/bus/forge.sh"
    chmod -R a+rwX "$h"
    attack() { # route, program: the program's exit status
        local route="$1" program="$2" status=0
        local -a env=() args=()
        case "$route" in
        plugins) env=(QT_PLUGIN_PATH="$h/plugins" QT_QPA_PLATFORM=x) ;;
        egl) env=(QT_QPA_PLATFORM=minimalegl __EGL_VENDOR_LIBRARY_FILENAMES="$h/egl/egl.json") ;;
        mesa) env=(QT_WIDGETS_RHI=1 LIBGL_DRIVERS_PATH="$h/mesa") ;;
        vulkan) env=(QT_WIDGETS_RHI=1 QT_WIDGETS_RHI_BACKEND=vulkan QT_VULKAN_LIB="$h/vulkan/forge.so") ;;
        # The board's option, the one the installed game takes, lets none of Qt's in after it.
        options) args=(--lavagna -platformpluginpath "$h/options" -platform x) ;;
        gtk) env=(XDG_CURRENT_DESKTOP=GNOME) ;;
        bus) env=(DBUS_SESSION_BUS_ADDRESS="unixexec:path=$h/bus/forge.sh") ;;
        esac
        pupil env -i HOME="$h" DISPLAY="$xdisplay" PATH=/usr/bin:/bin "${env[@]}" \
            timeout 5 "$program" "${args[@]}" >/dev/null 2>&1 || status=$?
        echo "$status"
    }
    loadedmarker() { find "$h/$1" -name '*.loaded' | head -n1; }
    for route in $routes; do
        printf '5\r\n' >"$records/sorvane.txt"
        printf 'Eva\r\n' >"$records/nsorvane.txt"
        find "$h/$route" -name '*.loaded' -delete
        attack "$route" "$pupilhome/plain" >/dev/null
        check "$route: an ordinary copy of the game runs the pupil's code" test -n "$(loadedmarker $route)"
        find "$h/$route" -name '*.loaded' -delete
        status="$(attack "$route" "$game")"
        expected=124 # still running when stopped
        [ "$route" = options ] && expected=2
        check "$route: the installed game runs nothing of the pupil's (status $status)" \
            test -z "$(loadedmarker $route)" -a "$status" = "$expected"
        check "$route: the record is untouched" \
            test "$(cat "$records/sorvane.txt" "$records/nsorvane.txt")" = "$(printf '5\r\nEva\r')"
    done
    kill "$xvfb" 2>/dev/null || true
    : >"$records/sorvane.txt"
    : >"$records/nsorvane.txt"

    # A pupil's lock on the record lock's byte of every record file a pupil can open keeps no
    # one from the record: a whole game played by another pupil, up to a stored record.
    farlock="$(dirname "$0")/farlock.pl"
    pupil "$farlock" "$records/sorvane.txt" "$records/nsorvane.txt" &
    locker=$!
    for _ in $(seq 100); do "$farlock" --try "$records/nsorvane.txt" || break; sleep 0.1; done
    check "a pupil holds locks on the record's files" sh -c '! "$0" --try "$1"' "$farlock" "$records/sorvane.txt"
    check "a pupil plays the installed game to a record" \
        env SORVANE_E2E_PROGRAM="$game" SORVANE_E2E_RECORD_DIR="$records" \
        "$build/tests/tst_endtoend" aWholeGameSetsARecord -silent
    kill "$locker" 2>/dev/null || true
    pkill -f "$farlock" 2>/dev/null || true
    # The screen reader, started by the pupil as the game is, reads the installed game.
    check "a blind pupil plays the installed game by ear with Orca" \
        pupil env HOME="$pupilhome" SORVANE_E2E_PROGRAM="$game" SORVANE_E2E_RECORD_DIR="$records" \
        "$build/tests/tst_endtoend" aBlindPupilPlaysByEar -silent
    check "the pupil's record is stored" test "$(od -An -tx1 "$records/sorvane.txt" | tr -d ' \n')" = 310d0a
    # The board's mode is the one option the installed game takes from a pupil, who reads it
    # through the accessibility bus of their own session.
    check "a pupil plays the installed game on the board to a record" \
        pupil env HOME="$pupilhome" SORVANE_E2E_PROGRAM="$game" SORVANE_E2E_RECORD_DIR="$records" \
        "$build/tests/tst_endtoend" aGameOnTheBoard -silent
    # The administrator's check, and a class's folder named in the settings file: the installed
    # game, played by a pupil, keeps the record there.
    tool=/usr/libexec/sorvane/sorvane-records
    says() { "$tool" --verifica 2>&1 | grep -qxF "$1"; }
    check "the check names the machine's folder" says "Cartella dei record: $records"
    check "the check finds all well there" "$tool" --verifica
    check "the settings file is the package's conffile" grep -qx /etc/sorvane.conf /var/lib/dpkg/info/sorvane.conffiles
    cp /etc/sorvane.conf "$work/sorvane.conf.package"
    class="$(mktemp -d /var/tmp/sorvane-classe.XXXXXX)"
    chmod 0755 "$class"
    "$tool" --group games "$class"
    check "the tool gives the class's folder to the game's group" \
        test "$(stat -c %a:%U:%G "$class")" = 2775:root:games
    check "... and leaves the machine's own folder as the system has it" \
        test "$(stat -c %a "$records")" != 2775
    printf 'cartella = %s\n' "$class" >/etc/sorvane.conf
    check "the check names the class's folder" says "Cartella dei record: $class"
    check "... and the settings file that named it" says "Scelta da: /etc/sorvane.conf"
    chmod 0666 /etc/sorvane.conf
    check "a settings file others may write is passed over" says "Cartella dei record: $records"
    chmod 0644 /etc/sorvane.conf
    check "a pupil plays the installed game to a record in the class's folder" \
        env SORVANE_E2E_PROGRAM="$game" SORVANE_E2E_RECORD_DIR="$class" \
        "$build/tests/tst_endtoend" aWholeGameSetsARecord -silent
    check "the class's record is stored there, not in the machine's folder" \
        test "$(od -An -tx1 "$class/sorvane.txt" | tr -d ' \n'):$(od -An -tx1 "$records/sorvane.txt" | tr -d ' \n')" = 310d0a:320d0a
    printf 'cartella = %s\n' "$work/nessuna" >/etc/sorvane.conf
    check "the check says a missing class folder cannot be used" sh -c '! "$0" --verifica' "$tool"
    check "nothing is made where the missing folder should be" test ! -e "$work/nessuna"
    cp "$work/sorvane.conf.package" /etc/sorvane.conf
    rm -rf "$class"
    # The class's folder on a file server of the test's own, locked through it by an SMB2 client.
    if command -v smbd >/dev/null && /usr/bin/python3 -c 'import impacket' 2>/dev/null; then
        status=0
        "$(dirname "$0")/samba.sh" "$build" 2>&1 | tee "$work/samba.log" || status=$?
        passes=$((passes + $(grep -c '^PASS:' "$work/samba.log" || true)))
        failures=$((failures + $(grep -c '^FAIL:' "$work/samba.log" || true)))
        check "the file server's checks ran to the end" test "$status" -eq 0
    else
        echo "SKIP: the class's folder on a Samba server (needs samba and python3-impacket)"
    fi
    dpkg --remove sorvane >/dev/null
    check "removing the package keeps the record" test "$(od -An -tx1 "$records/sorvane.txt" | tr -d ' \n')" = 320d0a
    dpkg --purge sorvane >/dev/null
    check "purging the package removes the records" \
        test ! -e "$records/sorvane.txt" -a ! -e "$records/nsorvane.txt" -a ! -e "$records/sorvane.journal"
    rm -rf "$pupilhome"
fi

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
