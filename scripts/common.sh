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

# Configures (once) and builds the project into $SORVANE_BUILD; extra arguments go to cmake.
build_project() {
    if [ ! -f "$SORVANE_BUILD/CMakeCache.txt" ] || [ "$#" -gt 0 ]; then
        cmake -S "$SORVANE_ROOT" -B "$SORVANE_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    fi
    cmake --build "$SORVANE_BUILD" --parallel "$(nproc)" -- --no-print-directory >/dev/null
}
