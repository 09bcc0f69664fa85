#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a running client:
# install what is missing, build, start the private MariaDB and mosquitto,
# load the demo site, start the gateway simulator, lay out the program's
# folder (config/, toolbar bitmaps, log configuration) and open the client.
# Without a display the client runs under Xvfb with a tray host.
#   scripts/demo.sh            build, set up and open the client
#   scripts/demo.sh --setup    everything but opening the client
#   QUORVEL_DEMO_TLS=1 scripts/demo.sh    the same with both links on TLS
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
BUILD=${QUORVEL_BUILD_DIR:-$ROOT/build}
BIN=$BUILD/bin
RUN=$ROOT/.run

say() { echo "demo: $*"; }

bash scripts/install-deps.sh
mkdir -p "$BUILD"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >"$BUILD/configure.log"
cmake --build "$BUILD" -j"$(nproc)"
bash scripts/services.sh start
set -a
. "$RUN/services.env"
set +a

if [ -x demo/load-demo.sh ]; then
  QUORVEL_BUILD_DIR="$BUILD" bash demo/load-demo.sh
  say "demo database \"quor\" ready on 127.0.0.1:$QUORVEL_DB_PORT"
else
  say "no demo data loader yet: the database is empty"
fi

# The program reads config/ beside itself and the log configuration from its
# working directory; both are laid out in the build's bin folder.
mkdir -p "$BIN/config/toolbar"
if [ -f client/res/config/UIConfig.xml ]; then
  cp client/res/config/UIConfig.xml "$BIN/config/UIConfig.xml"
fi
if [ -f client/res/config/WorkParam.xml ]; then
  # The template names the standard ports and accounts; point it at the
  # private services and the client's own accounts (least privilege).
  # QUORVEL_DEMO_TLS=1 puts both links on TLS with the services' CA, copied
  # beside the program (a relative path is taken from the program's folder).
  mqtt_port=$QUORVEL_MQTT_PORT
  tls_attr=
  if [ "${QUORVEL_DEMO_TLS:-0}" = 1 ]; then
    mqtt_port=$QUORVEL_MQTT_TLS_PORT
    cp "$QUORVEL_TLS_CA" "$BIN/config/ca.pem"
    tls_attr=' tls="1" tlsCa="config\/ca.pem"'
  fi
  sed -e "/<DB /s/port=\"[0-9]*\"/port=\"$QUORVEL_DB_PORT\"/" \
      -e "/<DB /s/user=\"[^\"]*\"/user=\"$QUORVEL_DB_CLIENT_USER\"/" \
      -e "/<DB /s/pwd=\"[^\"]*\"/pwd=\"$QUORVEL_DB_CLIENT_PASSWORD\"/" \
      -e "/<mqtt /s/port=\"[0-9]*\"/port=\"$mqtt_port\"/" \
      -e "/<mqtt /s/user=\"[^\"]*\"/user=\"$QUORVEL_MQTT_CLIENT_USER\"/" \
      -e "/<mqtt /s/pwd=\"[^\"]*\"/pwd=\"$QUORVEL_MQTT_CLIENT_PASSWORD\"/" \
      -e "s/ \/>/$tls_attr \/>/" \
      client/res/config/WorkParam.xml >"$BIN/config/WorkParam.xml"
  chmod 600 "$BIN/config/WorkParam.xml"
  [ "${QUORVEL_DEMO_TLS:-0}" = 1 ] && say "both links on TLS (CA: $BIN/config/ca.pem)"
fi
if compgen -G "client/res/toolbar/*.bmp" >/dev/null; then
  cp client/res/toolbar/*.bmp "$BIN/config/toolbar/"
fi
for f in ApplicationLog.conf LogFilter.conf; do
  [ -f "client/res/$f" ] && cp "client/res/$f" "$BIN/$f"
done
say "program folder laid out in $BIN"

# The gateway simulator plays the server side: channel states and replies,
# and the data loggers: it fills the measurements up to now and adds a row
# every 5 minutes, so a database loaded long ago shows recent data.
if [ -x "$BIN/quorvel_gateway" ]; then
  if [ -f "$RUN/gateway.pid" ] && kill -0 "$(cat "$RUN/gateway.pid")" 2>/dev/null; then
    say "gateway simulator already running"
  else
    "$BIN/quorvel_gateway" --mqtt "127.0.0.1:$QUORVEL_MQTT_PORT" --mqtt-user "$QUORVEL_MQTT_USER" \
      --mqtt-password "$QUORVEL_MQTT_PASSWORD" --db-host 127.0.0.1 --db-port "$QUORVEL_DB_PORT" \
      --db-user "$QUORVEL_DB_USER" --db-password "$QUORVEL_DB_PASSWORD" --db-name quor \
      >"$RUN/gateway.log" 2>&1 &
    echo $! >"$RUN/gateway.pid"
    say "gateway simulator started (log: $RUN/gateway.log)"
  fi
else
  say "no gateway simulator built yet"
fi

[ "${1:-}" = "--setup" ] && { say "set up; not opening the client (--setup)"; exit 0; }

if [ ! -x "$BIN/Quorvel_Client" ]; then
  say "the client program is not built yet; services and data are ready"
  exit 0
fi

say "log in as one of the demo users (see README.md), e.g. admin / admin123"
cd "$BIN"
if [ -n "${DISPLAY:-}" ]; then
  exec ./Quorvel_Client
fi
say "no display: running the client under Xvfb with a tray host"
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  trayer --edge top --align right --widthtype pixel --width 200 \
         --heighttype pixel --height 30 >/dev/null 2>&1 &
  sleep 1
  echo "demo: client running on display $DISPLAY; screenshot: DISPLAY=$DISPLAY import -window root shot.png"
  exec ./Quorvel_Client'
