#!/usr/bin/env bash
# Installs the Windows package under Wine and drives the program under Wine
# and Xvfb against the private services on loopback, as an operator would:
# logs in, watches a lamp change on a published CommStatus, runs a history
# query, exports it and quits; then uninstalls. Each step is checked (the
# installed files and start-menu entry, window titles, lamp colours on the
# screen, the exported workbook read back by freexl against the database,
# the exit status) and shot; the shots go to .windows/shots.
#   scripts/windows-drive.sh     (after scripts/windows-build.sh)
# Needs scripts/services.sh running and a Linux build of quorvel_datagen
# (the demo loader); called by scripts/windows-check.sh.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TOP=${QUORVEL_WINDOWS_DIR:-$ROOT/.windows}
SHOTS=$TOP/shots
WORK=${QWIN_WORK:-${TMPDIR:-/tmp}/quorvel_wine_$$}
# The installation folder has a Chinese name with a space: the program finds
# its settings, writes its log and loads its pictures from there.
APP="$WORK/测控 中心/Quorvel"
say() { printf '[windows-drive %(%H:%M:%S)T] %s\n' -1 "$*"; }

if [ "${1:-}" != --inside ]; then
  set -a; . "$ROOT/.run/services.env"; set +a
  # Two build-machine tools: the demo data generator (from the Linux build)
  # and a freexl reader for the exported workbook.
  LINUX_BUILD=${QUORVEL_BUILD_DIR:-$ROOT/build}
  export QUORVEL_DATAGEN=${QUORVEL_DATAGEN:-$LINUX_BUILD/bin/quorvel_datagen}
  if [ ! -x "$QUORVEL_DATAGEN" ]; then
    [ -e "$LINUX_BUILD/build.ninja" ] || cmake -S "$ROOT" -B "$LINUX_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$LINUX_BUILD" --target quorvel_datagen >/dev/null
  fi
  bash "$ROOT/demo/load-demo.sh" >/dev/null
  export QWIN_XLS_SUMMARY=$TOP/xls_summary
  g++ -std=c++20 -O1 -I"$ROOT/xl/tests/support" -o "$QWIN_XLS_SUMMARY" \
    "$ROOT/xl/tests/win32/xls_summary.cpp" "$ROOT/xl/tests/support/XlsReadBack.cpp" -lfreexl
  rm -rf "$WORK"; mkdir -p "$WORK" "$SHOTS"
  rm -f "$SHOTS"/*.png
  export WINEPREFIX=${WINEPREFIX:-$TOP/wine} WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
  export QWIN_WINE=${QWIN_WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
  WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
  # A Windows desktop draws Chinese through its own fonts; Wine's prefix has
  # none, so the dialog and window fonts are replaced by the CJK font the
  # scripts install (fonts-wqy-zenhei).
  for font in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "SimSun" "宋体" "Microsoft YaHei"; do
    "$QWIN_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ \
      /d "WenQuanYi Zen Hei" /f >/dev/null 2>&1
  done
  # The program as the package installs it: the installer, silent, into a
  # folder of this run (Z: is the Linux root under Wine), with its
  # start-menu entry.
  SETUP=$(ls "$TOP"/dist/Quorvel-*-win64-setup.exe 2>/dev/null | head -1)
  [ -n "$SETUP" ] || { say "no installer in $TOP/dist (scripts/windows-build.sh makes it with nsis)"; exit 1; }
  winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
  WINAPP=$(winpath "$APP")
  # /D= takes the rest of the command line unquoted, spaces and all, as an
  # operator types it; Wine would quote an argument with a space, so the
  # command line goes through cmd.
  "$QWIN_WINE" cmd /c "$(winpath "$SETUP") /S /D=$WINAPP" || { say "the installer failed"; exit 1; }
  "$WINESERVER" -w 2>/dev/null || true
  [ -e "$APP/Quorvel_Client.exe" ] || { say "the installer put no Quorvel_Client.exe into $APP"; exit 1; }
  LINK=$(find "$WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/Quorvel/Quorvel.lnk' 2>/dev/null | head -1)
  [ -n "$LINK" ] || { say "no start-menu entry after the installation"; exit 1; }
  say "installed by $(basename "$SETUP") into $APP; start menu: ${LINK#"$WINEPREFIX"/}"
  # The private servers' ports; the demo site's channel gw01 is left
  # without a gateway, so only this script changes its lamps.
  sed -i -e "/<DB /s/port=\"[0-9]*\"/port=\"$QUORVEL_DB_PORT\"/" \
         -e "/<mqtt /s/port=\"[0-9]*\"/port=\"$QUORVEL_MQTT_PORT\"/" "$APP/config/WorkParam.xml"
  rc=0
  QWIN_WORK=$WORK xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inside || rc=$?
  "$WINESERVER" -k 2>/dev/null || true
  if [ $rc = 0 ]; then
    # Uninstalling takes the program and its start-menu entry, and keeps
    # the operator's settings.
    # (It copies itself elsewhere and runs from there; the wait below sees
    # that copy end too.)
    "$QWIN_WINE" "$APP/Uninstall.exe" /S
    "$WINESERVER" -w 2>/dev/null || true
    if [ -e "$APP/Quorvel_Client.exe" ] || [ -e "$LINK" ] || [ ! -e "$APP/config/WorkParam.xml" ]; then
      say "FAILED: the uninstaller left the program or its entry, or took the settings"; rc=1
    else
      say "uninstalled: the program and its start-menu entry are gone, config/ is kept"
    fi
  fi
  if [ $rc = 0 ]; then
    say "passed; shots in $SHOTS: $(cd "$SHOTS" && ls | tr '\n' ' ')"
    rm -rf "$WORK"
  else
    say "FAILED (work folder kept: $WORK; shots in $SHOTS)"
  fi
  exit $rc
fi

# ---- inside Xvfb ------------------------------------------------------------
trayer --edge top --align right --widthtype pixel --width 200 \
       --heighttype pixel --height 30 >/dev/null 2>&1 &
TRAYER=$!
( cd "$APP" && exec "$QWIN_WINE" Quorvel_Client.exe ) >"$WORK/client.out" 2>&1 &
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
# lamps NAME: pixels of the lamps' green and red in a shot of the main
# window ("green red"), counted below the (green) toolbar where the first
# row of lamps stands.
lamps() {
  convert "$SHOTS/$1.png" -crop 1120x160+0+70 +repage -depth 8 txt:- | awk -F'[(),]' 'NR > 1 {
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
MSG_TITLE="Quorvel_Client"
# Places inside the main window (1120 x 800) as Wine lays it out with the
# prefix's fonts: toolbar buttons, then the query row of the history view.
TB_REALTIME=26; TB_HISTORY=78; TB_EXIT=338; TB_Y=24
BTN_QUERY=628; BTN_CURVES=768; BTN_EXPORT=838; BTN_Y=85

# 1. Login against the Linux MariaDB
LOGIN=$(win "用户登录" 120) || die "no login dialog"
shot login_empty "$LOGIN"
typein "$LOGIN" admin; xdotool key Tab; typein "$LOGIN" admin123
shot login "$LOGIN"
keys "$LOGIN" Return
MAIN=$(win "$MAIN_TITLE" 60) || die "no main window after the login"
xdotool windowsize "$MAIN" 1120 800; sleep 3
shot main "$MAIN"
# The toolbar's pictures come from config/toolbar in the program's folder:
# their yellow strokes show that they were found.
yellow=$(convert "$SHOTS/main.png" -crop 400x48+0+0 +repage -depth 8 txt:- | awk -F'[(),]' 'NR > 1 {
    r = $(NF-3) + 0; g = $(NF-2) + 0; b = $(NF-1) + 0 } NR > 1 && r > 200 && g > 200 && b < 90 { n++ }
  END { print n + 0 }')
say "toolbar: $yellow yellow pixels"
[ "$yellow" -gt 100 ] || die "the toolbar pictures were not loaded from the program's folder"

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

# 3. History: the last seven days of the first device's first group, as a
# table and as curves, then exported; the workbook must hold every row the
# database has for that range.
click "$MAIN" $TB_HISTORY $TB_Y; sleep 2
click "$MAIN" $BTN_QUERY $BTN_Y; sleep 6
shot history_table "$MAIN"
click "$MAIN" $BTN_CURVES $BTN_Y; sleep 4
shot history_curves "$MAIN"
mkdir -p "$WORK/out"
click "$MAIN" $BTN_EXPORT $BTN_Y; sleep 3
# The save dialog proposes "<device>_<group>_<start>-<end>_history.xls";
# the folder goes in front of that name (Z: is the Linux root under Wine).
xdotool key Home
xdotool type --delay 30 "Z:$(echo "$WORK/out/" | tr / '\\')"
import -silent -window root "$SHOTS/export_save.png"
xdotool key Return
DONE=$(win "$MSG_TITLE" 60) || die "no message after the export"
shot export_done "$DONE"
keys "$DONE" Return
gone "$MSG_TITLE" || die "the export message stays"
file=$(ls "$WORK"/out/*_history.xls 2>/dev/null | head -1)
[ -n "$file" ] || die "no exported workbook in $WORK/out: $(ls "$WORK/out")"
name=$(basename "$file")
say "exported: $name"
# The name is the device's and the group's in UTF-8 on disk, not their
# bytes read in another code page.
case "$name" in
  一号变电所_电气参数_*_history.xls) ;;
  *) die "the exported file's name is not the device and group names: $name" ;;
esac
range=${name#一号变电所_电气参数_}; range=${range%_history.xls}
stamp() { echo "${1:0:4}-${1:4:2}-${1:6:2} ${1:8:2}:${1:10:2}:${1:12:2}"; }
start=$(stamp "${range%-*}"); end=$(stamp "${range#*-}")
sql() { mariadb --no-defaults --default-character-set=utf8mb4 -N -h "$QUORVEL_DB_HOST" -P "$QUORVEL_DB_PORT" \
          -u "$QUORVEL_DB_USER" -p"$QUORVEL_DB_PASSWORD" quor -e "$1"; }
table=$(sql "select g.c4 from em_device_group g join em_device d on d.id = g.device
             where d.name = '一号变电所' and g.group_name = '电气参数'")
expected=$(sql "select count(*), date_format(min(DataTime), '%Y-%m-%d %H:%i:%s'),
                date_format(max(DataTime), '%Y-%m-%d %H:%i:%s') from $table
                where DataTime >= '$start' and DataTime <= '$end'" | tr '\t' '|')
summary=$("$QWIN_XLS_SUMMARY" "$file") || die "freexl cannot read $name"
IFS='|' read -r sheets rows columns first last <<<"$summary"
IFS='|' read -r count dbFirst dbLast <<<"$expected"
say "workbook: $sheets sheet, $rows rows ($((rows - 1)) data rows, $first .. $last); database: $count rows ($dbFirst .. $dbLast)"
[ "$rows" -eq $((count + 1)) ] && [ "$first" = "$dbFirst" ] && [ "$last" = "$dbLast" ] \
  || die "the exported workbook does not hold the database's rows"

# 4. Exit through the toolbar: the program asks, Enter says yes, and it ends
# with status 0.
click "$MAIN" $TB_EXIT $TB_Y
PROMPT=$(win "$MSG_TITLE" 20) || die "no exit prompt"
shot exit_prompt "$PROMPT"
keys "$PROMPT" Return
for i in $(seq 100); do kill -0 $PID 2>/dev/null || break; sleep 0.2; done
kill -0 $PID 2>/dev/null && die "the program is still running 20 s after yes"
status=0; wait $PID || status=$?
[ $status = 0 ] || die "the program ended with status $status"
say "the program ended with status 0"
# The logging library read ApplicationLog.conf in the program's folder and
# keeps its file in log/ there.
[ -e "$APP/log/Quorvel_Client.log" ] || die "no log/Quorvel_Client.log in the program's folder"
