// Every fixed-column format of the photometry results, declared once.
//
// The results file ("instrumental.txt"), the tables built from it
// (tInstrumental, tDiferencia, tAbsoluta, tFlujos, tPosiblesVariables), the
// sky positions (lVarRADec) and the star lists are all plain text read back
// by 1-based character position. Readers and writers both use these columns.
#pragma once

#include <string>
#include <string_view>

#include "text/fixed_columns.h"

namespace lumenda::results {

// ---------------------------------------------------------------------------
// Results file ("instrumental.txt") and tInstrumental / tPosiblesVariables.
//
//   line 1      field RA text "hh mm ss.s"          (10 characters)
//   line 2      field Dec text "+dd mm ss"          (9 characters)
//   lines 3..   one per comparison star: its name (characters 19-48 of the
//               star-list entry)
//   ""          empty line
//   ">>> " + RA text + "  " + Dec text   per variable star (plate solution)
//   ""          empty line
//   header      kFileHeaderStart + each name right-aligned in 20
//   separator   kFileSeparatorStart + kFileSeparatorStar per star
//   rows        one per image (below)
// ---------------------------------------------------------------------------

inline constexpr char kInstrumentalFileName[] = "instrumental.txt";

inline constexpr char kFileHeaderStart[] = " NUM       FECHA MPC    COMPARA";
inline constexpr char kFileSeparatorStart[] = "----  --------------  ---------";
inline constexpr char kFileSeparatorStar[] = "  ------------------";
inline constexpr char kSkyPositionPrefix[] = ">>> ";

// Star columns are 20 characters wide in every results table.
inline constexpr int kStarWidth = 20;
// Star names (header, lbNomVar) are 18 characters at most.
inline constexpr int kNameWidth = 18;
// Row numbers are written "0000": a row 10000 would not fit.
inline constexpr int kMaxRows = 10000;

// Data row of the results file:
//   NUM "0000" (1-4), two blanks, FECHA MPC (7-20), two blanks, COMPARA
//   right-aligned in 9 (23-31), then per star k: two blanks, counts F
//   right-aligned in 9, one blank, magnitude "0.00000" right-aligned in 8 or
//   "--------"; then "  + " air mass "00.00000", "  " FWHM "00.00000",
//   "  " FONDO "00000.00", "  " sky magnitude "00.00000", "  " position of the
//   first comparison star (16 characters), "  *" image path.
inline constexpr Column kRowNum{1, 4};
inline constexpr Column kRowDate{7, 20};
inline constexpr Column kRowNumDate{1, 20};
inline constexpr Column kRowCompara{23, 31};
inline constexpr int kRowStrip = 6;  // NUM and its two blanks
inline constexpr int kRowFirstStar = 32;

constexpr Column RowStar(int k) {
  return {32 + kStarWidth * k, 51 + kStarWidth * k};
}
constexpr Column RowStarCounts(int k) {
  return {34 + kStarWidth * k, 42 + kStarWidth * k};
}
constexpr Column RowStarMag(int k) {
  return {44 + kStarWidth * k, 51 + kStarWidth * k};
}
// Last character of star k's magnitude: "-" there means no value (the
// variable search tests this one), the first character ("-" of "--------")
// is what the tables test.
constexpr int RowStarMagLast(int k) {
  return 51 + kStarWidth * k;
}
// Name of star k in the header line (18 characters, right-aligned).
constexpr Column HeaderStarName(int k) {
  return {34 + kStarWidth * k, 51 + kStarWidth * k};
}
// Number of star columns in a header of the results file of length `len`
// (columns start while 34 + 20k does not exceed it).
constexpr int HeaderStarCount(int len) {
  return len < 34 ? 0 : (len - 34) / kStarWidth + 1;
}

// Fields after the stars, relative to the anchor p (position of the first
// "+" of the row), each with its surrounding blanks.
constexpr Column RowAirMass(int p) {
  return {p + 1, p + 10};
}
constexpr Column RowFwhm(int p) {
  return {p + 11, p + 20};
}
constexpr Column RowFondo(int p) {
  return {p + 21, p + 30};
}
constexpr Column RowSkyMag(int p) {
  return {p + 31, p + 40};
}
constexpr Column RowPosition(int p) {
  return {p + 42, p + 57};
}
// Number of star columns before the anchor p (while 51 + 20k <= p).
constexpr int StarCountBeforeAnchor(int p) {
  return p < 51 ? 0 : (p - 51) / kStarWidth + 1;
}

// Anchor of the row: 1-based position of its first "+", 0 when none.
int PlusAnchor(std::string_view row);
// A line of the results file is a data row exactly when it contains "*".
bool IsDataRow(std::string_view line);
// The image path: the text after the first "*" ("" when none).
std::string_view RowPath(std::string_view row);

// Row number "0000" (the caller refuses numbers of kMaxRows or more).
std::string FormatRowNum(int num);

// lVarRADec entry: characters 5-54 of a ">>> " line: RA text, two blanks,
// Dec text.
inline constexpr Column kSkyLineText{5, 54};
inline constexpr Column kSkyRA{1, 10};
inline constexpr Column kSkyDec{13, 21};

// Lines 1 and 2 of the results file as loaded results (ResultRAText,
// ResultDecText): taken when longer than 9 and 8 characters.
inline constexpr Column kResultRA{1, 10};
inline constexpr Column kResultDec{1, 9};

// Comparison-star lines of the results file: the catalogue magnitude is the
// text before the first blank.

// ---------------------------------------------------------------------------
// tDiferencia, tAbsoluta, tFlujos: header, separator, then one row per data
// row of the results file.
//   row: NUM and date (1-20), per star "  " + e "00000.00" + " " + v (9
//   characters) or "  -------- ---------", then "  " AIRMASS "00.00000",
//   "  " TRANSP "00.00000", "  " FWHM "00.00000", "  " FONDO (9 characters),
//   "  " POSICION XY (16), "  C" + C as 9 digits, "  *" + path.
// ---------------------------------------------------------------------------

inline constexpr char kTableHeaderStart[] = " NUM       FECHA MPC";
inline constexpr char kTableHeaderEnd[] = "   AIRMASS    TRANSP  FWHM PIX  FONDO\"^2   POSICION XY";
inline constexpr char kTableSeparatorStart[] = "----  --------------";
inline constexpr char kTableSeparatorStar[] = "  ------------------";
inline constexpr char kTableSeparatorEnd[] =
    "  --------  --------  --------  ---------  ----------------";
inline constexpr char kTableMissingStar[] = "  -------- ---------";

inline constexpr Column kTableNum{1, 4};
inline constexpr Column kTableDate{7, 20};
inline constexpr Column kTableNumDate{1, 20};
// Signal-to-noise figure (RSR) and value (magnitude or counts) of star k.
constexpr Column TableStarRsr(int k) {
  return {23 + kStarWidth * k, 30 + kStarWidth * k};
}
constexpr Column TableStarValue(int k) {
  return {32 + kStarWidth * k, 40 + kStarWidth * k};
}
// Holds "-" when star k was not measured on that image.
constexpr int TableStarMissingMark(int k) {
  return 33 + kStarWidth * k;
}
// First column after the stars (air mass) for n star columns.
constexpr int TableAnchor(int n) {
  return 23 + kStarWidth * n;
}
constexpr Column TableAirMass(int n) {
  return {TableAnchor(n), TableAnchor(n) + 7};
}
constexpr Column TableTransp(int n) {
  return {TableAnchor(n) + 10, TableAnchor(n) + 17};
}
constexpr Column TableFwhm(int n) {
  return {TableAnchor(n) + 20, TableAnchor(n) + 27};
}
constexpr Column TableFondo(int n) {
  return {TableAnchor(n) + 30, TableAnchor(n) + 38};
}
constexpr Column TablePosition(int n) {
  return {TableAnchor(n) + 41, TableAnchor(n) + 56};
}
// "C" + 9 digits: the "C" stands 12 characters before the first "*".
constexpr Column TableCompCounts(int n) {
  return {TableAnchor(n) + 60, TableAnchor(n) + 68};
}
inline constexpr int kTableCompMarkBeforeStar = 12;

// Number formats of the tables.
inline constexpr char kMaskRsr[] = "00000.00";
inline constexpr char kMaskDifference[] = "+00.00000;-00.00000";
inline constexpr char kMaskAbsolute[] = "+00.00000";
inline constexpr char kMaskFlux[] = "000000000;-00000000";
inline constexpr char kMaskCondition[] = "00.00000";  // air mass, TRANSP, FWHM
inline constexpr char kMaskCompCounts[] = "000000000";

// Number formats of the results file row.
inline constexpr char kMaskRowMag[] = "0.00000";
inline constexpr char kMaskRowAirMass[] = "00.00000";
inline constexpr char kMaskRowFwhm[] = "00.00000";
inline constexpr char kMaskRowFondo[] = "00000.00";
inline constexpr char kMaskRowSkyMag[] = "00.00000";
inline constexpr char kMissingMag[] = "--------";
// Largest values that fit their 8-character fields; larger ones are clamped
// so that the "+" and "*" anchors of every row stay where readers expect.
inline constexpr double kMaxRowAirMass = 99.99999;
inline constexpr double kMaxRowFwhm = 99.99999;
inline constexpr double kMaxRowFondo = 99999.99;
inline constexpr double kMaxRowSkyMag = 99.99999;

// ---------------------------------------------------------------------------
// Star-list entries (lbVar, lbCali): X "0000.00" (1-7), two blanks, Y
// "0000.00" (10-16), two blanks, name from 19. Tracked or relocated entries
// use "0000.00;-000.00" so a lost star is stored at -100.00.
// ---------------------------------------------------------------------------

inline constexpr Column kEntryX{1, 7};
inline constexpr Column kEntryY{10, 16};
inline constexpr Column kEntryXY{1, 16};
inline constexpr int kEntryName = 19;
inline constexpr Column kEntryVarName{19, 36};   // 18 characters
inline constexpr Column kEntryCompName{19, 48};  // up to 30 characters
inline constexpr char kMaskEntry[] = "0000.00";
inline constexpr char kMaskEntryTracked[] = "0000.00;-000.00";
inline constexpr char kAutoStarPrefix[] = "VS_";

// Star file ("estrellas.txt" and user files): "V " or "C " + entry.
inline constexpr char kStarsFileName[] = "estrellas.txt";
inline constexpr Column kStarFileKind{1, 1};
inline constexpr Column kStarFileX{3, 9};
inline constexpr Column kStarFileY{12, 18};
inline constexpr int kStarFileNameStart = 21;
// Relocation reads at most 20 characters of the name.
inline constexpr Column kStarFileName{21, 40};

// Image list entry (ListaFotos): date (1-14), blank, path from 16.
inline constexpr Column kImageDate{1, 14};
inline constexpr int kImagePath = 16;
inline constexpr char kNullDate[] = "00000000.00000";

}  // namespace lumenda::results
