#!/bin/sh
# Installs what Lumenda needs to build, test and benchmark, from Debian's
# packages only. Safe to run again: it installs only what is missing.
set -eu
PKGS="cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libjpeg-dev libgif-dev clang-format"
if [ "${LUMENDA_BENCH_DEPS:-0}" = "1" ]; then
  PKGS="$PKGS libcfitsio-dev"
fi
missing=""
for p in $PKGS; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" = "0" ]; then SUDO=""; else SUDO="sudo"; fi
echo "Instalando:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
