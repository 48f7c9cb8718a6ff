#!/usr/bin/env bash
# Proves the Debian package on a clean Debian 12: builds the package, makes a
# fresh root with debootstrap, installs the package there with apt-get, starts
# Ollo from its desktop entry under Xvfb, checks that the main window appears
# (and takes a screenshot), then removes the package and checks that nothing
# of it is left. Needs root and the Debian mirror; takes several minutes.
#   scripts/check-deb.sh [work folder]   (default: build-deb-check)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$root/build-deb-check}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
[ "$(id -u)" -eq 0 ] || { echo "check-deb.sh must run as root (debootstrap, chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null || apt-get install -y -qq --no-install-recommends debootstrap

echo "== Building the package =="
cmake -S "$root" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DOLLO_BENCHMARKS=OFF >/dev/null
cmake --build "$work/build" --target ollo ollo_help -j"$(nproc)"
(cd "$work/build" && cpack -G DEB >/dev/null)
deb=$(ls "$work"/build/ollo_*.deb)
echo "package: $deb"

chroot_dir=$work/root
cleanup() {
    for m in dev/pts dev proc sys; do umount -l "$chroot_dir/$m" 2>/dev/null || true; done
}
trap cleanup EXIT
if [ ! -x "$chroot_dir/usr/bin/apt-get" ]; then
    echo "== Making a fresh Debian 12 root =="
    rm -rf "$chroot_dir"
    debootstrap --variant=minbase bookworm "$chroot_dir" "$mirror" >/dev/null
fi
mount -t proc proc "$chroot_dir/proc"
mount -t sysfs sys "$chroot_dir/sys"
mount --bind /dev "$chroot_dir/dev"
mount --bind /dev/pts "$chroot_dir/dev/pts"
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf" 2>/dev/null || true
in_root() { chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

echo "== Installing the package =="
cp "$deb" "$chroot_dir/tmp/"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    xvfb x11-utils x11-apps "/tmp/$(basename "$deb")" >/dev/null
in_root dpkg -s ollo | grep -E '^(Status|Version)'

echo "== Starting Ollo from its desktop entry =="
desktop=$chroot_dir/usr/share/applications/org.example.ollo.desktop
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
ls "$chroot_dir/usr/share/icons/hicolor/48x48/apps/$icon.png" "$chroot_dir/usr/share/icons/hicolor/scalable/apps/$icon.svg" >/dev/null
# Only the processes started here are stopped: the root shares the host's /proc.
in_root sh -c "Xvfb :77 -screen 0 1280x800x24 >/dev/null 2>&1 & x=\$!; sleep 2; \
    cd /tmp && DISPLAY=:77 $exec_line >/tmp/ollo.log 2>&1 & o=\$!; sleep 6; \
    DISPLAY=:77 xwininfo -root -tree | grep -F 'Ollo' ; \
    DISPLAY=:77 xwd -root -silent > /tmp/screen.xwd; \
    kill \$o \$x; true" | tee "$work/windows.txt"
grep -q "Ollo f" "$work/windows.txt" || { echo "the main window did not appear" >&2; cat "$chroot_dir/tmp/ollo.log" >&2; exit 1; }
if command -v convert >/dev/null; then convert "xwd:$chroot_dir/tmp/screen.xwd" "$work/screen.png" && echo "screenshot: $work/screen.png"; fi

echo "== Removing the package =="
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq ollo >/dev/null
left=$(cd "$chroot_dir" && ls -d usr/bin/ollo usr/share/ollo usr/share/applications/org.example.ollo.desktop \
    usr/share/metainfo/org.example.ollo.metainfo.xml usr/share/icons/hicolor/*/apps/org.example.ollo.* 2>/dev/null || true)
[ -z "$left" ] || { echo "left behind after removal: $left" >&2; exit 1; }
echo "Package installs, starts and uninstalls cleanly."
