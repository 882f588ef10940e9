#!/bin/sh
# `make run`: writes the simulated sample night into muestra/ at the top of the
# repository. With a display it opens the desktop program, its image-list
# chooser starting in muestra/; without one it runs the night through the
# command line and says how to open the desktop.
# Usage: scripts/run-sample.sh BUILD_DIR
set -u

BUILD=${1:-build}
case "$BUILD" in
  /*) ;;
  *) BUILD="$(pwd)/$BUILD" ;;
esac
ROOT=$(cd "$(dirname "$0")/.." && pwd)
CLI="$BUILD/src/cli/lumenda-cli"
GUI="$BUILD/src/ui/lumenda"

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

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$GUI" ]; then
  echo
  echo "== Lumenda (escritorio)"
  echo "Pulsa \"Lista de imágenes\": el selector se abre en muestra/. Sitio de la muestra:"
  echo "latitud 40 24 00 N, longitud 003 41 00 W. Las estrellas marcadas están en"
  echo "muestra/estrellas.txt (\"Recupera posiciones...\" en la ventana de la imagen)."
  exec "$GUI" --imagenes "$ROOT/muestra"
fi

# The whole night through the photometry run: the sample's star file marks
# the two variables, the check star and the three comparison stars.
echo
echo "== lumenda-cli proceso (noche de muestra)"
RESULTS="$ROOT/muestra/instrumental.txt"
if "$CLI" proceso --estrellas muestra/estrellas.txt --lat "40 24 00 N" --lon "003 41 00 W" \
    --res 2 --salida "$RESULTS" muestra 2>muestra/proceso.log >muestra/linealidad.txt; then
  sed -n '/^Finalizado/,$p' muestra/proceso.log
  echo
  echo "Primeras filas de la fotometría diferencial:"
  "$CLI" tabla "$RESULTS" --tipo diferencia | head -5 | cut -c1-100
  echo "Tablas: lumenda-cli tabla $RESULTS --tipo diferencia|absoluta|flujos|posibles"
else
  echo "El proceso ha fallado:" >&2
  tail -8 muestra/proceso.log >&2
  exit 1
fi

# The reports of the night's bright variable, ECLIPSANTE, against the check
# star, as the "Informe" page writes them (the comparison stars are named by
# their catalogue magnitudes, so absolute photometry is available).
echo
echo "== lumenda-cli informe (ECLIPSANTE)"
REPORT_ARGS="--modo absoluta --var1 ECLIPSANTE --var2 CHK_11.20"
if "$CLI" informe "$RESULTS" --formato texto $REPORT_ARGS --escala hjd \
    >muestra/informe.txt 2>muestra/informe.log &&
  "$CLI" informe "$RESULTS" --formato aavso $REPORT_ARGS --obscode DEMO --chart DEMO \
    --filtro V >muestra/informe_aavso.txt 2>>muestra/informe.log; then
  head -14 muestra/informe.txt
  echo "..."
  echo
  head -9 muestra/informe_aavso.txt
  echo "..."
  echo "Informes: muestra/informe.txt y muestra/informe_aavso.txt"
else
  echo "El informe ha fallado:" >&2
  cat muestra/informe.log >&2
  exit 1
fi
echo
echo "Sin pantalla no se abre el programa de escritorio. Con una pantalla:"
echo "  $GUI --imagenes $ROOT/muestra"
exit 0
