#!/usr/bin/env bash
# Starts the independent broker (npm package aedes) on loopback:
#   scripts/aedes.sh start PORT   -> pid in .run/aedes/pid, log .run/aedes/log
#   scripts/aedes.sh stop
# The package is installed into .run/aedes on first use (npm registry).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/.run/aedes
user=${QUORVEL_MQTT_USER:-tzmk}
password=${QUORVEL_MQTT_PASSWORD:-qpzr739105}
case "${1:-}" in
start)
  port=${2:?port}
  mkdir -p "$dir"
  if [ ! -d "$dir/node_modules/aedes" ]; then
    (cd "$dir" && npm init -y >/dev/null && npm install --no-audit --no-fund aedes@0 >/dev/null)
  fi
  NODE_PATH=$dir/node_modules nohup node "$root/scripts/aedes/broker.js" "$port" "$user" "$password" >"$dir/log" 2>&1 &
  echo $! >"$dir/pid"
  for _ in $(seq 50); do
    grep -q listening "$dir/log" 2>/dev/null && exit 0
    sleep 0.1
  done
  echo "aedes did not start" >&2; cat "$dir/log" >&2; exit 1
  ;;
stop)
  [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null || true
  rm -f "$dir/pid"
  ;;
*) echo "usage: $0 start PORT | stop" >&2; exit 2 ;;
esac
