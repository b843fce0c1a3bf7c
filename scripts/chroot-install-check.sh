#!/usr/bin/env bash
# Installs the packages scripts/package.sh made into a fresh Debian 12
# (debootstrap, minbase) the way a user would, with apt-get, and checks:
# tessaline-cli alone pulls in nothing of Qt; both install together; the
# installed command line converts the sample; the window's programs resolve
# every library. Needs root and Debian's mirror.
# Usage: scripts/chroot-install-check.sh [chroot-dir]   (kept for another run)
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-build/chroot}
command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
[ -x "$root/usr/bin/apt-get" ] || debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
cp build/tessaline-cli_*.deb build/tessaline_*.deb samples/sample.avi "$root/tmp/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mountpoint -q "$root/proc" || mount -t proc proc "$root/proc"
trap 'umount "$root/proc"' EXIT
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }

in_root apt-get update -qq
# What tessaline-cli alone would bring, with and without its recommends:
# nothing of Qt. (X client libraries do come, with Debian's FFmpeg libraries.)
for extra in "" --no-install-recommends; do
  pulled=$(in_root sh -c "cd /tmp && apt-get install -s $extra ./tessaline-cli_*.deb" | awk '/^Inst /{print $2}')
  echo "tessaline-cli ${extra:-with recommends} installs $(echo "$pulled" | wc -l) packages"
  if echo "$pulled" | grep -Ei '^(libqt|qt6)'; then
    echo "FEHLER: tessaline-cli zieht Qt nach sich" >&2
    exit 1
  fi
done
in_root sh -c 'cd /tmp && apt-get install -y -qq ./tessaline-cli_*.deb ./tessaline_*.deb' >/dev/null
in_root dpkg -s tessaline tessaline-cli fonts-liberation xdg-utils | grep -E '^(Package|Status|Version):'
in_root sh -c 'cd /tmp && tessaline-cli -q sample.avi && head -c 3 sample.swf && echo'
in_root sh -c '! ldd /usr/bin/tessaline /usr/bin/tessaline-cli | grep "not found"'
in_root tessaline-cli --version
echo "Installation in $root in Ordnung."
