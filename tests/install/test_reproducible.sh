#!/usr/bin/env bash
# The same source gives the same bytes: the game's programs and its Debian package built again,
# later and in another folder, with the commit's date, must be those of the build under test.
# Arguments: the source folder, the build folder, the game's and the records tool's programs in
# it, and the cache values the build was configured with (build type, record folder, settings
# file, record group, C++ flags). Exits 77 (skipped) outside a git checkout, which has no date.
set -euo pipefail
source="$1"
build="$2"
shift 2
programs=("$1" "$2")
shift 2
epoch="$(git -C "$source" log -1 --format=%ct 2>/dev/null)" || {
    echo "SKIP: not a git checkout, no commit date"
    exit 77
}
export SOURCE_DATE_EPOCH="$epoch"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
check() {
    local what="$1"
    shift
    if "$@"; then
        echo "PASS: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}
same() { # what first second
    local first second
    first="$(sha256sum <"$2" | cut -d' ' -f1)"
    second="$(sha256sum <"$3" | cut -d' ' -f1)"
    echo "       $first  $1"
    [ "$first" = "$second" ] || echo "       $second  $1, second build"
    [ "$first" = "$second" ]
}

# The package of the build under test, and a second build of the game and its package.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/first" >/dev/null)
second="$work/another/folder"
cmake -S "$source" -B "$second" -DCMAKE_BUILD_TYPE="$1" -DSORVANE_RECORD_DIR="$2" \
    -DSORVANE_CONF_FILE="$3" -DSORVANE_RECORD_GROUP="$4" -DCMAKE_CXX_FLAGS="${5:-}" \
    -DBUILD_TESTING=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$second" --parallel "$(nproc)" --target sorvane sorvane-records sorvane-docs \
    >/dev/null
(cd "$work" && cpack --config "$second/CPackConfig.cmake" -G DEB -B "$work/second" >/dev/null)

for program in "${programs[@]}"; do
    check "the same program from another folder: ${program#"$build"/}" \
        same "${program#"$build"/}" "$program" "$second/${program#"$build"/}"
done
first_deb="$(ls "$work"/first/sorvane_*.deb)"
check "the same Debian package from another folder" \
    same "$(basename "$first_deb")" "$first_deb" "$work/second/$(basename "$first_deb")"
[ "$failures" -eq 0 ]
