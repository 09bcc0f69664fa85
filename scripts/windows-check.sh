#!/usr/bin/env bash
# Checks the Windows build on this Linux machine: builds it (reusing the
# libraries in .windows/prefix), runs every unit test program under Wine and
# reports; starts the private services and runs the MQTT and database tests
# under Wine against them; then drives the program under Wine and Xvfb
# (scripts/windows-drive.sh).
# Not part of scripts/test.sh: it needs the cross compiler, Wine and the
# Windows libraries.
#   scripts/windows-check.sh [--no-build]
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
TOP=${QUORVEL_WINDOWS_DIR:-$ROOT/.windows}
BUILD=${QUORVEL_WINDOWS_BUILD:-$ROOT/build-win}
log() { printf '[windows-check %(%H:%M:%S)T] %s\n' -1 "$*"; }

command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ] || apt-get install -y --no-install-recommends wine64
if [ "${1:-}" != --no-build ]; then
  bash "$ROOT/scripts/windows-build.sh" || { log "build failed"; exit 1; }
fi

# A Wine prefix of our own; programs find our DLLs and the libraries' DLLs
# through WINEPATH as an installed copy finds them beside itself.
export WINEPREFIX=$TOP/wine WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="$BUILD/bin;$TOP/prefix/bin"
# Test cases of the shared suites that hold a Linux fact (32-bit wchar_t
# code points, loading a .so, the program's path from /proc) rather than a
# behaviour of ours. (The program finding config/ beside itself is what
# windows-drive.sh checks.)
export GTEST_FILTER=${GTEST_FILTER:--Utf8Test.*:SharedLibraryTest.*:ModuleDir.IsTheRunningProgramsFolder}

# The spreadsheet test writes its workbooks here for the reader below.
export QUORVEL_XLS_OUT=$BUILD/xls-out
rm -rf "$QUORVEL_XLS_OUT"; mkdir -p "$QUORVEL_XLS_OUT"

start=$SECONDS
# (configure_without_tests_test checks the Linux configuration: not ours here.)
ctest --test-dir "$BUILD" -L unit -E configure_without_tests_test --output-on-failure --timeout 600 > "$TOP/unit-tests.log" 2>&1
unit=$?
grep -E 'tests passed|Test +#|\*\*\*' "$TOP/unit-tests.log" | sed 's/^/  /'
log "unit tests under Wine: $( ((unit == 0)) && echo passed || echo FAILED) in $((SECONDS - start)) s (log: $TOP/unit-tests.log)"

status=$unit

# Services someone else started here stay up; ours stop at the end.
started_here=1
[ -e "$ROOT/.run/services.env" ] && started_here=0
bash "$ROOT/scripts/services.sh" start >/dev/null
set -a; . "$ROOT/.run/services.env"; set +a

# The MQTT library and the database link against the private broker and
# MariaDB (plain and TLS) on loopback, under Wine.
if ls "$BUILD"/tests/quillet_win32_*.exe "$BUILD"/tests/client_db_win32_*.exe >/dev/null 2>&1; then
  for label in mqtt db; do
    start=$SECONDS
    ctest --test-dir "$BUILD" -L "$label" -E services_test --output-on-failure --timeout 600 \
      > "$TOP/$label-tests.log" 2>&1
    rc=$?
    grep -E 'tests passed|No tests were found|Test +#|\*\*\*' "$TOP/$label-tests.log" | sed 's/^/  /'
    log "$label tests under Wine against the private services: $( ((rc == 0)) && echo passed || echo FAILED) in $((SECONDS - start)) s"
    ((rc == 0)) || status=1
  done
fi

# The workbooks written under Wine, read back here by freexl, an
# independent reader of the format.
if [ -e "$QUORVEL_XLS_OUT/small.xls" ]; then
  if g++ -std=c++20 -O1 -I"$ROOT/xl/tests/support" -o "$BUILD/xls_read_back_check" \
       "$ROOT/xl/tests/win32/read_back_check.cpp" "$ROOT/xl/tests/support/XlsReadBack.cpp" -lfreexl \
     && "$BUILD/xls_read_back_check" "$QUORVEL_XLS_OUT"; then
    log "workbooks written under Wine: freexl reads every cell back"
  else
    log "workbooks written under Wine: freexl read-back FAILED"; status=1
  fi
else
  log "no workbooks written under Wine (xl not built?)"; status=1
fi
if [ -e "$BUILD/bin/Quorvel_Client.exe" ]; then
  # The packaged program as an operator uses it, under Wine and Xvfb.
  start=$SECONDS
  bash "$ROOT/scripts/windows-drive.sh" > "$TOP/drive.log" 2>&1
  rc=$?
  grep -E 'installed by|toolbar:|lamp pixels|exported:|workbook:|ended with|uninstalled|FAILED' "$TOP/drive.log" | sed 's/^/  /'
  log "the program under Wine (login, lamps, history, export, exit): $( ((rc == 0)) && echo passed || echo FAILED) in $((SECONDS - start)) s; shots in $TOP/shots"
  ((rc == 0)) || status=1
else
  log "Quorvel_Client.exe is not part of this build (its libraries are missing): no program run"
  log "INCOMPLETE: what was built passed; the program itself was not checked"
  ((status == 0)) && status=3
fi
((started_here)) && bash "$ROOT/scripts/services.sh" stop >/dev/null
"${WINESERVER:-/usr/lib/wine/wineserver}" -k 2>/dev/null || true
exit $status
