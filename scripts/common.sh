# Shared by scripts/run, scripts/test and friends: installing what is missing and building.
# Sourced, not run.

SORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SORVANE_BUILD="${SORVANE_BUILD:-$SORVANE_ROOT/build}"

# The Debian packages the game needs to build and run.
SORVANE_PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-translations-l10n fakeroot
    qt6-qpa-plugins fonts-liberation)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# Installs the named Debian packages that are not installed yet; silent when all are there.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ "${#missing[@]}" -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# As ensure_packages, for packages that would start and enable a service of their own: while
# they install, a policy-rc.d refuses every start (one already there is left as it is), and the
# services they bring are left disabled and stopped. Packages already there, and services a
# machine's administrator runs with them, are left alone. Arguments: the packages.
ensure_packages_no_service() {
    local policy=/usr/sbin/policy-rc.d ours=0 pkg absent=0
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || absent=1
    done
    [ "$absent" -eq 0 ] && return 0
    if [ ! -e "$policy" ]; then
        printf '#!/bin/sh\nexit 101\n' | as_root tee "$policy" >/dev/null
        as_root chmod 0755 "$policy"
        ours=1
    fi
    local status=0
    ensure_packages "$@" || status=$?
    [ "$ours" -eq 1 ] && as_root rm -f "$policy"
    local unit
    for unit in smbd nmbd samba-ad-dc; do
        if [ -d /run/systemd/system ]; then
            as_root systemctl disable --now "$unit" >/dev/null 2>&1 || true
        elif [ -e "/etc/init.d/$unit" ]; then
            as_root update-rc.d "$unit" disable >/dev/null 2>&1 || true
        fi
    done
    return "$status"
}

# Configures (once) and builds the project into $SORVANE_BUILD; extra arguments go to cmake.
build_project() {
    if [ ! -f "$SORVANE_BUILD/CMakeCache.txt" ] || [ "$#" -gt 0 ]; then
        cmake -S "$SORVANE_ROOT" -B "$SORVANE_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    fi
    cmake --build "$SORVANE_BUILD" --parallel "$(nproc)" -- --no-print-directory >/dev/null
}
