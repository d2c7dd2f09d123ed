#!/usr/bin/env bash
# A headless Wayland desktop for the tests (Debian 12, runs as root, no GPU,
# no systemd user session). Use it through scripts/wlsession.
#
#   session.sh start DIR   starts, in a new process session, everything below
#                          with its state, logs and sockets under DIR, and
#                          prints the environment a client needs ("export" lines)
#   session.sh env DIR     prints that environment again
#   session.sh stop DIR    stops everything it started (recorded pids, then
#                          whatever else still runs in its process session)
#
# What runs:
#   sway (wlroots, pixman renderer) with two headless outputs: HEADLESS-1
#     ($WLS_OUT1, 1920x1080) at 0,0 and HEADLESS-2 ($WLS_OUT2, 1280x1024) at
#     1920,0. sway refuses to run as root: it runs as $WLS_UID (nobody) with a
#     runtime folder of its own, and root's clients reach its socket through a
#     link in their runtime folder.
#   a private D-Bus session bus;
#   PipeWire and WirePlumber;
#   xdg-desktop-portal with the wlroots backend only, set to hand out output
#     $WLS_CAST (HEADLESS-1) without a chooser. It is the build of
#     build-portal.sh ($WLS_PORTAL) when there is one: Debian's cannot cast
#     without a GPU;
#   swaybar's tray, which is a StatusNotifierWatcher and host ($WLS_TRAY=0: none);
#     its bar on HEADLESS-1 shows a clock that changes twice a second.
# A screen cast sends a frame only when the screen changes: a static screen
# gives one frame, and should the stream have no buffer ready for it, none.
# The clock keeps frames coming, as on a desktop with a clock in its panel.
set -u

cmd=${1:-}
dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: session.sh start|env|stop DIR" >&2; exit 2; }

WLS_OUT1=${WLS_OUT1:-1920x1080}
WLS_OUT2=${WLS_OUT2:-1280x1024}
WLS_CAST=${WLS_CAST:-HEADLESS-1}
WLS_TRAY=${WLS_TRAY:-1}
WLS_UID=${WLS_UID:-65534}
WLS_PORTAL=${WLS_PORTAL:-/usr/local/lib/vivivoz-rig/xdg-desktop-portal-wlr}
[ -x "$WLS_PORTAL" ] || WLS_PORTAL=/usr/libexec/xdg-desktop-portal-wlr

run=$dir/run        # root's runtime folder: clients, the bus, PipeWire, the portals
srun=$dir/run-sway  # sway's runtime folder (owned by WLS_UID)
logs=$dir/log
pids=$dir/pids
conf=$dir/config

log() { echo "wlsession: $*" >&2; }
die() { log "$*"; exit 1; }

# wait_for SECONDS CMD...: polls CMD every 50 ms until it succeeds
wait_for() {
  local end=$(($(date +%s%N) + $1 * 1000000000))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s%N)" -ge "$end" ] && return 1
    sleep 0.05
  done
}

print_env() {
  cat <<ENV
export XDG_RUNTIME_DIR=$run
export WAYLAND_DISPLAY=wayland-1
export DBUS_SESSION_BUS_ADDRESS=unix:path=$run/bus
export XDG_CURRENT_DESKTOP=sway
export XDG_SESSION_TYPE=wayland
export SWAYSOCK=$(ls "$srun"/sway-ipc.*.sock 2>/dev/null | head -1)
export QT_QPA_PLATFORM=wayland
export VIVIVOZ_WLSESSION=$dir
unset DISPLAY
ENV
}

on_bus() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}
wireplumber_ready() { pw-cli ls Client | grep -q 'application.name = "WirePlumber"'; }
# A pid that runs: exists and is not a zombie waiting to be reaped.
running() { local st; st=$(ps -o stat= -p "$1" 2>/dev/null) && [ "${st#Z}" = "$st" ]; }

# spawn NAME CMD...: starts CMD in the background, logs to log/NAME.log
spawn() {
  local name=$1
  shift
  "$@" >"$logs/$name.log" 2>&1 </dev/null &
  echo $! >"$pids/$name"
}

