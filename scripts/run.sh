#!/usr/bin/env bash
# Installs what is missing, builds Ollo and starts it on its shipped content.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build" --target ollo ollo_help -j"$(nproc)"
exec "$root/build/ollo" "$@"
