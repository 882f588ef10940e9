// The long-lived secondary windows the main window opens, set by the Desktop
// as it creates them (in the order of creation).
#pragma once

namespace lumenda::ui {

class StarSelectionDialog;
class CoordinatesWindow;
class ControlWindow;
class SettingsDialog;
class LightCurveWindow;
class PeriodWindow;
class PeriodRangeDialog;
class EphemerisWindow;
class PeriodReportWindow;

struct DesktopWindows {
  StarSelectionDialog* selection = nullptr;    // TFSel
  CoordinatesWindow* coordinates = nullptr;    // TFCoord
  ControlWindow* control = nullptr;            // TFControl
  PeriodWindow* period = nullptr;              // TFAnaPer
  PeriodRangeDialog* periodRange = nullptr;    // TFDatoPer
  EphemerisWindow* ephemeris = nullptr;        // TFCalcEfe
  SettingsDialog* settings = nullptr;          // TFConf
  PeriodReportWindow* periodReport = nullptr;  // TFInfoPeri
  LightCurveWindow* graphs = nullptr;          // TFGrafico (and, through it, its dialogs)
};

}  // namespace lumenda::ui
