#!/usr/bin/env bash
# Adds the ten-year benchmark group to the demo database: the one-year group
# of 1-minute rows (demo/load-demo.sh --large) copied nine times, each copy
# 525 600 minutes earlier, into data_dev03_minute10y (5 256 000 rows x 8
# items), with its own group and items on the same device. The copies are
# made inside the server (INSERT ... SELECT), so nothing crosses the wire.
#   bench/history_view/load-ten-years.sh        (after demo/load-demo.sh --large)
# Prints how long the load took.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
DB=${QUORVEL_BENCH_DB:-quor}
if [ -z "${QUORVEL_DB_PORT:-}" ]; then
  set -a; . "$ROOT/.run/services.env"; set +a
fi
sql() { mariadb --no-defaults -h "$QUORVEL_DB_HOST" -P "$QUORVEL_DB_PORT" -u "$QUORVEL_DB_USER" -p"$QUORVEL_DB_PASSWORD" "$DB" "$@"; }

if [ "$(sql -N -e "select count(*) from em_device_group where c4='data_dev03_minute10y'")" = 1 ]; then
  echo "load-ten-years: already loaded"
  exit 0
fi
[ "$(sql -N -e "select count(*) from em_device_group where c4='data_dev03_minute'")" = 1 ] \
  || { echo "load-ten-years: run demo/load-demo.sh --large first" >&2; exit 1; }

start=$(date +%s.%N)
sql -e "drop table if exists data_dev03_minute10y; create table data_dev03_minute10y like data_dev03_minute"
for k in 0 1 2 3 4 5 6 7 8 9; do
  sql -e "set session unique_checks=0;
          insert into data_dev03_minute10y select DataTime - interval $((k * 525600)) minute,
            air_temp, humidity, pressure, wind_speed, gust, rain, illuminance, soil_temp from data_dev03_minute"
  echo "load-ten-years: copy $((k + 1))/10 done"
done
# The group and its items last: a half-made table is never offered.
sql -e "insert into em_device_group (id, group_name, collect_no, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, device)
          select concat(id, '-10y'), replace(group_name, '一年', '十年'), collect_no, b0, b1, b2, b3 + 1, b4, c0, c1, c2, c3,
                 'data_dev03_minute10y', device
          from em_device_group where c4 = 'data_dev03_minute';
        insert into em_device_group_item (id, data_item, group_id, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, data_type)
          select concat(i.id, '-10y'), i.data_item, concat(i.group_id, '-10y'), i.b0, i.b1, i.b2, i.b3, i.b4,
                 i.c0, i.c1, i.c2, i.c3, i.c4, i.data_type
          from em_device_group_item i join em_device_group g on g.id = i.group_id
          where g.c4 = 'data_dev03_minute'"
end=$(date +%s.%N)
rows=$(sql -N -e "select count(*) from data_dev03_minute10y")
echo "load-ten-years: $rows rows in $(echo "$end - $start" | bc) s"
