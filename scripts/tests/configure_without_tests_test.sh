#!/usr/bin/env bash
# A build without tests (the package build) must configure on a machine that
# lacks what only the tests use: SQLite (a test back end of the database
# interface) and GoogleTest are hidden from CMake here.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if ! cmake -S "$ROOT" -B "$tmp" "${generator[@]}" -DQUORVEL_BUILD_TESTS=OFF \
     -DCMAKE_DISABLE_FIND_PACKAGE_SQLite3=ON -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON >"$tmp/configure.log" 2>&1; then
  cat "$tmp/configure.log"
  echo "FAIL: configuring with QUORVEL_BUILD_TESTS=OFF needs a test-only package" >&2
  exit 1
fi
grep -q "tessaly_database_test" "$tmp/build.ninja" "$tmp/Makefile" 2>/dev/null &&
  { echo "FAIL: a test target is configured although tests are off" >&2; exit 1; }
echo "configured without tests, SQLite and GoogleTest"
