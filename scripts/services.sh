#!/usr/bin/env bash
# Private MariaDB and mosquitto servers on loopback for the demo and the tests.
#   scripts/services.sh start|stop|status
# State lives under .run/ (ignored by git); the chosen ports and credentials
# are written to .run/services.env for scripts and tests to source.
# `stop` ends only the processes this script started (by their pid files).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
RUN=${QUORVEL_RUN_DIR:-$ROOT/.run}
DB_DIR=$RUN/mariadb
MQ_DIR=$RUN/mosquitto
ENV_FILE=$RUN/services.env

DB_USER=root
DB_PASSWORD=qpzr739105
MQTT_USER=tzmk
MQTT_PASSWORD=qpzr739105

port_busy() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

free_port() { # first free port from $1 upwards
  local p=$1
  while port_busy "$p"; do p=$((p + 1)); done
  echo "$p"
}

pid_alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

start_mariadb() {
  if pid_alive "$DB_DIR/pid"; then return 0; fi
  mkdir -p "$DB_DIR"
  if [ ! -d "$DB_DIR/data/mysql" ]; then
    mariadb-install-db --user="$(id -un)" --datadir="$DB_DIR/data" \
      --auth-root-authentication-method=normal --skip-test-db >"$DB_DIR/install.log" 2>&1
  fi
  local port
  port=$(free_port 13306)
  mariadbd --no-defaults --user="$(id -un)" --datadir="$DB_DIR/data" --socket="$DB_DIR/sock" \
    --port="$port" --bind-address=127.0.0.1 --pid-file="$DB_DIR/pid" \
    --log-error="$DB_DIR/err.log" --character-set-server=utf8mb4 \
    --max-connections=500 --innodb-buffer-pool-size=256M \
    --innodb-flush-log-at-trx-commit=2 >/dev/null 2>&1 &
  for _ in $(seq 1 120); do
    if mariadb-admin --no-defaults --socket="$DB_DIR/sock" -u root ping >/dev/null 2>&1 ||
       mariadb-admin --no-defaults --socket="$DB_DIR/sock" -u root -p"$DB_PASSWORD" ping >/dev/null 2>&1; then
      break
    fi
    sleep 0.5
  done
  # First start: root gets the password, reachable over TCP from 127.0.0.1.
  if mariadb --no-defaults --socket="$DB_DIR/sock" -u root -e 'select 1' >/dev/null 2>&1; then
    mariadb --no-defaults --socket="$DB_DIR/sock" -u root <<SQL
ALTER USER 'root'@'localhost' IDENTIFIED BY '$DB_PASSWORD';
CREATE USER IF NOT EXISTS 'root'@'127.0.0.1' IDENTIFIED BY '$DB_PASSWORD';
GRANT ALL PRIVILEGES ON *.* TO 'root'@'127.0.0.1' WITH GRANT OPTION;
FLUSH PRIVILEGES;
SQL
  fi
  mariadb-admin --no-defaults -h 127.0.0.1 -P "$port" -u root -p"$DB_PASSWORD" ping >/dev/null
  echo "$port" >"$DB_DIR/port"
}

start_mosquitto() {
  if pid_alive "$MQ_DIR/pid"; then return 0; fi
  mkdir -p "$MQ_DIR"
  local port
  port=$(free_port 16002)
  rm -f "$MQ_DIR/passwd"
  mosquitto_passwd -b -c "$MQ_DIR/passwd" "$MQTT_USER" "$MQTT_PASSWORD" 2>/dev/null
  chmod 0600 "$MQ_DIR/passwd"
  cat >"$MQ_DIR/mosquitto.conf" <<CONF
user $(id -un)
listener $port 127.0.0.1
allow_anonymous false
password_file $MQ_DIR/passwd
pid_file $MQ_DIR/pid
persistence false
log_dest file $MQ_DIR/mosquitto.log
max_queued_messages 100000
CONF
  mosquitto -c "$MQ_DIR/mosquitto.conf" -d
  for _ in $(seq 1 50); do port_busy "$port" && break; sleep 0.2; done
  port_busy "$port"
  echo "$port" >"$MQ_DIR/port"
}

write_env() {
  cat >"$ENV_FILE" <<ENV
QUORVEL_DB_HOST=127.0.0.1
QUORVEL_DB_PORT=$(cat "$DB_DIR/port")
QUORVEL_DB_SOCKET=$DB_DIR/sock
QUORVEL_DB_USER=$DB_USER
QUORVEL_DB_PASSWORD=$DB_PASSWORD
QUORVEL_MQTT_HOST=127.0.0.1
QUORVEL_MQTT_PORT=$(cat "$MQ_DIR/port")
QUORVEL_MQTT_USER=$MQTT_USER
QUORVEL_MQTT_PASSWORD=$MQTT_PASSWORD
ENV
}

stop_one() { # pid file, name
  if pid_alive "$1"; then
    local pid
    pid=$(cat "$1")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    echo "services: stopped $2"
  fi
  rm -f "$1"
}

case "${1:-}" in
  start)
    mkdir -p "$RUN"
    start_mariadb
    start_mosquitto
    write_env
    echo "services: MariaDB on 127.0.0.1:$(cat "$DB_DIR/port"), mosquitto on 127.0.0.1:$(cat "$MQ_DIR/port") ($ENV_FILE)"
    ;;
  stop)
    stop_one "$MQ_DIR/pid" mosquitto
    stop_one "$DB_DIR/pid" MariaDB
    rm -f "$ENV_FILE"
    ;;
  status)
    pid_alive "$DB_DIR/pid" && echo "MariaDB: running on port $(cat "$DB_DIR/port")" || echo "MariaDB: stopped"
    pid_alive "$MQ_DIR/pid" && echo "mosquitto: running on port $(cat "$MQ_DIR/port")" || echo "mosquitto: stopped"
    ;;
  *)
    echo "usage: $0 start|stop|status" >&2
    exit 2
    ;;
esac
