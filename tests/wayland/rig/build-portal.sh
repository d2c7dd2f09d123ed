#!/usr/bin/env bash
# Builds the wlroots screen-cast portal (xdg-desktop-portal-wlr 0.7.0) from
# Debian 12's source package with portal-shm-only.patch, and installs the
# binary as $1 (default /usr/local/lib/vivivoz-rig/xdg-desktop-portal-wlr).
#
# Why: Debian's 0.7.0 also insists on a DMA-BUF format from the compositor.
# A compositor without a GPU (wlroots' pixman renderer, as on the test
# machines) offers shared-memory buffers only, and the stock portal then
# answers ScreenCast.Start with 2. On a desktop with a GPU the stock package
# works as it is. Needs root (apt-get); the source lines are the machine's own
# "deb" lines turned into "deb-src", in a private apt state so the system's
# lists are left alone.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
target=${1:-/usr/local/lib/vivivoz-rig/xdg-desktop-portal-wlr}
work=$(mktemp -d /tmp/vivivoz-portal-build.XXXXXX)
trap 'rm -rf "$work"' EXIT

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends dpkg-dev meson ninja-build pkg-config libdrm-dev \
  libinih-dev libgbm-dev libpipewire-0.3-dev libwayland-dev wayland-protocols libsystemd-dev >/dev/null

mkdir -p "$work/apt/lists/partial"
{
  grep -hE '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | sed 's/^deb /deb-src /' || true
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # deb822: one "deb-src URI SUITE COMPONENTS" line per suite of each stanza
    awk '/^URIs:/{u=$2} /^Suites:/{$1=""; s=$0} /^Components:/{$1=""; c=$0}
         function flush() { if (u) { n = split(s, a, " "); for (i = 1; i <= n; i++) print "deb-src " u " " a[i] c }; u = "" }
         /^$/{flush()} END{flush()}' "$f"
  done
} | sort -u >"$work/apt/sources.list"
apt_private=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$work/apt/lists")
apt-get "${apt_private[@]}" update >/dev/null
cd "$work"
apt-get "${apt_private[@]}" source xdg-desktop-portal-wlr=0.7.0-1 >/dev/null 2>&1
cd xdg-desktop-portal-wlr-0.7.0
patch -s -p1 <"$here/portal-shm-only.patch"
meson setup build -Dsd-bus-provider=libsystemd -Dman-pages=disabled -Dsystemd=disabled >/dev/null
ninja -C build >/dev/null
install -D -m 755 build/xdg-desktop-portal-wlr "$target"
echo "build-portal: installed $target" >&2
