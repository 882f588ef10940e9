#!/bin/sh
# `make run`: writes the simulated sample night into muestra/ at the top of the
# repository and shows what the command line reads from its first image.
# Usage: scripts/run-sample.sh BUILD_DIR
set -u

BUILD=${1:-build}
case "$BUILD" in
  /*) ;;
  *) BUILD="$(pwd)/$BUILD" ;;
esac
ROOT=$(cd "$(dirname "$0")/.." && pwd)
CLI="$BUILD/src/cli/lumenda-cli"

if [ ! -x "$CLI" ]; then
  echo "No se encuentra $CLI: compila primero (make build)." >&2
  exit 1
fi

cd "$ROOT" || exit 1
if [ -n "${LUMENDA_DIR:-}" ]; then
  echo "Carpeta de usuario: $LUMENDA_DIR"
else
  echo "Carpeta de usuario: la predeterminada (\$XDG_DATA_HOME/Lumenda o ~/.local/share/Lumenda)"
fi

echo "== Noche de muestra en muestra/"
rm -rf muestra
if ! "$CLI" simular muestra; then
  echo "No se pudo escribir la noche de muestra." >&2
  exit 1
fi

FIRST=muestra/muestra_001.fit
echo
echo "== lumenda-cli info $FIRST"
"$CLI" info "$FIRST" || echo "(la orden info ha fallado o no está disponible)"
echo
echo "== lumenda-cli estrellas $FIRST"
"$CLI" estrellas "$FIRST" || echo "(la orden estrellas ha fallado o no está disponible)"
echo
echo "Hecho: $(ls muestra/*.fit | wc -l) imágenes, muestra/estrellas.txt y muestra/verdad.txt."
exit 0
