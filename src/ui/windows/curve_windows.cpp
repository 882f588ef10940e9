#include "windows/curve_windows.h"

#include "windows/aavso_dialog.h"
#include "windows/alcdef_dialog.h"
#include "windows/cdr_dialog.h"
#include "windows/data_window.h"
#include "windows/graph_settings_window.h"
#include "windows/light_curve_window.h"
#include "windows/rename_window.h"

namespace lumenda::ui {

void ConnectCurveWindows(const CurveWindows& w) {
  w.grafico->SetWindows(w.confG, w.datos, w.aavso, w.ast, w.cdr);
  w.confG->SetRenameWindow(w.cambiaVar);
}

CurveWindows CreateCurveWindows(Session& session, QWidget* parent) {
  CurveWindows w;
  w.grafico = new LightCurveWindow(session, parent);
  w.datos = new DataWindow(session, parent);
  w.confG = new GraphSettingsWindow(session, parent);
  w.cambiaVar = new RenameWindow(session, parent);
  w.aavso = new AavsoDialog(session, parent);
  w.ast = new AlcdefDialog(session, parent);
  w.cdr = new CdrDialog(session, parent);
  ConnectCurveWindows(w);
  return w;
}

}  // namespace lumenda::ui
