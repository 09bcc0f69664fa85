#!/usr/bin/env bash
# Builds every third-party library the Windows program needs, for 64-bit
# Windows with MinGW-w64, from Debian's own source packages, into
# .windows/prefix. Each library is built once (a stamp marks it done); a later
# run reuses the prefix and only builds what is missing.
#
#   scripts/windows-deps.sh            # all libraries
#   scripts/windows-deps.sh gtest wx   # only these (and nothing they need)
#
# Environment: QUORVEL_WINDOWS_DIR (default <tree>/.windows), JOBS (default 2).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
TOP=${QUORVEL_WINDOWS_DIR:-$ROOT/.windows}
PREFIX=$TOP/prefix
SRC=$TOP/src
BLD=$TOP/build
APT=$TOP/apt
STAMPS=$PREFIX/.stamps
JOBS=${JOBS:-2}
HOST=x86_64-w64-mingw32
TOOLCHAIN=$ROOT/cmake/mingw-w64.cmake
mkdir -p "$PREFIX" "$SRC" "$BLD" "$STAMPS" "$APT"
export QUORVEL_WINDOWS_PREFIX=$PREFIX
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work} CCACHE_DIR=${CCACHE_DIR:-/work/.ccache}

log() { printf '[windows-deps %(%H:%M:%S)T] %s\n' -1 "$*"; }

