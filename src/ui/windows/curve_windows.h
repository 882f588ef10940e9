// The windows of the light curves and their reports, which open one another.
#pragma once

#include <QWidget>

#include "session/session.h"

namespace lumenda::ui {

class LightCurveWindow;
class DataWindow;
class GraphSettingsWindow;
class RenameWindow;
class AavsoDialog;
class AlcdefDialog;
class CdrDialog;

struct CurveWindows {
  LightCurveWindow* grafico = nullptr;   // TFGrafico
  DataWindow* datos = nullptr;           // TFDatos
  GraphSettingsWindow* confG = nullptr;  // TFConfG
  RenameWindow* cambiaVar = nullptr;     // TFCambiaVar
  AavsoDialog* aavso = nullptr;          // TFAavso
  AlcdefDialog* ast = nullptr;           // TFAst
  CdrDialog* cdr = nullptr;              // TFCdR
};

// Tells each window the others it opens.
void ConnectCurveWindows(const CurveWindows& windows);

// Creates the seven windows in their order of creation, as children of
// `parent` (they are top-level dialogs), and connects them.
CurveWindows CreateCurveWindows(Session& session, QWidget* parent);

}  // namespace lumenda::ui
