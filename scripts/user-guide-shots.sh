#!/usr/bin/env bash
# Regenerates the screenshots of docs/USER.md: runs the real program from a
# build folder against the demo services under Xvfb (with a tray host), drives
# it with xdotool as an operator would, and crops each shot to the window.
#   scripts/user-guide-shots.sh               program from build-pkg/bin
#   QUORVEL_SHOTS_BUILD=DIR scripts/user-guide-shots.sh
# Needs the services (scripts/services.sh start) and the demo database (loaded
# if missing); starts its own gateway simulator only if none is running.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${QUORVEL_SHOTS_BUILD:-$ROOT/build-pkg}
BIN=$BUILD/bin
IMG=$ROOT/docs/img
WORK=${QSHOTS_WORK:-${TMPDIR:-/tmp}/quorvel_shots_$$}

say() { echo "user-guide-shots: $*"; }

if [ "${1:-}" != --inside ]; then
  [ -x "$BIN/Quorvel_Client" ] || { echo "no $BIN/Quorvel_Client (build first)" >&2; exit 1; }
  set -a; . "$ROOT/.run/services.env"; set +a
  QUORVEL_DATAGEN="$BIN/quorvel_datagen" bash "$ROOT/demo/load-demo.sh" >/dev/null
  # A program folder of its own: the program reads config/ beside itself.
  mkdir -p "$WORK/app/config" "$WORK/app/log" "$WORK/run" "$WORK/raw" "$WORK/home"
  chmod 700 "$WORK/run"
  cp "$BIN/Quorvel_Client" "$WORK/app/"
  for so in "$BIN"/lib*.so*; do ln -s "$so" "$WORK/app/"; done
  cp -r "$ROOT/client/res/toolbar" "$WORK/app/config/toolbar"
  cp "$ROOT/client/res/config/UIConfig.xml" "$WORK/app/config/"
  sed -e "/<DB /s/port=\"[0-9]*\"/port=\"$QUORVEL_DB_PORT\"/" \
      -e "/<mqtt /s/port=\"[0-9]*\"/port=\"$QUORVEL_MQTT_PORT\"/" \
      "$ROOT/client/res/config/WorkParam.xml" >"$WORK/app/config/WorkParam.xml"
  chmod 600 "$WORK/app/config/WorkParam.xml"
  cp "$ROOT/client/res/ApplicationLog.conf" "$ROOT/client/res/LogFilter.conf" "$WORK/app/"
  GATEWAY=
  if ! pgrep -x quorvel_gateway >/dev/null; then
    "$BIN/quorvel_gateway" --mqtt "127.0.0.1:$QUORVEL_MQTT_PORT" --mqtt-user "$QUORVEL_MQTT_USER" \
      --mqtt-password "$QUORVEL_MQTT_PASSWORD" --db-host 127.0.0.1 --db-port "$QUORVEL_DB_PORT" \
      --db-user "$QUORVEL_DB_USER" --db-password "$QUORVEL_DB_PASSWORD" --db-name quor \
      >"$WORK/gateway.log" 2>&1 &
    GATEWAY=$!
    say "started a gateway simulator ($GATEWAY)"
  fi
  rc=0
  QSHOTS_WORK=$WORK xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inside || rc=$?
  [ -n "$GATEWAY" ] && kill "$GATEWAY" 2>/dev/null
  if [ $rc = 0 ]; then
    mkdir -p "$IMG"
    cp "$WORK"/raw/*.png "$IMG/"
    say "screenshots written to $IMG: $(cd "$IMG" && ls | tr '\n' ' ')"
    rm -rf "$WORK"
  else
    say "FAILED (work folder kept: $WORK)"
  fi
  exit $rc
fi

# ---- inside Xvfb ------------------------------------------------------------
OUT=$WORK/raw
trayer --edge top --align right --widthtype pixel --width 200 \
       --heighttype pixel --height 30 >/dev/null 2>&1 &
TRAYER=$!
# The tray host must be up before the program creates its icon.
for i in $(seq 30); do xdotool search --class trayer >/dev/null 2>&1 && break; sleep 0.3; done
kill -0 $TRAYER 2>/dev/null || { echo "user-guide-shots: trayer did not start" >&2; exit 1; }
( cd "$WORK/app" && HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run" exec ./Quorvel_Client ) \
  >"$WORK/client.out" 2>&1 &
PID=$!
trap 'kill $PID $TRAYER 2>/dev/null || true' EXIT

die() {
  echo "user-guide-shots: $*" >&2
  import -silent -window root "$WORK/failure.png" 2>/dev/null
  if ! kill -0 $PID 2>/dev/null; then
    local st=0; wait $PID || st=$?
    echo "user-guide-shots: the program had ended (status $st)" >&2
  fi
  exit 1
}
# The program's visible windows with a given title; the tray icon (a small
# window that carries the program's name too) is not one of them.
wins() {
  local w
  for w in $(xdotool search --onlyvisible --pid $PID 2>/dev/null); do
    [ "$(xdotool getwindowname $w 2>/dev/null)" = "$1" ] || continue
    eval "$(xdotool getwindowgeometry --shell $w 2>/dev/null)"
    [ "${WIDTH:-0}" -gt 60 ] && echo $w
  done
}
trayicon() {  # the tray icon: the program's small window with the program's name
  local w
  for w in $(xdotool search --onlyvisible --pid $PID 2>/dev/null); do
    [ "$(xdotool getwindowname $w 2>/dev/null)" = "$MSG_TITLE" ] || continue
    eval "$(xdotool getwindowgeometry --shell $w 2>/dev/null)"
    [ "${WIDTH:-99}" -le 60 ] && { echo $w; return 0; }
  done
  return 1
}
win() {  # win TITLE [SECONDS]: waits for the window with that title
  local end=$((SECONDS + ${2:-20})) w
  while [ $SECONDS -lt $end ]; do
    w=$(wins "$1" | head -1)
    [ -n "$w" ] && { sleep 0.6; echo $w; return 0; }
    kill -0 $PID 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}
gone() {  # gone TITLE: waits until no window of the program has that title
  local i
  for i in $(seq 50); do
    [ -z "$(wins "$1")" ] && return 0
    sleep 0.2
  done
  return 1
}
click() {  # click WINDOW X Y (window coordinates)
  eval "$(xdotool getwindowgeometry --shell $1)"
  xdotool mousemove --sync $((X + $2)) $((Y + $3)) click 1
  sleep 0.4
}
dclick() {
  eval "$(xdotool getwindowgeometry --shell $1)"
  xdotool mousemove --sync $((X + $2)) $((Y + $3)) click --repeat 2 --delay 80 1
  sleep 0.6
}
keys() { xdotool windowfocus --sync $1 2>/dev/null || true; shift; xdotool key --delay 40 "$@"; sleep 0.3; }
typein() { xdotool windowfocus --sync $1 2>/dev/null || true; xdotool type --delay 20 "$2"; }
shot() {  # shot NAME WINDOW [MARGIN]: screenshot cropped to the window (and its frame)
  local name=$1 w=$2 m=${3:-0}
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell $w)"
  import -silent -window root -crop "$((WIDTH + 2 * m))x$((HEIGHT + 2 * m))+$((X - m))+$((Y - m))" \
         +repage +dither -colors 256 -strip "PNG8:$OUT/$name.png"
  echo "shot $name ($WIDTH x $HEIGHT at $X,$Y)"
}
rawshot() { import -silent -window root "$OUT/$1.png"; }
shotscreen() {  # shotscreen NAME X Y W H: a part of the screen
  import -silent -window root -crop "$4x$5+$2+$3" +repage +dither -colors 256 -strip "PNG8:$OUT/$1.png"
  echo "shot $1"
}
small() {  # small NAME [PERCENT]: scaled down (70 %) to keep the guide light
  convert "$OUT/$1.png" -resize "${2:-70}%" +dither -colors 64 -strip "PNG8:$OUT/$1.tmp.png"
  mv "$OUT/$1.tmp.png" "$OUT/$1.png"
}
MAIN_TITLE="Quorvel_Client(Version1.12)"
MSG_TITLE="Quorvel_Client"
# Toolbar buttons (50 pixels apart) of a user with both modules.
TB_REALTIME=26; TB_HISTORY=78; TB_STATISTICS=130; TB_DEBUG=182; TB_POINTS=234; TB_EXIT=338; TB_Y=24

# 1. Login
LOGIN=$(win "用户登录" 30) || die "no login dialog"
typein $LOGIN admin; xdotool key Tab; typein $LOGIN admin123
shot login $LOGIN
keys $LOGIN Return
MAIN=$(win "$MAIN_TITLE" 30) || die "no main window after the login"
# The window is 1024 x 768 at first; a little wider shows every button of the
# statistics view.
xdotool windowsize $MAIN 1120 800; sleep 3

# 2. Realtime view: one lamp per device
click $MAIN $TB_REALTIME $TB_Y; sleep 1
shot realtime $MAIN; small realtime

# 3. History: query the last seven days, table and curves
click $MAIN $TB_HISTORY $TB_Y
click $MAIN 665 88; sleep 4          # 查询
shot history_table $MAIN; small history_table
click $MAIN 805 88; sleep 3          # 曲线
shot history_curves $MAIN; small history_curves
click $MAIN 735 88                   # 表格 (back to the table)

# 4. Statistics: daily averages
click $MAIN $TB_STATISTICS $TB_Y
click $MAIN 705 97                   # 日
click $MAIN 830 88; sleep 4          # 统计
shot statistics $MAIN; small statistics

# 5. Export of the statistics: save dialog, then the confirmation
click $MAIN 1040 88; sleep 2         # 导出
SAVE=$(win "" 20) || die "no save dialog"
shot export_save $SAVE; small export_save 60
keys $SAVE Return
DONE=$(win "$MSG_TITLE" 20) || die "no export message"
shot export_done $DONE 40
keys $DONE Return
gone "$MSG_TITLE" || die "export message stays"
ls "$WORK/app"/*_statistics.xls >/dev/null || die "no exported file"

# 6. Debug terminal: two commands to the simulated gateway
click $MAIN $TB_DEBUG $TB_Y
click $MAIN 300 180; typein $MAIN "AT+VER?"
click $MAIN 60 262; sleep 2          # 发送
click $MAIN 300 180; xdotool key ctrl+a; typein $MAIN "READ 1"
click $MAIN 60 262; sleep 2
shot debug $MAIN; small debug

# 7. Data points and the edit dialog (cancelled: the demo data stays as it is)
click $MAIN $TB_POINTS $TB_Y; sleep 1
shot datapoints $MAIN; small datapoints
dclick $MAIN 80 286                  # the row 有功功率
EDIT=$(win "数据点编辑" 10) || die "no edit dialog"
shot datapoint_edit $EDIT
click $EDIT 181 143                  # 取消
gone "数据点编辑" || die "edit dialog stays"

# 8. Exit prompt, hide to the tray, back from the tray, quit
click $MAIN $TB_EXIT $TB_Y
ASK=$(win "$MSG_TITLE" 10) || die "no exit prompt"
shot exit_prompt $ASK 40
click $ASK 53 117                    # No: hide to the tray
gone "$MAIN_TITLE" || die "the window did not hide"
sleep 1
ICON=$(trayicon) || die "no tray icon"
shotscreen tray 1080 0 200 30; small tray 200
dclick $ICON 12 14                   # double-click on the tray icon
MAIN=$(win "$MAIN_TITLE" 10) || die "the window did not come back from the tray"
click $MAIN $TB_EXIT $TB_Y
ASK=$(win "$MSG_TITLE" 10) || die "no exit prompt"
click $ASK 160 117                   # Yes: quit
for i in $(seq 50); do kill -0 $PID 2>/dev/null || break; sleep 0.2; done
kill -0 $PID 2>/dev/null && die "the program did not quit"
echo "all steps done"
