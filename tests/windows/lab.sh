#!/usr/bin/env bash
# A lab on one machine: two Windows PCs, each a wine prefix of its own whose \\scuola\record is
# one host folder, and Linux copies of the game on the same folder, storing the class's record
# with the game's own record code (storechild, native and built for Windows). Run by
# scripts/windows, with WINEPATH giving the Windows programs Qt's DLLs.
#
#   lab.sh NATIVE_STORECHILD WINDOWS_STORECHILD PREFIX_A PREFIX_B WORK_FOLDER
set -uo pipefail

native=$1 exe=$2 prefix_a=$3 prefix_b=$4 work=$5
share="$work/share"
unc='\\scuola\record'
rm -rf "$work"
mkdir -p "$share"

passed=0 failed=0
check() { # what, command...
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok      lab: $what"
    else
        failed=$((failed + 1))
        echo "FAILED  lab: $what"
    fi
}

on_pc() { # prefix, storechild's arguments...
    local prefix=$1
    shift
    env -u DISPLAY WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=" wine "$exe" "$@"
}

for prefix in "$prefix_a" "$prefix_b"; do
    if [ ! -d "$prefix/dosdevices" ]; then
        env -u DISPLAY WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all \
            WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
    fi
    mkdir -p "$prefix/dosdevices/unc/scuola"
    ln -sfn "$share" "$prefix/dosdevices/unc/scuola/record"
done

record() { printf '%s|%s' "$(od -An -tx1 "$share/sorvane.txt" | tr -d ' \n')" \
    "$(od -An -tx1 "$share/nsorvane.txt" | tr -d ' \n')"; }
hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
status_is() { # expected, command...
    local want=$1
    shift
    "$@" >/dev/null 2>&1
    [ $? -eq "$want" ]
}
: >"$share/sorvane.txt"
: >"$share/nsorvane.txt"
: >"$share/sorvane.journal"

# A holder on one side; a store from the other waits for it, or gives up at the limit.
holder_then_store() { # hold_ms, holder (linux|pc), store's expected status
    local ms=$1 side=$2 want=$3 holder
    if [ "$side" = linux ]; then
        "$native" hold "$share" "$ms" >"$work/held" 2>/dev/null &
        holder=$!
    else
        on_pc "$prefix_a" hold "$unc" "$ms" >"$work/held" 2>/dev/null &
        holder=$!
    fi
    for _ in $(seq 200); do grep -q held "$work/held" 2>/dev/null && break; sleep 0.05; done
    grep -q held "$work/held" || return 1
    local status
    if [ "$side" = linux ]; then
        on_pc "$prefix_b" store "$unc" 9 Eva -1 kill >/dev/null 2>&1
    else
        "$native" store "$share" 9 Eva -1 kill >/dev/null 2>&1
    fi
    status=$?
    wait "$holder" 2>/dev/null
    [ "$status" -eq "$want" ]
}
check "a Linux copy's lock held 2 s: PC B waits, then stores" holder_then_store 2000 linux 0
check "PC B's store is the record" test "$(record)" = "$(hex $'9\r\n')|$(hex $'Eva\r\n')"
: >"$share/sorvane.txt"
: >"$share/nsorvane.txt"
check "PC A's lock held 2 s: a Linux copy waits, then stores" holder_then_store 2000 pc 0
: >"$share/sorvane.txt"
: >"$share/nsorvane.txt"
check "PC A's lock held still for 9 s: a Linux copy gives up, not stored" \
    holder_then_store 9000 pc 4
check "... and the record is untouched" test "$(record)" = "|"

# A class of thirty, on three PCs: ten Linux copies and ten on each Windows PC, all at once.
thirty() {
    local pids=() sides=() i
    for i in $(seq 1 30); do
        case $((i % 3)) in
        0) "$native" store "$share" "$i" "Alunno $i" -1 kill >/dev/null 2>&1 & ;;
        1) on_pc "$prefix_a" store "$unc" "$i" "Alunno $i" -1 kill >/dev/null 2>&1 & ;;
        2) on_pc "$prefix_b" store "$unc" "$i" "Alunno $i" -1 kill >/dev/null 2>&1 & ;;
        esac
        pids+=($!)
    done
    local ok=0 pid status
    for pid in "${pids[@]}"; do
        wait "$pid"
        status=$?
        # Stored, or not higher than another copy's: never given up on the lock.
        if [ "$status" -ne 0 ] && [ "$status" -ne 2 ]; then
            echo "a copy ended with status $status" >&2
            ok=1
        fi
    done
    return $ok
}
start=$(date +%s%N)
check "thirty copies from both systems store at once, none given up" thirty
echo "        thirty copies stored in $((($(date +%s%N) - start) / 1000000)) ms"
check "the highest score stands, with its own name, whole" \
    test "$(record)" = "$(hex $'30\r\n')|$(hex $'Alunno 30\r\n')"
check "the journal is empty" test ! -s "$share/sorvane.journal"
check "the next start on PC B shows that record" \
    test "$(on_pc "$prefix_b" read "$unc" 2>/dev/null | tr -d '\r')" = "30|Alunno 30"
check "... and on a Linux copy" test "$("$native" read "$share" 2>/dev/null)" = "30|Alunno 30"

rm -rf "$work"
echo "lab: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
