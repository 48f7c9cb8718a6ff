#!/usr/bin/env bash
# Fails when a program or module, as built or as installed, would look for
# libraries in a folder named relative to where it is started: an empty entry
# in its RUNPATH or RPATH (the current folder) or a relative one. Entries
# that start with $ORIGIN (the binary's own folder) or / are what the loader
# is meant to see.
#   tests/kit/check-runpath.sh <readelf> <build folder>
# Installs the build into a temporary folder to look at the installed files.
set -u
readelf=$1
build=$2

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
if ! DESTDIR="$staging" cmake --install "$build" >"$staging.log" 2>&1; then
    echo "installing the build failed:" >&2
    cat "$staging.log" >&2
    rm -f "$staging.log"
    exit 1
fi
rm -f "$staging.log"

checked=0
bad=0
while IFS= read -r -d '' file; do
    [ "$(head -c 4 "$file" | od -An -tx1 | tr -d ' \n')" = 7f454c46 ] || continue
    checked=$((checked + 1))
    # "Library runpath: [a:b]" and "Library rpath: [a:b]"
    while IFS= read -r paths; do
        IFS=: read -r -a entries <<<"$paths:"
        # A trailing colon is an empty entry too; the one appended above is not.
        for entry in "${entries[@]}"; do
            case $entry in
            /* | '$ORIGIN' | '$ORIGIN/'* | '${ORIGIN}' | '${ORIGIN}/'*) ;;
            *)
                echo "$file: search path [$paths] holds \"$entry\"" >&2
                bad=$((bad + 1))
                break
                ;;
            esac
        done
    done < <("$readelf" -d "$file" 2>/dev/null | sed -n 's/.*Library r\(un\)\{0,1\}path: \[\(.*\)\]$/\2/p')
done < <(find "$build" "$staging" -path "$build/CMakeFiles" -prune -o -type f \
    \( -perm -u+x -o -name '*.so' -o -name '*.so.*' \) -print0)

if [ "$checked" -eq 0 ]; then
    echo "no program or module found in $build" >&2
    exit 1
fi
if [ "$bad" -ne 0 ]; then
    exit 1
fi
echo "$checked programs and modules, built and installed: no empty or relative search path"
