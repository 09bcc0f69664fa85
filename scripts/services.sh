#!/usr/bin/env bash
# Private MariaDB and mosquitto servers on loopback for the demo and the tests.
#   scripts/services.sh start|stop|status
# State lives under .run/ (ignored by git); the chosen ports and credentials
# are written to .run/services.env for scripts and tests to source.
# `stop` ends only the processes this script started (by their pid files).
# Both servers also take TLS: a private CA and certificates are made under
# .run/tls at first start; mosquitto gets TLS listeners beside the plain one,
# MariaDB its ssl options (TLS optional per connection).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
RUN=${QUORVEL_RUN_DIR:-$ROOT/.run}
DB_DIR=$RUN/mariadb
MQ_DIR=$RUN/mosquitto
ENV_FILE=$RUN/services.env
TLS_DIR=$RUN/tls

DB_USER=root
DB_PASSWORD=qpzr739105
MQTT_USER=tzmk
MQTT_PASSWORD=qpzr739105
# The client's own accounts with least privilege: the database account is
# created by demo/client-account.sql (same name and password), the broker
# account is confined by the ACL written below.
DB_CLIENT_USER=quorvel_client
DB_CLIENT_PASSWORD=qcli-58213
MQTT_CLIENT_USER=quorvel_client
MQTT_CLIENT_PASSWORD=qcli-77406

port_busy() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

free_port() { # first free port from $1 upwards
  local p=$1
  while port_busy "$p"; do p=$((p + 1)); done
  echo "$p"
}

pid_alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

# One certificate signed by a CA: name, subject alternative names, CA name.
make_cert() {
  openssl req -newkey rsa:2048 -nodes -keyout "$TLS_DIR/$1.key" -out "$TLS_DIR/$1.csr" \
    -subj "/CN=$1" >/dev/null 2>&1
  printf 'subjectAltName=%s\n' "$2" >"$TLS_DIR/$1.ext"
  openssl x509 -req -in "$TLS_DIR/$1.csr" -CA "$TLS_DIR/$3.pem" -CAkey "$TLS_DIR/$3.key" \
    -CAcreateserial -days 3650 -extfile "$TLS_DIR/$1.ext" -out "$TLS_DIR/$1.pem" >/dev/null 2>&1
  rm -f "$TLS_DIR/$1.csr" "$TLS_DIR/$1.ext"
}

# The private CA and certificates, made once:
#   ca.pem          the CA the client trusts
#   server.*        both servers (127.0.0.1, localhost)
#   client.*        a client certificate (for a listener that requires one)
#   other-ca.pem    another CA, and other-server.* signed by it (refused)
#   wrong-name.*    signed by ca.pem, but for another host name (refused)
make_tls() {
  [ -f "$TLS_DIR/done" ] && return 0
  mkdir -p "$TLS_DIR"
  chmod 700 "$TLS_DIR"
  local ca
  for ca in ca other-ca; do
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -keyout "$TLS_DIR/$ca.key" \
      -out "$TLS_DIR/$ca.pem" -subj "/CN=Quorvel private $ca" >/dev/null 2>&1
  done
  make_cert server "IP:127.0.0.1,DNS:localhost" ca
  make_cert client "DNS:quorvel-client" ca
  make_cert other-server "IP:127.0.0.1,DNS:localhost" other-ca
  make_cert wrong-name "DNS:wrong-name.invalid" ca
  touch "$TLS_DIR/done"
}

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
    --innodb-flush-log-at-trx-commit=2 \
    --ssl-ca="$TLS_DIR/ca.pem" --ssl-cert="$TLS_DIR/server.pem" --ssl-key="$TLS_DIR/server.key" \
    >/dev/null 2>&1 &
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
  local port tls_port tls_cert_port
  port=$(free_port 16002)
  tls_port=$(free_port $((port + 1)))
  tls_cert_port=$(free_port $((tls_port + 1)))
  rm -f "$MQ_DIR/passwd"
  mosquitto_passwd -b -c "$MQ_DIR/passwd" "$MQTT_USER" "$MQTT_PASSWORD" 2>/dev/null
  mosquitto_passwd -b "$MQ_DIR/passwd" "$MQTT_CLIENT_USER" "$MQTT_CLIENT_PASSWORD" 2>/dev/null
  chmod 0600 "$MQ_DIR/passwd"
  # The server side (gateways, test peers) may use every topic; the client
  # reads channel states and replies and writes only to transdown topics.
  cat >"$MQ_DIR/acl" <<ACL
user $MQTT_USER
topic readwrite #

user $MQTT_CLIENT_USER
topic read +/transup
topic read +/CommStatus
topic write +/+/transdown
ACL
  chmod 0600 "$MQ_DIR/acl"
  cat >"$MQ_DIR/mosquitto.conf" <<CONF
user $(id -un)
listener $port 127.0.0.1
allow_anonymous false
password_file $MQ_DIR/passwd
pid_file $MQ_DIR/pid
persistence false
log_dest file $MQ_DIR/mosquitto.log
max_queued_messages 100000
acl_file $MQ_DIR/acl

# TLS (1.2 or later), server certificate only
listener $tls_port 127.0.0.1
cafile $TLS_DIR/ca.pem
certfile $TLS_DIR/server.pem
keyfile $TLS_DIR/server.key
tls_version tlsv1.2

# TLS with a client certificate required
listener $tls_cert_port 127.0.0.1
cafile $TLS_DIR/ca.pem
certfile $TLS_DIR/server.pem
keyfile $TLS_DIR/server.key
tls_version tlsv1.2
require_certificate true
CONF
  mosquitto -c "$MQ_DIR/mosquitto.conf" -d
  for _ in $(seq 1 50); do port_busy "$port" && port_busy "$tls_cert_port" && break; sleep 0.2; done
  port_busy "$port"
  echo "$port" >"$MQ_DIR/port"
  echo "$tls_port" >"$MQ_DIR/tls_port"
  echo "$tls_cert_port" >"$MQ_DIR/tls_cert_port"
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
QUORVEL_DB_CLIENT_USER=$DB_CLIENT_USER
QUORVEL_DB_CLIENT_PASSWORD=$DB_CLIENT_PASSWORD
QUORVEL_MQTT_CLIENT_USER=$MQTT_CLIENT_USER
QUORVEL_MQTT_CLIENT_PASSWORD=$MQTT_CLIENT_PASSWORD
QUORVEL_MQTT_TLS_PORT=$(cat "$MQ_DIR/tls_port")
QUORVEL_MQTT_TLS_CERT_PORT=$(cat "$MQ_DIR/tls_cert_port")
QUORVEL_TLS_DIR=$TLS_DIR
QUORVEL_TLS_CA=$TLS_DIR/ca.pem
QUORVEL_TLS_CLIENT_CERT=$TLS_DIR/client.pem
QUORVEL_TLS_CLIENT_KEY=$TLS_DIR/client.key
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
    make_tls
    start_mariadb
    start_mosquitto
    write_env
    echo "services: MariaDB on 127.0.0.1:$(cat "$DB_DIR/port") (TLS optional), mosquitto on 127.0.0.1:$(cat "$MQ_DIR/port"), TLS on $(cat "$MQ_DIR/tls_port") and $(cat "$MQ_DIR/tls_cert_port") ($ENV_FILE)"
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
