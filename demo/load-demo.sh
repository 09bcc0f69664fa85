#!/usr/bin/env bash
# Creates and loads the demo database "quor" on the private MariaDB.
#   demo/load-demo.sh            load unless already loaded
#   demo/load-demo.sh --force    drop and load again
#   demo/load-demo.sh --large    also the benchmark group (1 year of 1-minute rows)
# Server from .run/services.env (scripts/services.sh start); the generator
# from $QUORVEL_BUILD_DIR/bin (default build/), or $QUORVEL_DATAGEN.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DB=quor
FORCE=0
LARGE=0
for arg in "$@"; do
  case "$arg" in
    --force) FORCE=1 ;;
    --large) LARGE=1 ;;
    *) echo "usage: demo/load-demo.sh [--force] [--large]" >&2; exit 2 ;;
  esac
done

if [ -z "${QUORVEL_DB_PORT:-}" ]; then
  [ -f "$ROOT/.run/services.env" ] || { echo "load-demo: no .run/services.env; run scripts/services.sh start" >&2; exit 1; }
  set -a; . "$ROOT/.run/services.env"; set +a
fi
DATAGEN=${QUORVEL_DATAGEN:-${QUORVEL_BUILD_DIR:-$ROOT/build}/bin/quorvel_datagen}
[ -x "$DATAGEN" ] || { echo "load-demo: $DATAGEN not built (cmake --build build --target quorvel_datagen)" >&2; exit 1; }

sql() { mariadb --no-defaults -h "$QUORVEL_DB_HOST" -P "$QUORVEL_DB_PORT" -u "$QUORVEL_DB_USER" -p"$QUORVEL_DB_PASSWORD" "$@"; }

# "Loaded" means the load ran to its end: the marker table is written last.
loaded() { [ "$(sql -N -e "select count(*) from information_schema.tables where table_schema='$DB' and table_name='demo_loaded'")" = 1 ]; }
large_loaded() { [ "$(sql -N "$DB" -e "select count(*) from em_device_group where c4='data_dev03_minute'" 2>/dev/null || echo 0)" = 1 ]; }

if [ "$FORCE" = 1 ] || ! loaded; then
  echo "load-demo: loading the demo site into \"$DB\""
  sql -e "drop database if exists $DB; create database $DB character set gbk"
  sql "$DB" <"$ROOT/demo/schema.sql"
  "$DATAGEN" --load --db "$DB"
  sql "$DB" -e "create table demo_loaded (loaded_at datetime)"
  sql "$DB" -e "insert into demo_loaded values (now())"
else
  echo "load-demo: \"$DB\" already loaded (--force reloads)"
fi
# The client's own account with least privilege (idempotent).
sql "$DB" <"$ROOT/demo/client-account.sql"


if [ "$LARGE" = 1 ]; then
  if large_loaded; then
    echo "load-demo: the large group is already loaded"
  else
    echo "load-demo: loading the large group (525600 rows)"
    "$DATAGEN" --load --db "$DB" --large
  fi
fi