need_tools() {
  local missing=()
  for t in $HOST-gcc-posix $HOST-g++-posix cmake ninja dpkg-source make makensis zip; do
    command -v "$t" >/dev/null || missing+=("$t")
  done
  if ((${#missing[@]})); then
    log "installing the cross compiler and tools (missing: ${missing[*]})"
    apt-get install -y --no-install-recommends g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
      cmake ninja-build dpkg-dev make nsis zip
  fi
}

# apt options: the system's lists when they carry deb-src entries, otherwise
# a private sources file and lists folder of our own (the system is untouched).
APT_OPTS=()
setup_apt() {
  if grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ \
     && apt-cache showsrc pugixml >/dev/null 2>&1 && [ -n "$(apt-cache showsrc pugixml 2>/dev/null)" ]; then
    return
  fi
  log "no deb-src entry on this machine: using a private source list in $APT"
  cat > "$APT/sources.list" <<'LIST'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
LIST
  mkdir -p "$APT/lists/partial" "$APT/cache/archives/partial"
  APT_OPTS=(-o "Dir::Etc::SourceList=$APT/sources.list" -o Dir::Etc::SourceParts=/dev/null
            -o "Dir::State::Lists=$APT/lists" -o "Dir::Cache=$APT/cache")
  [ -e "$APT/lists/.updated" ] || { apt-get "${APT_OPTS[@]}" update && touch "$APT/lists/.updated"; }
}

# download PKG DIR: the newest version of PKG's source whose files the
# archive still serves (a security update can be listed before its files
# reach the mirror).
download() {
  local pkg=$1 dir=$2 v
  for v in $(apt-cache "${APT_OPTS[@]}" showsrc "$pkg" | sed -n 's/^Version: //p' | sort -rV | uniq); do
    rm -f "$dir"/*
    if (cd "$dir" && apt-get "${APT_OPTS[@]}" source --download-only "$pkg=$v"); then
      return 0
    fi
    log "$pkg $v could not be fetched; trying an older version"
  done
  return 1
}

# fetch PKG: unpacks Debian's source package PKG (patches applied) under
# $SRC/PKG and prints that folder.
fetch() {
  local pkg=$1 dir=$SRC/$1
  if [ ! -e "$dir/.unpacked" ]; then
    rm -rf "$dir"; mkdir -p "$dir"
    download "$pkg" "$dir" >&2
    (cd "$dir" && dpkg-source --no-check -x ./*.dsc tree >&2)
    touch "$dir/.unpacked"
  fi
  echo "$dir/tree"
}

done_already() { [ -e "$STAMPS/$1" ]; }
mark_done() { touch "$STAMPS/$1"; log "$1 done"; }

cmake_dep() { # name source-dir cmake-args...
  local name=$1 src=$2; shift 2
  rm -rf "$BLD/$name"
  nice -n 19 cmake -S "$src" -B "$BLD/$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@"
  nice -n 19 cmake --build "$BLD/$name" -j"$JOBS"
  cmake --install "$BLD/$name"
}

build_gtest() {
  local s; s=$(fetch googletest)
  cmake_dep gtest "$s" -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
}

build_pugixml() {
  local s; s=$(fetch pugixml)
  cmake_dep pugixml "$s" -DBUILD_SHARED_LIBS=ON -DPUGIXML_BUILD_TESTS=OFF
}

build_openssl() {
  local s; s=$(fetch openssl)
  rm -rf "$BLD/openssl"; cp -a "$s" "$BLD/openssl"
  (cd "$BLD/openssl" &&
   nice -n 19 ./Configure mingw64 shared no-tests --cross-compile-prefix=$HOST- \
     CC=gcc-posix CXX=g++-posix --prefix="$PREFIX" --libdir=lib &&
   nice -n 19 make -j"$JOBS" build_sw && make install_sw)
}

build_mosquitto() {
  local s; s=$(fetch mosquitto)
  # MinGW's winpthreads gives the library its network thread; the build
  # otherwise points Windows at a prebuilt pthreads folder.
  sed -i -e 's|C:\\\\pthreads\\\\Pre-built.2\\\\lib\\\\x64\\\\pthreadVC2.lib|pthread|' \
         -e 's|C:\\\\pthreads\\\\Pre-built.2\\\\lib\\\\x86\\\\pthreadVC2.lib|pthread|' \
         -e 's|C:\\\\pthreads\\\\Pre-built.2\\\\include||' "$s/CMakeLists.txt"
  cmake_dep mosquitto "$s" -DWITH_TLS=ON -DOPENSSL_ROOT_DIR="$PREFIX" -DWITH_THREADING=ON \
    -DWITH_BROKER=OFF -DWITH_APPS=OFF -DWITH_CLIENTS=OFF -DWITH_PLUGINS=OFF -DDOCUMENTATION=OFF \
    -DWITH_CJSON=OFF -DWITH_STATIC_LIBRARIES=OFF -DWITH_LIB_CPP=OFF -DWITH_SRV=OFF
  # Its install rules leave the import library out on Windows.
  cp "$BLD/mosquitto/lib/libmosquitto.dll.a" "$PREFIX/lib/"
}

build_mariadb() {
  # Connector/C is the libmariadb folder of Debian's mariadb source package;
  # only that folder is unpacked. TLS through Windows' own Schannel: no
  # OpenSSL needed by the database link.
  local dir=$SRC/mariadb
  if [ ! -e "$dir/.unpacked" ]; then
    rm -rf "$dir"; mkdir -p "$dir"
    download mariadb "$dir"
    (cd "$dir" && tar -xf "$(ls mariadb_*.orig.tar.* | grep -v '\.asc$')" --wildcards '*/libmariadb/*' &&
     mv mariadb-*/libmariadb tree)
    touch "$dir/.unpacked"
  fi
  cmake_dep mariadb "$dir/tree" -DWITH_SSL=SCHANNEL -DWITH_UNIT_TESTS=OFF -DWITH_CURL=OFF \
    -DWITH_EXTERNAL_ZLIB=OFF -DCLIENT_PLUGIN_DIALOG=STATIC -DCLIENT_PLUGIN_SHA256_PASSWORD=STATIC \
    -DCLIENT_PLUGIN_CACHING_SHA2_PASSWORD=STATIC -DCLIENT_PLUGIN_CLIENT_ED25519=STATIC \
    -DCLIENT_PLUGIN_MYSQL_CLEAR_PASSWORD=STATIC -DCLIENT_PLUGIN_AUTH_GSSAPI_CLIENT=OFF \
    -DCLIENT_PLUGIN_REMOTE_IO=OFF
  # MinGW names the import library liblibmariadb.dll.a; give it the usual
  # name, and a pkg-config file as Debian's libmariadb-dev has.
  cp "$PREFIX/lib/mariadb/liblibmariadb.dll.a" "$PREFIX/lib/libmariadb.dll.a"
  cp "$PREFIX/lib/mariadb/libmariadb.dll" "$PREFIX/bin/" 2>/dev/null || { mkdir -p "$PREFIX/bin"; cp "$PREFIX/lib/mariadb/libmariadb.dll" "$PREFIX/bin/"; }
  cat > "$PREFIX/lib/pkgconfig/libmariadb.pc" <<PC
prefix=$PREFIX
Name: libmariadb
Description: MariaDB Connector/C (Windows, Schannel)
Version: 3.3
Cflags: -I\${prefix}/include/mariadb
Libs: -L\${prefix}/lib -lmariadb
PC
}

build_soci() {
  local s; s=$(fetch soci)
  cmake_dep soci "$s" -DSOCI_CXX11=ON -DSOCI_TESTS=OFF -DSOCI_STATIC=OFF -DSOCI_SHARED=ON -DWITH_BOOST=OFF \
    -DWITH_MYSQL=ON -DWITH_SQLITE3=OFF -DWITH_POSTGRESQL=OFF -DWITH_ODBC=OFF -DWITH_ORACLE=OFF \
    -DWITH_FIREBIRD=OFF -DWITH_DB2=OFF -DSOCI_EMPTY=OFF \
    -DMYSQL_INCLUDE_DIR="$PREFIX/include/mariadb" -DMYSQL_LIBRARIES="$PREFIX/lib/libmariadb.dll.a"
}

build_wx() {
  local s; s=$(fetch wxwidgets3.2)
  rm -rf "$BLD/wx"; mkdir -p "$BLD/wx"
  # The MSW port with what the program uses (core, base, adv). Debian's
  # source carries no bundled image or compression libraries; the program
  # loads BMP and XPM only, which need none of them. The debug report
  # (which needs the XML library, left out with expat) is not used.
  (cd "$BLD/wx" &&
   nice -n 19 "$s/configure" --host=$HOST --build=x86_64-linux-gnu --prefix="$PREFIX" \
     CC="ccache $HOST-gcc-posix" CXX="ccache $HOST-g++-posix" \
     --with-msw --enable-shared --enable-unicode --disable-debug_flag --disable-precomp-headers \
     --without-zlib --without-libpng --without-libjpeg --without-expat \
     --with-regex=builtin --without-libtiff --without-opengl --without-libcurl \
     --disable-webview --disable-mediactrl --disable-stc --disable-ribbon --disable-propgrid \
     --disable-richtext --disable-aui --disable-xrc --disable-html --disable-webrequest \
     --disable-svg --disable-sound --disable-debugreport --disable-compat30 --disable-tests &&
   nice -n 19 make -j"$JOBS" && make install)
}

# No log4cxx (nor its APR, APR-util and expat): Pellorn writes through its
# own file back end on Windows (see docs/WINDOWS.md).
ALL=(gtest pugixml openssl mosquitto mariadb soci wx)
need_tools
setup_apt
want=("$@"); ((${#want[@]})) || want=("${ALL[@]}")
failed=()
for dep in "${want[@]}"; do
  if done_already "$dep"; then log "$dep: already in $PREFIX"; continue; fi
  # Another run building the same library would clear its build folder
  # under it: one builder per library at a time.
  exec {lockfd}>"$TOP/$dep.lock"
  if ! flock -n "$lockfd"; then
    log "$dep: another run is building it; skipped here"; failed+=("$dep"); exec {lockfd}>&-; continue
  fi
  log "$dep: building"
  start=$SECONDS
  if ( set -e; "build_$dep" ) > "$TOP/$dep.log" 2>&1; then
    mark_done "$dep"; log "$dep: $((SECONDS - start)) s"
  else
    log "$dep FAILED after $((SECONDS - start)) s (see $TOP/$dep.log)"; failed+=("$dep")
  fi
  exec {lockfd}>&-
done
if ((${#failed[@]})); then log "failed: ${failed[*]}"; exit 1; fi
log "prefix ready: $PREFIX"
