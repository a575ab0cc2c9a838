#!/usr/bin/env bash
# A lab's PCs on one share: a Linux copy of the game and two Windows PCs, each a wine prefix of
# its own whose \\scuola\record is one host folder, take the record files' lock in turn.
# Whoever holds it, the other two find it held and still read the file; killed outright, the
# holder lets it go. The programs are tst_recordio, native and cross-built.
#
#   crosslock.sh NATIVE_TST_RECORDIO WINDOWS_TST_RECORDIO PREFIX_A PREFIX_B WORK_FOLDER
set -uo pipefail

native=$1 exe=$2 prefix_a=$3 prefix_b=$4 work=$5
share="$work/share"
rm -rf "$work"
mkdir -p "$share"

passed=0 failed=0
check() { # what, expected exit status, command...
    local what=$1 want=$2
    shift 2
    "$@" >/dev/null 2>&1
    local got=$?
    if [ "$got" -eq "$want" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $what (exit $got, expected $want)"
    fi
}

on_pc() { # prefix, arguments of tst_recordio.exe...
    local prefix=$1
    shift
    env --unset=DISPLAY --unset=WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=" wine "$exe" "$@"
}

for prefix in "$prefix_a" "$prefix_b"; do
    if [ ! -d "$prefix/dosdevices" ]; then
        env --unset=DISPLAY WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all \
            WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
    fi
    mkdir -p "$prefix/dosdevices/unc/scuola"
    ln -sfn "$share" "$prefix/dosdevices/unc/scuola/record"
done

file="$share/sorvane.journal"
unc='\\scuola\record\sorvane.journal'
printf '12\r\n' >"$file"

# Starts a holder in the background and waits for its marker; the holder's PID in $holder.
hold() { # marker, command...
    local marker=$1
    shift
    rm -f "$marker"
    "$@" >/dev/null 2>&1 &
    holder=$!
    for _ in $(seq 300); do
        [ -e "$marker" ] && return 0
        sleep 0.1
    done
    echo "FAIL: the holder never took the lock: $*"
    failed=$((failed + 1))
    return 1
}

# Kills every process of a holder outright (wine runs the program in a process of its own).
kill_holder() { # pattern
    pkill -KILL -f "$1" 2>/dev/null
    kill -KILL "$holder" 2>/dev/null
    wait "$holder" 2>/dev/null
}

# Tries until the lock is free, for up to five seconds: the killed holder's lock goes once its
# process is gone, which its server learns a moment later.
freed() { # command...
    for _ in $(seq 50); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# A Linux copy holds the lock.
if hold "$share/marker-linux" "$native" hold "$file" "$share/marker-linux"; then
    check "PC A finds a Linux copy's lock held" 3 on_pc "$prefix_a" trylock "$unc"
    check "PC B finds a Linux copy's lock held" 3 on_pc "$prefix_b" trylock "$unc"
    check "PC A reads the file while a Linux copy holds the lock" 0 \
        on_pc "$prefix_a" read "$unc" $'12\r\n'
    check "another Linux copy finds it held" 3 "$native" trylock "$file"
    kill_holder "$native hold"
    check "a Linux copy killed outright lets PC A have the lock" 0 freed on_pc "$prefix_a" trylock "$unc"
fi

# PC A holds it.
if hold "$share/marker-a" on_pc "$prefix_a" hold "$unc" '\\scuola\record\marker-a'; then
    check "PC B finds PC A's lock held" 3 on_pc "$prefix_b" trylock "$unc"
    check "a Linux copy finds PC A's lock held" 3 "$native" trylock "$file"
    check "PC B reads the file while PC A holds the lock" 0 on_pc "$prefix_b" read "$unc" $'12\r\n'
    check "a Linux copy reads the file while PC A holds the lock" 0 "$native" read "$file" $'12\r\n'
    kill_holder "tst_recordio.exe hold"
    check "PC A killed outright lets a Linux copy have the lock" 0 freed "$native" trylock "$file"
    check "... and PC B" 0 freed on_pc "$prefix_b" trylock "$unc"
fi

rm -rf "$work"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
