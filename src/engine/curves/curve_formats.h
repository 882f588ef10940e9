// The two tables the light-curve window derives from the results: the grouped
// rows (plotted and printed) and the AAVSO rows. Declared once here; every
// reader and writer of these rows uses these columns.
#pragma once

#include "text/fixed_columns.h"

namespace lumenda::curve {

// GroupedRows: two header lines, then one row per group:
//   NUM "0000" (1-4), two blanks, mean date yyyymmdd.ddddd (7-20), two
//   blanks, group size "00" (23-24), two blanks, block of Variable 1 (27-54),
//   block of Variable 2 (55-82), air mass "00.00000" (83-90), two blanks,
//   transparency (93-100), two blanks, FWHM (103-110), two blanks,
//   background "+00.00000;-00.00000" (113-121), and for a single image
//   "  " + "*" + its path.
// A block is the mean (10 characters: a blank, then the signed value or the
// counts), two blanks, the error (7), two blanks, the mean RSR "00000", two
// blanks; or 28 blanks when the star has no value in the group.
inline constexpr Column kNum{1, 4};
inline constexpr Column kDate{7, 20};
inline constexpr Column kCount{23, 24};
inline constexpr Column kValue1{27, 36};
inline constexpr Column kSignedValue1{28, 36};  // without the leading blank
inline constexpr int kValue1Mark = 28;          // blank when no value
inline constexpr Column kError1{39, 45};
inline constexpr Column kRsr1{48, 52};
inline constexpr Column kValue2{55, 64};
inline constexpr Column kSignedValue2{56, 64};
inline constexpr int kValue2Mark = 56;
inline constexpr Column kError2{67, 73};
inline constexpr Column kRsr2{76, 80};
inline constexpr Column kAirMass{83, 90};
inline constexpr Column kTransparency{93, 100};
inline constexpr Column kFwhm{103, 110};
inline constexpr Column kBackground{113, 121};
inline constexpr int kHeaderLines = 2;
inline constexpr int kBlockWidth = 28;

inline constexpr char kHeaderStart[] = " NUM       FECHA MPC   N         MAG      +/-    RSR";
inline constexpr char kHeaderVar2[] = "         MAG     +/-     RSR";
inline constexpr char kHeaderEnd[] = "  AIRMS  TRANS  FWHM\"   FONDO";
inline constexpr char kSeparatorStart[] = "----  --------------  --  --------------------------";
inline constexpr char kSeparatorVar2[] = "  --------------------------";
inline constexpr char kSeparatorEnd[] = "  -----  -----  -----  ------";

inline constexpr char kMaskNum[] = "0000";
inline constexpr char kMaskCount[] = "00";
inline constexpr char kMaskCountsMean[] = " 000000000";
inline constexpr char kMaskCountsError[] = "0000000";
inline constexpr char kMaskMagMean[] = " +00.00000; -00.00000";
inline constexpr char kMaskMagError[] = "0.00000";
inline constexpr char kMaskRsr[] = "00000";
inline constexpr char kMaskCondition[] = "00.00000";
inline constexpr char kMaskBackground[] = "+00.00000;-00.00000";

// AavsoRows: one row per group with a value of Variable 1 (magnitude modes):
//   date (1-14), MAG (17-25), error (28-36), CMAG (39-47), KMAG (50-58),
//   air mass (61-69); numbers "+00.00000;-00.00000", two blanks between.
inline constexpr Column kAavsoDate{1, 14};
inline constexpr Column kAavsoMag{17, 25};
inline constexpr Column kAavsoError{28, 36};
inline constexpr Column kAavsoCmag{39, 47};
inline constexpr Column kAavsoKmag{50, 58};
inline constexpr Column kAavsoAirMass{61, 69};
inline constexpr char kMaskAavso[] = "+00.00000;-00.00000";
// KMAG of a group without check star.
inline constexpr double kNoCheckMagnitude = 99.0;

}  // namespace lumenda::curve
