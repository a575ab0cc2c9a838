#!/usr/bin/env bash
# The installed game with the class's folder on a real file server: a Samba server of the
# test's own, on the loopback only, shares the folder named in /etc/sorvane.conf, and an SMB2
# client takes the record lock through the share as a Windows PC's copy of the game does
# (tests/install/smb2client.py). Run as root by test_install.sh while the package is installed.
# Argument: the build folder. Prints a PASS or FAIL line for each check.
set -euo pipefail
build="$1"
here="$(cd "$(dirname "$0")" && pwd)"
tool=/usr/libexec/sorvane/sorvane-records
conf=/etc/sorvane.conf
user=sorvane-smbtest
password="Prova-$$-$RANDOM"
dir="$(mktemp -d /tmp/sorvane-samba.XXXXXX)"
chmod 0755 "$dir" # the pupil, and the server's user, reach the share below it
share="$dir/share"
smbd_pid=""
holder_pid=""
client_in=""
made_user=0
cleanup() {
    [ -n "$client_in" ] && eval "exec $client_in>&-"
    for pid in $holder_pid $smbd_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    [ -e "$dir/sorvane.conf" ] && cp -p "$dir/sorvane.conf" "$conf"
    if [ "$made_user" -eq 1 ]; then
        smbpasswd -s -x "$user" -c "$dir/smb.conf" >/dev/null 2>&1 || true
        userdel "$user" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap cleanup EXIT
check() {
    local what="$1"
    shift
    if "$@"; then echo "PASS: $what"; else echo "FAIL: $what"; fi
}

# The class's folder, prepared as an administrator does, and named for the game.
"$tool" --group games "$share"
chmod 0755 "$share"
printf '1\r\n' >"$share/sorvane.txt"
printf 'Anna\r\n' >"$share/nsorvane.txt"
cp -p "$conf" "$dir/sorvane.conf"
printf 'cartella = %s\n' "$share" >"$conf"
record() { od -An -tx1 "$share/sorvane.txt" "$share/nsorvane.txt" | tr -d ' \n'; }
before="$(record)"

# The server: a private port, free on this machine, and every state file in the test's folder.
port=4450
while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
mkdir -p "$dir/state"
cat >"$dir/smb.conf" <<EOF
[global]
    server role = standalone server
    interfaces = lo
    bind interfaces only = yes
    smb ports = $port
    disable netbios = yes
    rpc start on demand helpers = no
    passdb backend = tdbsam:$dir/state/passdb.tdb
    private dir = $dir/state
    lock directory = $dir/state
    state directory = $dir/state
    cache directory = $dir/state
    pid directory = $dir/state
    ncalrpc dir = $dir/state/ncalrpc
    log file = $dir/state/log.%m
    load printers = no
    printing = bsd
    printcap name = /dev/null
    disable spoolss = yes
[share]
    path = $share
    read only = no
    posix locking = yes
EOF
# The server's user for the PCs: a system account of the game's group, as the game's files are.
useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
    --gid games "$user"
made_user=1
printf '%s\n%s\n' "$password" "$password" | smbpasswd -s -a -c "$dir/smb.conf" "$user" >/dev/null
# smbd leads a process group of its own (no --no-process-group): when stopped it ends that
# group, its helpers with it, and would otherwise end this test's own.
smbd --foreground -s "$dir/smb.conf" </dev/null >"$dir/state/smbd.out" 2>&1 &
smbd_pid=$!
for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done
# Its listening sockets (/proc/net/tcp and tcp6: local address, state 0A): loopback ones only.
listening="$(awk -v p="$(printf ':%04X' "$port")" \
    '$4 == "0A" && $2 ~ p"$" { print substr($2, 1, index($2, ":") - 1) }' \
    /proc/net/tcp /proc/net/tcp6 | sort -u | tr '\n' ' ')"
check "the test's Samba server listens on the loopback only ($listening)" \
    sh -c 'test -n "$1" && ! printf "%s\n" $1 | grep -vqx -e 0100007F -e 00000000000000000000000001000000' - "$listening"
client() { /usr/bin/python3 "$here/smb2client.py" "$port" "$user" "$password" "$@"; }
verify() { "$tool" --verifica | grep '^Registrare un record adesso: '; }

# A PC's copy holds the lock through the share: the installed game here cannot store.
exec {client_in}> >(client lock read sorvane.txt hold >"$dir/client.out" 2>&1)
client_pid=$!
for _ in $(seq 100); do grep -qx held "$dir/client.out" 2>/dev/null && break; sleep 0.1; done
check "an SMB2 client takes the record lock through the share" grep -qx 'lock 0x00000000' "$dir/client.out"
check "the client still reads the record while it holds the lock" \
    grep -qx "read sorvane.txt 0x00000000 $(od -An -tx1 "$share/sorvane.txt" | tr -d ' \n')" "$dir/client.out"
check "with the client's lock, --verifica says a record cannot be stored now" \
    test "$(verify)" = "Registrare un record adesso: non ora: un'altra copia del gioco sta registrando"
pupilhome="$(mktemp -d)" && chmod 0777 "$pupilhome"
check "with the client's lock, a pupil's new record is not stored, and the game says so" \
    setpriv --reuid=nobody --regid=nogroup --clear-groups -- env HOME="$pupilhome" \
    SORVANE_E2E_PROGRAM=/usr/games/sorvane SORVANE_E2E_RECORD_DIR="$share" \
    SORVANE_E2E_LOCK_HELD=1 "$build/tests/tst_endtoend" aRecordIsNotStoredWhileTheLockIsHeld -silent
rm -rf "$pupilhome"
check "with the client's lock, the record files are untouched" test "$(record)" = "$before"

# The client lets go: a store can take the lock again.
eval "exec $client_in>&-"
client_in=""
wait "$client_pid" 2>/dev/null || true
check "the client lets the lock go" grep -qx 'unlock 0x00000000' "$dir/client.out"
check "once the client has let go, --verifica says a record can be stored" \
    test "$(verify)" = "Registrare un record adesso: possibile"

# The game's own lock, taken on the server: the client's is refused, its reading is not.
rm -f "$dir/held"
"$build/tests/tst_recordio" hold "$share/sorvane.journal" "$dir/held" &
holder_pid=$!
for _ in $(seq 100); do [ -e "$dir/held" ] && break; sleep 0.1; done
client lock read sorvane.txt >"$dir/client.out" 2>&1 || true
check "while the game holds the lock, the client's is refused (STATUS_LOCK_NOT_GRANTED)" \
    grep -qx 'lock 0xc0000055' "$dir/client.out"
check "while the game holds the lock, the client still reads the record" \
    grep -q '^read sorvane.txt 0x00000000 ' "$dir/client.out"
kill "$holder_pid" && wait "$holder_pid" 2>/dev/null || true
holder_pid=""
client lock >"$dir/client.out" 2>&1 || true
check "once the game has let go, the client takes the lock" grep -qx 'lock 0x00000000' "$dir/client.out"

smbd_group="$(ps -o pgid= -p "$smbd_pid" | tr -d ' ')"
kill "$smbd_pid" && wait "$smbd_pid" 2>/dev/null || true
smbd_pid=""
for _ in $(seq 50); do pgrep -g "$smbd_group" >/dev/null || break; sleep 0.1; done
check "the test's Samba server is stopped, with every process of its own" \
    bash -c 'test -n "$1" && ! (exec 3<>"/dev/tcp/127.0.0.1/$0") 2>/dev/null && ! pgrep -g "$1" >/dev/null' \
    "$port" "$smbd_group"
