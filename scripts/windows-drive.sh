#!/usr/bin/env bash
# Drives the Windows program under Wine and Xvfb against the private
# services on loopback, as an operator would: logs in, watches a lamp change
# on a published CommStatus, runs a history query and exports it. Each step
# is checked (window titles, lamp colours on the screen, the exported
# workbook read back by freexl) and shot; the shots go to .windows/shots.
#   scripts/windows-drive.sh     (after scripts/windows-build.sh)
# Needs scripts/services.sh running and a Linux build of quorvel_datagen
# (the demo loader); called by scripts/windows-check.sh.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TOP=${QUORVEL_WINDOWS_DIR:-$ROOT/.windows}
STAGE=$TOP/stage/Quorvel
SHOTS=$TOP/shots
WORK=${QWIN_WORK:-${TMPDIR:-/tmp}/quorvel_wine_$$}
say() { printf '[windows-drive %(%H:%M:%S)T] %s\n' -1 "$*"; }

if [ "${1:-}" != --inside ]; then
  [ -e "$STAGE/Quorvel_Client.exe" ] || { say "no $STAGE/Quorvel_Client.exe (scripts/windows-build.sh first)"; exit 1; }
  set -a; . "$ROOT/.run/services.env"; set +a
  bash "$ROOT/demo/load-demo.sh" >/dev/null
  # The installed folder as the package holds it, with the private servers'
  # ports; the demo site's channel gw01 is left without a gateway, so only
  # this script changes its lamps.
  rm -rf "$WORK"; mkdir -p "$WORK" "$SHOTS"
  cp -r "$STAGE" "$WORK/app"
  sed -i -e "/<DB /s/port=\"[0-9]*\"/port=\"$QUORVEL_DB_PORT\"/" \
         -e "/<mqtt /s/port=\"[0-9]*\"/port=\"$QUORVEL_MQTT_PORT\"/" "$WORK/app/config/WorkParam.xml"
  rm -f "$SHOTS"/*.png
  export WINEPREFIX=${WINEPREFIX:-$TOP/wine} WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
  rc=0
  QWIN_WORK=$WORK xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inside || rc=$?
  "${WINESERVER:-/usr/lib/wine/wineserver}" -k 2>/dev/null || true
  if [ $rc = 0 ]; then
    say "passed; shots in $SHOTS: $(cd "$SHOTS" && ls | tr '\n' ' ')"
    rm -rf "$WORK"
  else
    say "FAILED (work folder kept: $WORK; shots in $SHOTS)"
  fi
  exit $rc
fi

# ---- inside Xvfb ------------------------------------------------------------
APP=$WORK/app
trayer --edge top --align right --widthtype pixel --width 200 \
       --heighttype pixel --height 30 >/dev/null 2>&1 &
TRAYER=$!
( cd "$APP" && exec wine64 Quorvel_Client.exe ) >"$WORK/client.out" 2>&1 &
PID=$!
trap 'kill $PID $TRAYER 2>/dev/null || true' EXIT

die() {
  say "FAILED: $*"
  import -silent -window root "$SHOTS/failure.png" 2>/dev/null || true
  tail -20 "$WORK/client.out" >&2 || true
  exit 1
}
# Wine's windows carry the Windows title as their X name.
win() {  # win TITLE [SECONDS]: the visible window with exactly that title
  local end=$((SECONDS + ${2:-30})) w
  while [ $SECONDS -lt $end ]; do
    for w in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$w")"
      [ "${WIDTH:-0}" -gt 60 ] && { sleep 1; echo "$w"; return 0; }
    done
    kill -0 $PID 2>/dev/null || return 1
    sleep 0.3
  done
  return 1
}
gone() {
  local i
  for i in $(seq 50); do
    [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ] && return 0
    sleep 0.2
  done
  return 1
}
click() {  # click WINDOW X Y (coordinates inside the window)
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync $((X + $2)) $((Y + $3)) click 1
  sleep 0.5
}
keys() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus "$1" 2>/dev/null || true; shift; xdotool key --delay 60 "$@"; sleep 0.4; }
typein() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus "$1" 2>/dev/null || true; xdotool type --delay 40 "$2"; }
shot() {  # shot NAME WINDOW: screenshot cropped to the window
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$2")"
  import -silent -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$SHOTS/$1.png"
  say "shot $1 (${WIDTH}x${HEIGHT})"
}
# lamps NAME: pixels of the lamps' green and red in a shot ("green red").
lamps() {
  convert "$SHOTS/$1.png" -depth 8 txt:- | awk -F'[(),]' 'NR > 1 {
      r = $(NF-3) + 0; g = $(NF-2) + 0; b = $(NF-1) + 0 }
    NR > 1 && g > 100 && r < 70 && b < 80 { green++ }
    NR > 1 && r > 140 && g < 50 && b < 50 { red++ }
    END { print green + 0, red + 0 }'
}
publish() {  # publish TOPIC PAYLOAD: as the gateway does
  mosquitto_pub -h "$QUORVEL_MQTT_HOST" -p "$QUORVEL_MQTT_PORT" -u "$QUORVEL_MQTT_USER" \
    -P "$QUORVEL_MQTT_PASSWORD" -q 1 -t "$1" -m "$2"
}

MAIN_TITLE="Quorvel_Client\\(Version1.12\\)"
TB_REALTIME=26; TB_HISTORY=78; TB_Y=${QWIN_TB_Y:-24}

# 1. Login against the Linux MariaDB
LOGIN=$(win "用户登录" 120) || die "no login dialog"
shot login_empty "$LOGIN"
typein "$LOGIN" admin; xdotool key Tab; typein "$LOGIN" admin123
shot login "$LOGIN"
keys "$LOGIN" Return
MAIN=$(win "$MAIN_TITLE" 60) || die "no main window after the login"
xdotool windowsize "$MAIN" 1120 800; sleep 3
shot main "$MAIN"

# 2. Realtime view: the lamps of channel gw01 follow its CommStatus
click "$MAIN" $TB_REALTIME $TB_Y; sleep 2
publish "1;gw01/CommStatus" 0; sleep 3
shot realtime_down "$MAIN"
read -r green_down red_down < <(lamps realtime_down)
publish "1;gw01/CommStatus" 1; sleep 3
shot realtime_up "$MAIN"
read -r green_up red_up < <(lamps realtime_up)
say "lamp pixels green/red: link down $green_down/$red_down, link up $green_up/$red_up"
[ "$green_up" -gt "$green_down" ] && [ "$red_up" -lt "$red_down" ] \
  || die "the lamps did not turn green on CommStatus 1"
