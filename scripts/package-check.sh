#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, starts the installed
# program the way its desktop entry says (under Xvfb with a tray host), logs in
# against the running services, takes screenshots and removes the package again.
# Needs root (apt-get). Starts the private services of scripts/services.sh
# unless they run already (and stops again only what it started, as
# scripts/test.sh does) and loads the demo database if it is missing. Safe to
# run again: a left-over installation is purged first.
#   scripts/package-check.sh           build dir build-pkg (Release, no tests)
#   QUORVEL_PKG_BUILD=DIR scripts/package-check.sh
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${QUORVEL_PKG_BUILD:-$ROOT/build-pkg}
OUT=$BUILD/package-check
PREFIX=/opt/quorvel
DESKTOP=/usr/share/applications/quorvel.desktop

say() { echo "package-check: $*"; }
fail() { echo "package-check: FAILED: $*" >&2; exit 1; }

[ "$(id -u)" = 0 ] || fail "run as root (the package is installed with apt-get)"

# --- services: start them unless they already run; stop only what we started --
started_services=0
if ! bash "$ROOT/scripts/services.sh" status | grep -q 'MariaDB: running' ||
   ! bash "$ROOT/scripts/services.sh" status | grep -q 'mosquitto: running'; then
  bash "$ROOT/scripts/services.sh" start >/dev/null || fail "the services did not start"
  started_services=1
  say "started the services"
else
  bash "$ROOT/scripts/services.sh" start >/dev/null  # rewrites services.env
fi
stop_services() {
  if [ "$started_services" = 1 ]; then
    bash "$ROOT/scripts/services.sh" stop >/dev/null || true
    started_services=0
  fi
}
remove_package() {
  if [ "${KEEP_INSTALLED:-0}" != 1 ] && dpkg -s quorvel >/dev/null 2>&1; then
    apt-get remove -y quorvel >"$OUT/apt-remove.log" 2>&1 || true
    apt-get purge -y quorvel >>"$OUT/apt-remove.log" 2>&1 || true
  fi
}
package_installed=0
cleanup() {
  [ "$package_installed" = 1 ] && remove_package
  stop_services
}
trap cleanup EXIT
[ -f "$ROOT/.run/services.env" ] || fail "no .run/services.env after starting the services"
set -a; . "$ROOT/.run/services.env"; set +a

# --- build the package -------------------------------------------------------
mkdir -p "$BUILD"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
      -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF >"$BUILD/configure.log"
cmake --build "$BUILD" -j2 >"$BUILD/build.log" 2>&1 || { tail -30 "$BUILD/build.log"; fail "build"; }
rm -f "$BUILD"/quorvel_*.deb
(cd "$BUILD" && cpack -G DEB >cpack.log 2>&1) || { tail -30 "$BUILD/cpack.log"; fail "cpack"; }
DEB=$(ls "$BUILD"/quorvel_*.deb)
say "built $DEB ($(du -k "$DEB" | cut -f1) KB)"

# --- inspect it ----------------------------------------------------------------
rm -rf "$OUT"; mkdir -p "$OUT"
dpkg-deb -c "$DEB" >"$OUT/contents.txt"
dpkg-deb -I "$DEB" >"$OUT/info.txt"
for f in Quorvel_Client ApplicationLog.conf LogFilter.conf quorvel.png \
         config/UIConfig.xml config/WorkParam.xml config/toolbar/realtime.bmp log/; do
  grep -q " \./opt/quorvel/$f\$" "$OUT/contents.txt" || fail "package lacks $PREFIX/$f"
done
grep -q " \./usr/share/applications/quorvel.desktop\$" "$OUT/contents.txt" || fail "no desktop entry"
grep -q '^-rw------- .* \./opt/quorvel/config/WorkParam.xml$' "$OUT/contents.txt" \
  || fail "WorkParam.xml is not owner-only in the package"
for lib in tessaly xandril pellorn vintrel curvella quillet xl; do
  grep -q " \./opt/quorvel/lib$lib\.so\.1 -> " "$OUT/contents.txt" || fail "no soname link lib$lib.so.1"
done
grep -q '^ Depends: .*libwx' "$OUT/info.txt" || fail "runtime dependencies not declared"
grep -q '^ Depends: .*fonts-wqy-zenhei' "$OUT/info.txt" || fail "font dependency missing"
say "package contents and control fields as expected"

# --- install it ----------------------------------------------------------------
if dpkg -s quorvel >/dev/null 2>&1 || [ -e "$PREFIX" ]; then
  say "purging an earlier installation"
  apt-get purge -y quorvel >"$OUT/apt-purge-old.log" 2>&1 || true
  rm -rf "$PREFIX"
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y "$DEB" >"$OUT/apt-install.log" 2>&1 \
  || { tail -20 "$OUT/apt-install.log"; fail "apt-get install"; }
package_installed=1

