#!/usr/bin/env bash
# Configures and builds the Windows version (MinGW-w64 cross build) in
# build-win/ and packs it: a zip and an NSIS installer under .windows/dist.
#
# The parts built are those whose libraries scripts/windows-deps.sh has
# placed in .windows/prefix; what is left out is said at the end.
#   scripts/windows-build.sh [--no-deps]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
TOP=${QUORVEL_WINDOWS_DIR:-$ROOT/.windows}
PREFIX=$TOP/prefix
BUILD=${QUORVEL_WINDOWS_BUILD:-$ROOT/build-win}
DIST=$TOP/dist
STAGE=$TOP/stage/Quorvel
JOBS=${JOBS:-2}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work} CCACHE_DIR=${CCACHE_DIR:-/work/.ccache}
log() { printf '[windows-build %(%H:%M:%S)T] %s\n' -1 "$*"; }

if [ "${1:-}" != --no-deps ]; then
  # Missing libraries only narrow the build; the parts that have theirs go on.
  bash "$ROOT/scripts/windows-deps.sh" || log "some libraries are missing (see above)"
fi
have() { [ -e "$PREFIX/.stamps/$1" ]; }

# xl writes its container and Pellorn its log files with our own code on
# Windows: no library needed.
parts=(tessaly xl logging)
missing=()
have pugixml && parts+=(xml) || missing+=("xml (pugixml)")
have wx && parts+=(tray plot) || missing+=("tray, plot (wxWidgets)")
if have mosquitto && have openssl; then parts+=(quillet); else missing+=("quillet (mosquitto, OpenSSL)"); fi
# The program needs every library above plus soci and Connector/C.
if have wx && have mosquitto && have soci && have mariadb; then
  parts+=(client)
else
  missing+=("client (needs all of the above, soci and Connector/C)")
fi
PARTS=$(IFS=';'; echo "${parts[*]}")
log "building: ${parts[*]}"

start=$SECONDS
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
  -DQUORVEL_WINDOWS_PREFIX="$PREFIX" -DQUORVEL_PARTS="$PARTS" -DQUORVEL_BUILD_BENCH=OFF \
  -DTESSALY_TEST_NAMESPACES="win32;concurrent;text;utils;value" >/dev/null
nice -n 19 cmake --build "$BUILD" -j"$JOBS"
log "build: $((SECONDS - start)) s"

# Stage: our DLLs and programs, the runtime and library DLLs, config/ and
# the log configuration, as the installed folder holds them.
rm -rf "$STAGE"; mkdir -p "$STAGE/config" "$DIST"
cp "$BUILD"/bin/*.dll "$STAGE/"
ls "$BUILD"/bin/*.exe >/dev/null 2>&1 && cp "$BUILD"/bin/*.exe "$STAGE/"
find "$PREFIX/bin" "$PREFIX/lib" -maxdepth 1 -name '*.dll' -exec cp {} "$STAGE/" \; 2>/dev/null || true
RES=$ROOT/client/res
cp "$RES/config/UIConfig.xml" "$RES/config/WorkParam.xml" "$STAGE/config/"
cp -r "$RES/toolbar" "$STAGE/config/toolbar"
cp "$RES/ApplicationLog.conf" "$RES/LogFilter.conf" "$STAGE/"

VERSION=$(sed -n 's/^project(Quorvel VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
ZIP=$DIST/Quorvel-$VERSION-win64.zip
rm -f "$ZIP"
(cd "$TOP/stage" && zip -qr "$ZIP" Quorvel)
log "zip: $ZIP ($(du -h "$ZIP" | cut -f1))"

if command -v makensis >/dev/null; then
  SETUP=$DIST/Quorvel-$VERSION-win64-setup.exe
  if [ -e "$STAGE/Quorvel_Client.exe" ]; then
    SHORTCUT='CreateShortcut "$SMPROGRAMS\\Quorvel\\Quorvel.lnk" "$INSTDIR\\Quorvel_Client.exe" "" "$INSTDIR\\Quorvel_Client.exe" 0'
  else
    SHORTCUT='; no program in this build: only the folder entry'
  fi
  sed -e "s|@VERSION@|$VERSION|" -e "s|@OUTFILE@|$SETUP|" -e "s|@STAGE@|$STAGE|" \
      -e "s|@SHORTCUT@|$SHORTCUT|" "$ROOT/cmake/windows/Quorvel.nsi.in" > "$TOP/Quorvel.nsi"
  makensis -V2 "$TOP/Quorvel.nsi"
  log "installer: $SETUP ($(du -h "$SETUP" | cut -f1))"
fi
if ((${#missing[@]})); then
  log "not in this build:"; printf '  - %s\n' "${missing[@]}"
fi
