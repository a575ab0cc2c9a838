#!/usr/bin/env bash
# The Group Policy template: the ADMX and each language's ADML are well-formed XML, every string
# and presentation the ADMX names is in each ADML, and the policy writes the value the game reads.
#   check_admx.sh FOLDER_OF_THE_TEMPLATE GAME_SOURCE_OF_THE_REGISTRY_READ
set -uo pipefail
folder=$1 reader=$2
passed=0 failed=0
check() {
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $what"; fi
}
admx="$folder/sorvane.admx"
check "the ADMX is well-formed" xmllint --noout "$admx"
strings=$(grep -o '\$(string\.[A-Za-z_]*)' "$admx" | sed 's/^\$(string\.//; s/)$//' | sort -u)
presentations=$(grep -o '\$(presentation\.[A-Za-z_]*)' "$admx" | sed 's/^\$(presentation\.//; s/)$//' | sort -u)
for lang in it-IT en-US; do
    adml="$folder/$lang/sorvane.adml"
    check "the $lang ADML is well-formed" xmllint --noout "$adml"
    for s in $strings; do
        check "the $lang ADML has the string $s" grep -q "<string id=\"$s\">" "$adml"
    done
    for p in $presentations; do
        check "the $lang ADML has the presentation $p" grep -q "<presentation id=\"$p\">" "$adml"
    done
done
# The key and value the policy writes are the ones the game reads first.
key=$(xmllint --xpath 'string(//*[local-name()="policy"]/@key)' "$admx")
value=$(xmllint --xpath 'string(//*[local-name()="text"]/@valueName)' "$admx")
check "the policy's key is the one the game reads ($key)" grep -qF "L\"${key//\\/\\\\}\"" "$reader"
check "the policy's value is the one the game reads ($value)" grep -qF "L\"$value\"" "$reader"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
