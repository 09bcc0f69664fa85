#!/usr/bin/env bash
# Installs every Debian package the build, the demo and the tests need.
# Only what is missing is installed; quiet when everything is there.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git
  libwxgtk3.2-dev
  libsoci-dev libsoci-mysql4.0 libmariadb-dev libboost-dev
  mariadb-server mariadb-client
  liblog4cxx-dev
  libpugixml-dev
  libmosquitto-dev mosquitto mosquitto-clients
  libgsf-1-dev libfreexl-dev
  uuid-dev
  xvfb xauth trayer xdotool imagemagick x11-utils
  fonts-wqy-zenhei
  googletest libgtest-dev libgmock-dev libbenchmark-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# The distribution starts its own broker and database on install; ours are private.
for svc in mosquitto mariadb; do
  if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet "$svc" 2>/dev/null; then
    $SUDO systemctl stop "$svc" || true
  fi
done
