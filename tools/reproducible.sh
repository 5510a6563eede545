#!/bin/bash
# Shows that a commit builds to the same bytes: makes the release twice, from two clean clones
# of HEAD in different folders, the second with the clock three days ahead (with faketime, from
# package faketime, when it is installed), and compares both builds' programs and the zips.
# Usage: reproducible.sh   (prints the checksums; exits 1 when anything differs)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
first=$work/one/harvex
second=$work/two/a/longer/path/elsewhere
later=()
if command -v faketime >/dev/null; then
    later=(faketime -f '+3d')
else
    echo "reproducible: faketime is missing (package faketime): both runs use today's clock"
fi

git clone -q "$root" "$first"
git clone -q "$root" "$second"
(cd "$first" && bash tools/release.sh --no-check >"$work/one.log" 2>&1) ||
    { cat "$work/one.log"; exit 1; }
(cd "$second" && "${later[@]}" bash tools/release.sh --no-check >"$work/two.log" 2>&1) ||
    { cat "$work/two.log"; exit 1; }

differ=0
for file in build/x86/HarvexQuadrell.exe build/x64/HarvexQuadrell.exe dist/SHA256SUMS; do
    if cmp -s "$first/$file" "$second/$file"; then
        echo "reproducible: same   $(sha256sum "$first/$file" | cut -c1-16)  $file"
    else
        echo "reproducible: DIFFER $file"
        differ=1
    fi
done
echo "reproducible: commit $(git rev-parse --short HEAD), built in $first and, $([ ${#later[@]} -gt 0 ] && echo 'three days later, ')in $second"
sed 's/^/  /' "$first/dist/SHA256SUMS"
(cd "$second/dist" && sha256sum -c --quiet SHA256SUMS) && echo "reproducible: sha256sum -c passes on the second run's zips"
exit $differ
