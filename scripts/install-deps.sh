#!/bin/sh
# Installs what Lumenda needs to build, test and benchmark, from Debian's
# packages only. Safe to run again: it installs only what is missing.
set -eu
PKGS="locales cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libjpeg-dev libgif-dev clang-format
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n xvfb xauth fonts-dejavu-core"
if [ "${LUMENDA_BENCH_DEPS:-0}" = "1" ]; then
  PKGS="$PKGS libcfitsio-dev source-extractor"
fi
# A comma-decimal locale lets the tests prove that numbers never follow the locale.
ensure_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^es_ES\.utf-\?8$'; then
    if [ "$(id -u)" = "0" ]; then localedef -i es_ES -f UTF-8 es_ES.UTF-8 2>/dev/null || true
    elif command -v sudo >/dev/null; then sudo localedef -i es_ES -f UTF-8 es_ES.UTF-8 2>/dev/null || true; fi
  fi
}
missing=""
for p in $PKGS; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
if [ -z "$missing" ]; then ensure_locale; exit 0; fi
if [ "$(id -u)" = "0" ]; then SUDO=""; else SUDO="sudo"; fi
echo "Instalando:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
ensure_locale
