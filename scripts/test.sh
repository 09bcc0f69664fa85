#!/usr/bin/env bash
# The whole check on a fresh Debian 12 machine: install what is missing,
# configure and build, start the private services, run every test (window
# tests under Xvfb with a tray host), stop the services, exit with the result.
#   scripts/test.sh [ctest arguments...]     e.g. scripts/test.sh -L db
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
BUILD=${QUORVEL_BUILD_DIR:-$ROOT/build}
JOBS=${QUORVEL_JOBS:-$(nproc)}

bash scripts/install-deps.sh || { echo "test.sh: installing dependencies failed" >&2; exit 1; }

mkdir -p "$BUILD"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >"$BUILD/configure.log" 2>&1 ||
  { cat "$BUILD/configure.log"; echo "test.sh: configure failed" >&2; exit 1; }
cmake --build "$BUILD" -j"$JOBS" || { echo "test.sh: build failed" >&2; exit 1; }

# Services: start them unless they already run; stop only what we started.
started_services=0
if ! bash scripts/services.sh status | grep -q 'MariaDB: running' ||
   ! bash scripts/services.sh status | grep -q 'mosquitto: running'; then
  bash scripts/services.sh start || { echo "test.sh: services did not start" >&2; exit 1; }
  started_services=1
else
  bash scripts/services.sh start >/dev/null # rewrites services.env
fi
cleanup() { [ "$started_services" = 1 ] && bash "$ROOT/scripts/services.sh" stop; }
trap cleanup EXIT

set -a
. "$ROOT/.run/services.env"
set +a

mkdir -p "$BUILD/tests/artifacts"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  trayer --edge top --align right --widthtype pixel --width 200 \
         --heighttype pixel --height 30 >/dev/null 2>&1 &
  tray=$!
  sleep 1
  ctest --test-dir "$0" --output-on-failure --timeout 600 -j2 "${@}"
  rc=$?
  kill $tray 2>/dev/null
  exit $rc
' "$BUILD" "$@"
rc=$?
echo "test.sh: ctest finished with exit code $rc (screenshots in $BUILD/tests/artifacts)"
exit $rc
