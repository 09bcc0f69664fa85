#!/usr/bin/env bash
# A second set of private services must come up beside running ones (their
# ports taken), work, and stop without touching the first set's processes.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$ROOT/.run/services.env"
first_db_pid=$(cat "$ROOT/.run/mariadb/pid")
first_mq_pid=$(cat "$ROOT/.run/mosquitto/pid")

tmp=$(mktemp -d)
trap 'QUORVEL_RUN_DIR=$tmp bash "$ROOT/scripts/services.sh" stop >/dev/null 2>&1 || true; rm -rf "$tmp"' EXIT

QUORVEL_RUN_DIR=$tmp bash "$ROOT/scripts/services.sh" start
. "$tmp/services.env"
fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$QUORVEL_DB_PORT" != "$(cat "$ROOT/.run/mariadb/port")" ] || fail "second MariaDB took the first one's port"
[ "$QUORVEL_MQTT_PORT" != "$(cat "$ROOT/.run/mosquitto/port")" ] || fail "second broker took the first one's port"

out=$(mariadb --no-defaults -h 127.0.0.1 -P "$QUORVEL_DB_PORT" -u "$QUORVEL_DB_USER" -p"$QUORVEL_DB_PASSWORD" -N -e 'select 40+2')
[ "$out" = 42 ] || fail "second MariaDB does not answer over TCP"
mosquitto_pub -h 127.0.0.1 -p "$QUORVEL_MQTT_PORT" -u "$QUORVEL_MQTT_USER" -P "$QUORVEL_MQTT_PASSWORD" -t t -m m 2>/dev/null ||
  fail "second broker refuses its user"
if mosquitto_pub -h 127.0.0.1 -p "$QUORVEL_MQTT_PORT" -u "$QUORVEL_MQTT_USER" -P wrong -t t -m m 2>/dev/null; then
  fail "second broker accepts a wrong password"
fi

# TLS beside the plain links, with the set's own CA.
mosquitto_pub -h 127.0.0.1 -p "$QUORVEL_MQTT_TLS_PORT" --cafile "$QUORVEL_TLS_CA" -u "$QUORVEL_MQTT_USER" \
  -P "$QUORVEL_MQTT_PASSWORD" -t t -m m 2>/dev/null || fail "the TLS listener does not take the set's CA"
if mosquitto_pub -h 127.0.0.1 -p "$QUORVEL_MQTT_TLS_PORT" --cafile "$QUORVEL_TLS_DIR/other-ca.pem" \
  -u "$QUORVEL_MQTT_USER" -P "$QUORVEL_MQTT_PASSWORD" -t t -m m 2>/dev/null; then
  fail "the TLS listener verifies against another CA"
fi
if mosquitto_pub -h 127.0.0.1 -p "$QUORVEL_MQTT_TLS_CERT_PORT" --cafile "$QUORVEL_TLS_CA" -u "$QUORVEL_MQTT_USER" \
  -P "$QUORVEL_MQTT_PASSWORD" -t t -m m 2>/dev/null; then
  fail "the client-certificate listener takes a client without one"
fi
mosquitto_pub -h 127.0.0.1 -p "$QUORVEL_MQTT_TLS_CERT_PORT" --cafile "$QUORVEL_TLS_CA" --cert "$QUORVEL_TLS_CLIENT_CERT" \
  --key "$QUORVEL_TLS_CLIENT_KEY" -u "$QUORVEL_MQTT_USER" -P "$QUORVEL_MQTT_PASSWORD" -t t -m m 2>/dev/null ||
  fail "the client-certificate listener refuses the client certificate"
cipher=$(mariadb --no-defaults -h 127.0.0.1 -P "$QUORVEL_DB_PORT" -u "$QUORVEL_DB_USER" -p"$QUORVEL_DB_PASSWORD" \
  --ssl-ca="$QUORVEL_TLS_CA" --ssl-verify-server-cert -N -e "show session status like 'Ssl_cipher'" | cut -f2)
[ -n "$cipher" ] || fail "MariaDB does not take TLS with the set's CA"

QUORVEL_RUN_DIR=$tmp bash "$ROOT/scripts/services.sh" stop
kill -0 "$first_db_pid" 2>/dev/null || fail "stopping the second set ended the first MariaDB"
kill -0 "$first_mq_pid" 2>/dev/null || fail "stopping the second set ended the first broker"
(exec 3<>"/dev/tcp/127.0.0.1/$QUORVEL_DB_PORT") 2>/dev/null && fail "second MariaDB still listens after stop"
echo "services_test: ok"
