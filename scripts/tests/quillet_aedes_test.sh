#!/usr/bin/env bash
# The quillet client tests against the independent broker (npm package
# aedes), which queues QoS 0 floods without a cap: stop() must still return
# promptly. Installs the package on first use (scripts/aedes.sh).
# Usage: quillet_aedes_test.sh TEST_BINARY
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
binary=${1:?test binary}
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
export QUORVEL_MQTT_HOST=127.0.0.1 QUORVEL_MQTT_PORT=$port
# aedes speaks MQTT 3.1.1 only: the client falls back and gets every message.
export QUORVEL_MQTT_BROKER_V311=1
export QUORVEL_MQTT_USER=${QUORVEL_MQTT_USER:-tzmk} QUORVEL_MQTT_PASSWORD=${QUORVEL_MQTT_PASSWORD:-qpzr739105}
trap 'bash "$here/scripts/aedes.sh" stop' EXIT
# No registry and no installed package: reported as skipped (77), not passed.
if ! bash "$here/scripts/aedes.sh" start "$port"; then
  echo "quillet_aedes_test: the aedes broker could not be installed or started" >&2
  exit 77
fi
"$binary" --gtest_color=no