[ "$(stat -c %a "$PREFIX/config/WorkParam.xml")" = 600 ] || fail "WorkParam.xml mode $(stat -c %a "$PREFIX/config/WorkParam.xml")"
[ -d "$PREFIX/log" ] && [ -w "$PREFIX/log" ] || fail "log/ missing or not writable"
readelf -d "$PREFIX/Quorvel_Client" | grep -q 'R.*PATH.*\[\$ORIGIN\]' || fail "program has no \$ORIGIN rpath"
if ldd "$PREFIX/Quorvel_Client" | grep -q 'not found'; then
  ldd "$PREFIX/Quorvel_Client" | grep 'not found'; fail "unresolved libraries"
fi
ldd "$PREFIX/Quorvel_Client" | grep -q "$PREFIX/libcurvella.so.1" || fail "program does not load its libraries from $PREFIX"
say "installed; rpath and libraries resolve inside $PREFIX"

# Point the installed settings at the running services (the template names the standard ports).
sed -i -e "/<DB /s/port=\"[0-9]*\"/port=\"$QUORVEL_DB_PORT\"/" \
       -e "/<DB /s/ip=\"[^\"]*\"/ip=\"$QUORVEL_DB_HOST\"/" \
       -e "/<mqtt /s/port=\"[0-9]*\"/port=\"$QUORVEL_MQTT_PORT\"/" \
       -e "/<mqtt /s/ip=\"[^\"]*\"/ip=\"$QUORVEL_MQTT_HOST\"/" "$PREFIX/config/WorkParam.xml"
[ "$(stat -c %a "$PREFIX/config/WorkParam.xml")" = 600 ] || fail "sed changed the mode of WorkParam.xml"

# The demo site must be there to log in.
QUORVEL_DATAGEN="$BUILD/bin/quorvel_datagen" bash "$ROOT/demo/load-demo.sh" >"$OUT/load-demo.log"

# --- start it from the desktop entry -----------------------------------------------
EXEC=$(sed -n 's/^Exec=//p' "$DESKTOP" | head -1)
WORKDIR=$(sed -n 's/^Path=//p' "$DESKTOP" | head -1)
ICON=$(sed -n 's/^Icon=//p' "$DESKTOP" | head -1)
[ -n "$EXEC" ] && [ -n "$WORKDIR" ] || fail "desktop entry lacks Exec or Path"
[ -f "$ICON" ] || fail "desktop entry icon $ICON missing"
command -v desktop-file-validate >/dev/null && desktop-file-validate "$DESKTOP"
say "desktop entry: Exec=$EXEC Path=$WORKDIR"

export EXEC WORKDIR OUT
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
set -u
trayer --edge top --align right --widthtype pixel --width 200 \
       --heighttype pixel --height 30 >/dev/null 2>&1 &
TRAYER=$!
sleep 1
mkdir -p "$OUT/run"; chmod 700 "$OUT/run"
( cd "$WORKDIR" && XDG_RUNTIME_DIR="$OUT/run" exec $EXEC ) >"$OUT/client.out" 2>&1 &
PID=$!
win() {  # win TITLE SECONDS: id of the visible window of the program with that title
  local end=$((SECONDS + $2)) w
  while [ $SECONDS -lt $end ]; do
    for w in $(xdotool search --onlyvisible --pid $PID 2>/dev/null); do
      [ "$(xdotool getwindowname $w 2>/dev/null)" = "$1" ] && { sleep 0.5; echo $w; return 0; }
    done
    kill -0 $PID 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}
rc=0
if LOGIN=$(win "用户登录" 30); then
  import -silent -window root "$OUT/login.png"
  xdotool windowfocus --sync $LOGIN; xdotool type --delay 15 admin; xdotool key Tab
  xdotool type --delay 15 admin123; xdotool key Return
  if MAIN=$(win "Quorvel_Client(Version1.12)" 30); then
    sleep 3
    import -silent -window root "$OUT/main.png"
    echo "main window $MAIN"
  else
    echo "no main window after the login"; rc=1
  fi
else
  echo "no login dialog"; rc=1
fi
kill $PID 2>/dev/null; wait $PID 2>/dev/null
kill $TRAYER 2>/dev/null
exit $rc' >"$OUT/xvfb.log" 2>&1 || { cat "$OUT/xvfb.log" "$OUT/client.out"; fail "the installed program did not reach its main window"; }
cat "$OUT/xvfb.log"
[ -s "$PREFIX/log/Quorvel_Client.log" ] || fail "the program wrote no log to $PREFIX/log"
[ -s "$OUT/main.png" ] || fail "no screenshot"
say "logged in as admin; screenshots $OUT/login.png, $OUT/main.png"

# --- remove it again ------------------------------------------------------------
package_installed=0
apt-get remove -y quorvel >"$OUT/apt-remove.log" 2>&1 || fail "apt-get remove"
[ ! -e "$PREFIX/Quorvel_Client" ] || fail "program still there after remove"
[ ! -e "$DESKTOP" ] || fail "desktop entry still there after remove"
apt-get purge -y quorvel >>"$OUT/apt-remove.log" 2>&1 || fail "apt-get purge"
[ ! -e "$PREFIX" ] || fail "$PREFIX left after purge: $(find "$PREFIX" | head -5)"
stop_services
say "removed and purged; all checks passed"
