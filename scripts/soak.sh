#!/usr/bin/env bash
# Fault-injection soak of the live path (not part of CTest).
#   scripts/soak.sh [MINUTES] [CHANNELS]        default 10 minutes, 500 channels
#   QUORVEL_BUILD_DIR=build-asan scripts/soak.sh 10   the same under AddressSanitizer
# A simulated site of CHANNELS flapping channels (the gateway simulator) on
# the private MariaDB of scripts/services.sh and a broker of the soak's own,
# restarted every 20 s; the soak driver (bench/soak) runs the client's main
# frame, MQTT client, message handler and lookup worker under Xvfb with the
# database behind its relay, black-holed or dropped every 45 s. Figures go
# to standard output and to .run/soak/report.txt.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
MINUTES=${1:-10}
CHANNELS=${2:-500}
BUILD=${QUORVEL_BUILD_DIR:-$ROOT/build}
DIR=$ROOT/.run/soak
DB=quor_soak
mkdir -p "$DIR"

# The simulator and the data generator may come from the plain build when
# the sanitiser build has only the driver.
TOOLS=$BUILD/bin
[ -x "$TOOLS/quorvel_gateway" ] && [ -x "$TOOLS/quorvel_datagen" ] || TOOLS=$ROOT/build/bin
for bin in "$BUILD/bin/bench_soak" "$TOOLS/quorvel_gateway" "$TOOLS/quorvel_datagen"; do
  [ -x "$bin" ] || { echo "soak: $bin not built" >&2; exit 1; }
done
bash "$ROOT/scripts/services.sh" start >/dev/null
set -a; . "$ROOT/.run/services.env"; set +a

# ---- the soak's own broker, restarted by the driver every 20 s ----
MQ_PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
rm -f "$DIR/passwd"
mosquitto_passwd -b -c "$DIR/passwd" "$QUORVEL_MQTT_USER" "$QUORVEL_MQTT_PASSWORD" 2>/dev/null
chmod 0600 "$DIR/passwd"
cat >"$DIR/mosquitto.conf" <<CONF
user $(id -un)
listener $MQ_PORT 127.0.0.1
allow_anonymous false
password_file $DIR/passwd
pid_file $DIR/mosquitto.pid
persistence false
log_dest file $DIR/mosquitto.log
max_queued_messages 100000
CONF
cat >"$DIR/restart-broker.sh" <<RESTART
#!/usr/bin/env bash
pid=\$(cat "$DIR/mosquitto.pid" 2>/dev/null || true)
[ -n "\$pid" ] && kill "\$pid" 2>/dev/null
for _ in \$(seq 50); do [ -n "\$pid" ] && kill -0 "\$pid" 2>/dev/null || break; sleep 0.1; done
mosquitto -c "$DIR/mosquitto.conf" -d
for _ in \$(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/$MQ_PORT) 2>/dev/null && exit 0; sleep 0.1; done
exit 1
RESTART
chmod +x "$DIR/restart-broker.sh"
bash "$DIR/restart-broker.sh"

cleanup() {
  [ -n "${GW_PID:-}" ] && kill "$GW_PID" 2>/dev/null || true
  pid=$(cat "$DIR/mosquitto.pid" 2>/dev/null || true)
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
}
trap cleanup EXIT

# ---- the site: the demo data plus CHANNELS channels with a device each for admin ----
sql() { mariadb --no-defaults -h "$QUORVEL_DB_HOST" -P "$QUORVEL_DB_PORT" -u "$QUORVEL_DB_USER" -p"$QUORVEL_DB_PASSWORD" "$@"; }
sql -e "drop database if exists $DB; create database $DB character set gbk"
sql "$DB" <"$ROOT/demo/schema.sql"
"$TOOLS/quorvel_datagen" --load --db "$DB" --days 1 >/dev/null
python3 - "$CHANNELS" >"$DIR/site.sql" <<'PY'
import sys
n = int(sys.argv[1])
print("SET NAMES utf8mb4;")
print("insert into em_passageway (id, name, protocol, period, timeout, retry, communication) values " +
      ",".join(f"('s{i}','soak{i}',(select id from em_protocol limit 1),60,5,3,'sgw{i}')" for i in range(n)) + ";")
print("insert into em_device (id, name, passageway, enable) values " +
      ",".join(f"('sd{i}','站点{i}','s{i}',1)" for i in range(n)) + ";")
print("insert into em_user_device (id, user, device) values " +
      ",".join(f"('sud{i}',(select id from em_user where login_name='admin'),'sd{i}')" for i in range(n)) + ";")
PY
sql "$DB" <"$DIR/site.sql"
echo "soak: $(date +%T) site of $CHANNELS channels loaded into $DB; broker on port $MQ_PORT"

# ---- gateways: every channel flaps; every state again every 10 s ----
"$TOOLS/quorvel_gateway" --mqtt "127.0.0.1:$MQ_PORT" --db-name "$DB" --period-ms 50 --down-ms 2000:8000 \
  --heartbeat-ms 10000 >"$DIR/gateway.log" 2>&1 &
GW_PID=$!

# ---- the client under Xvfb ----
echo "soak: $(date +%T) driver starts for $MINUTES minutes"
export QUORVEL_MQTT_PORT=$MQ_PORT
set +e
xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD/bin/bench_soak" --minutes "$MINUTES" --user admin --db "$DB" \
  --broker-restart "bash $DIR/restart-broker.sh" --report "$DIR/report.txt" >"$DIR/driver.log" 2>&1
rc=$?
set -e
cat "$DIR/driver.log" | grep -v "^$" | tail -20
crashes=0
[ "$rc" -ne 0 ] && crashes=1
grep -q "AddressSanitizer\|LeakSanitizer\|runtime error" "$DIR/driver.log" && crashes=1
echo "soak: driver exit code $rc, crashes $crashes"
exit "$rc"