start_here() {
  mkdir -p "$run" "$srun" "$logs" "$pids" "$conf/portal" "$conf/dbus-services" "$conf/portals" "$dir/home-sway"
  chmod 755 "$dir" "$conf"
  chmod 700 "$run" "$srun"
  chown "$WLS_UID:$WLS_UID" "$srun" "$dir/home-sway"
  echo $$ >"$pids/session"

  # sway declares the bar but does not start it (it would run as nobody, off
  # the root session bus); swaybar is started below on the private bus.
  cat >"$conf/sway.conf" <<CONF
xwayland disable
default_border none
focus_follows_mouse no
output HEADLESS-1 mode $WLS_OUT1 position 0 0
output HEADLESS-2 mode $WLS_OUT2 position ${WLS_OUT1%x*} 0
bar {
    id tray0
    swaybar_command /bin/true
    status_command while date +%T.%N; do sleep 0.5; done
    position top
    output HEADLESS-1
    tray_output *
}
CONF
  chmod 644 "$conf/sway.conf"
  spawn sway env -i PATH=/usr/bin:/bin HOME="$dir/home-sway" XDG_RUNTIME_DIR="$srun" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    setpriv --reuid="$WLS_UID" --regid="$WLS_UID" --clear-groups sway -c "$conf/sway.conf"
  wait_for 10 test -S "$srun/wayland-1" || die "sway made no socket (see $logs/sway.log)"
  wait_for 5 sh -c "ls $srun/sway-ipc.*.sock" || die "sway made no IPC socket (see $logs/sway.log)"
  ln -sf "$srun/wayland-1" "$run/wayland-1"
  eval "$(print_env)"
  # the headless backend starts with one output
  swaymsg create_output >/dev/null || die "swaymsg create_output failed"
  wait_for 5 sh -c '[ $(swaymsg -t get_outputs -r | grep -c "\"name\": \"HEADLESS-") -ge 2 ]' ||
    die "the second output did not appear"

  # The private bus activates the permission store only; the rest is started here.
  cp /usr/share/dbus-1/services/org.freedesktop.impl.portal.PermissionStore.service "$conf/dbus-services/"
  cat >"$conf/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:path=$run/bus</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$conf/dbus-services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  spawn dbus dbus-daemon --config-file="$conf/bus.conf" --nofork --nopidfile
  wait_for 5 on_bus org.freedesktop.DBus || die "dbus-daemon did not start (see $logs/dbus.log)"

  spawn pipewire pipewire
  wait_for 5 test -S "$run/pipewire-0" || die "pipewire made no socket (see $logs/pipewire.log)"
  spawn wireplumber wireplumber
  wait_for 10 wireplumber_ready || die "wireplumber did not connect (see $logs/wireplumber.log)"

  cat >"$conf/portal/config" <<CONF
[screencast]
chooser_type=none
output_name=$WLS_CAST
max_fps=30
CONF
  [ "$WLS_PORTAL" = /usr/libexec/xdg-desktop-portal-wlr ] &&
    log "warning: Debian's screen-cast portal cannot cast without a GPU; run scripts/deps"
  spawn portal-wlr "$WLS_PORTAL" -c "$conf/portal/config" -l INFO
  wait_for 5 on_bus org.freedesktop.impl.portal.desktop.wlr || die "the wlroots portal is not on the bus"
  # Only the wlroots backend: xdg-desktop-portal would otherwise take any
  # other installed backend for what wlroots lacks.
  cp /usr/share/xdg-desktop-portal/portals/wlr.portal "$conf/portals/"
  XDG_DESKTOP_PORTAL_DIR="$conf/portals" spawn portal /usr/libexec/xdg-desktop-portal
  wait_for 10 on_bus org.freedesktop.portal.Desktop || die "xdg-desktop-portal is not on the bus"

  if [ "$WLS_TRAY" != 0 ]; then
    spawn swaybar swaybar -b tray0
    wait_for 10 on_bus org.kde.StatusNotifierWatcher || die "swaybar made no tray (see $logs/swaybar.log)"
  fi
  print_env
}

start() {
  [ -d "$pids" ] && [ -n "$(ls "$pids")" ] && die "a session already runs in $dir"
  # As the leader of a new process session, everything started here and every
  # helper the bus activates share its session id, which stop uses.
  setsid --wait "$0" __start "$dir" || {
    local rc=$?
    log "start failed; its logs: $logs"
    stop
    exit "$rc"
  }
}

stop() {
  local pid name sid list=""
  for name in swaybar portal portal-wlr wireplumber pipewire dbus sway; do
    [ -f "$pids/$name" ] || continue
    pid=$(cat "$pids/$name")
    rm -f "$pids/$name"
    running "$pid" && kill -TERM "$pid" 2>/dev/null && list="$list $pid"
  done
  sid=$(cat "$pids/session" 2>/dev/null)
  rm -f "$pids/session"
  if [ -n "$sid" ]; then
    for pid in $(ps -e -o pid=,sid=,stat= | awk -v s="$sid" '$2 == s && $3 !~ /^Z/ {print $1}'); do
      [ "$pid" = $$ ] && continue
      case " $list " in *" $pid "*) continue ;; esac
      kill -TERM "$pid" 2>/dev/null && list="$list $pid"
    done
  fi
  for pid in $list; do # 3 s each to end, then KILL
    for _ in $(seq 60); do running "$pid" || break; sleep 0.05; done
    running "$pid" && kill -KILL "$pid" 2>/dev/null
  done
  rm -rf "$run" "$srun"
  return 0
}

case "$cmd" in
  start) start ;;
  __start) start_here ;;
  env) print_env ;;
  stop) stop ;;
  *) echo "usage: session.sh start|env|stop DIR" >&2; exit 2 ;;
esac
