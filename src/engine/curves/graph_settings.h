// The graph settings: every choice that shapes the light-curve window, and the
// part of them kept in "grafico.ini".
#pragma once

#include <string>

#include "text/result.h"

namespace lumenda {

enum class PhotometryMode {
  kRelative,      // "Fotometría relativa"
  kAbsolute,      // "Fotometría absoluta"
  kRelativeFlux,  // "Flujo relativo"
  kCounts,        // "Flujos (cuentas)"
};

enum class TimeScale {
  kHjd,       // "HJD_ UTC"
  kGjd,       // "GJD _UTC"
  kBjd,       // "BJD _UTC"
  kMpc,       // "Fecha MPC"
  kDateTime,  // "Fecha - Hora"
};

inline bool IsFluxMode(PhotometryMode mode) {
  return mode == PhotometryMode::kRelativeFlux || mode == PhotometryMode::kCounts;
}
// The modes in which the trend correction and the vertical shifts apply.
inline bool IsRelativeMode(PhotometryMode mode) {
  return mode == PhotometryMode::kRelative || mode == PhotometryMode::kRelativeFlux;
}

inline constexpr int kColourRed = 255;
inline constexpr int kColourNavy = 8388608;
inline constexpr int kColourChartBackground = 15329511;  // RGB(231, 232, 233)

struct GraphSettings {
  // Choices of the "Configuración" page that are not stored in the file.
  int var1 = 0;  // cbVar1: star column
  int var2 = 0;  // cbVar2: 0 = none, k = star column k - 1
  PhotometryMode mode = PhotometryMode::kRelative;
  bool groupByMinutes = false;  // rbMinutos (else rbImagenes)
  int groupImages = 1;          // udImagenes
  int groupMinutes = 2;         // udMinutos
  TimeScale scale = TimeScale::kGjd;
  int xDecimals = 3;                // UpDown3, 0..5
  int xSeparation = 1;              // UpDown4, 1..5
  int yDecimals = 2;                // UpDown1, 1..3
  int ySeparation = 1;              // UpDown2, 1..3
  int margin = 5;                   // upMargen, 5..95 %
  int shift1 = 0;                   // udDesV1, -100..100
  int shift2 = 0;                   // udDesV2
  std::string step1 = "0.01";       // cbV1: "0.1", "0.01", "0.001"
  std::string step2 = "0.01";       // cbV2
  bool errorBars = true;            // cbBarras
  bool movingAverageByDate = true;  // "Fecha" (else "Todo")
  // The two comment lines written on the light-curve chart ("Resumen y
  // comentarios").
  std::string comment1, comment2;
  // Second line colour of the conditions page (drift in Y); "Por defecto"
  // makes it navy again.
  int conditionsLine2Colour = kColourNavy;

  // Stored in "grafico.ini".
  int windowTop = 94;                                 // VPOS
  int windowLeft = 585;                               // HPOS
  int windowHeight = 613;                             // VTAM
  int windowWidth = 776;                              // HTAM
  int backgroundColour = kColourChartBackground;      // CFONDO
  int var1Colour = kColourRed;                        // CV1
  int var1Size = 4;                                   // TV1, 1..10
  int var1Style = 1;                                  // EV1, 0..5
  int var2Colour = kColourNavy;                       // CV2
  int var2Size = 4;                                   // TV2
  int var2Style = 1;                                  // EV3
  int average1Colour = kColourRed;                    // CM1
  int average1Width = 2;                              // TM1, 1..10
  int average1Style = 0;                              // SM1
  bool average1Visible = false;                       // VM1
  int average2Colour = kColourNavy;                   // CM2
  int average2Width = 2;                              // TM2
  int average2Style = 0;                              // SM2
  bool average2Visible = false;                       // VM2
  int averageLength = 3;                              // MMP, 1..20
  int conditionsLineColour = kColourRed;              // CAM
  int conditionsLineWidth = 2;                        // TAM, 1..8
  int conditionsBackground = kColourChartBackground;  // CFO
};

inline constexpr const char* kGraphSettingsFile = "grafico.ini";

// "Guardar preferencias": the 23 lines of "grafico.ini" in their order.
std::string GraphSettingsText(const GraphSettings& settings);
Status SaveGraphSettings(const std::string& appDir, const GraphSettings& settings);

// "Recuperar preferencias". Lines before a value that does not convert stay
// applied; that value's message is returned and the rest is not applied.
Status ApplyGraphSettingsText(std::string_view text, GraphSettings& settings);
Status LoadGraphSettings(const std::string& appDir, GraphSettings& settings);

// "Valores por defecto": colours, point sizes and styles, line widths and styles.
void RestoreDefaultLook(GraphSettings& settings);
// "Por defecto" of the conditions page: lines red and navy, background
// RGB(231, 232, 233), width 2.
void RestoreConditionsLook(GraphSettings& settings);

// Only solid lines may be wider than 1: a dashed style forces width 1, a width
// other than 1 forces the solid style. `line` is 1 or 2.
void SetAverageStyle(GraphSettings& settings, int line, int style);
void SetAverageWidth(GraphSettings& settings, int line, int width);

// Vertical shift of a star's points in the relative modes: step x count.
double ShiftOf(const std::string& step, int count);

}  // namespace lumenda
