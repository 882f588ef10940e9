// Star-list entries (lbVar, lbCali), star files ("estrellas.txt" and the
// user's), the relocation of a star file into a new image and the merge of
// automatically located stars ("Todas").
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/result.h"

namespace lumenda {

struct StarEntry {
  double x = 0;
  double y = 0;
  std::string name;
  bool operator==(const StarEntry&) const = default;
};

// The marked stars, positions in display orientation rounded to 0.01 pixel
// as star files keep them. A lost star stays in its list at (-100, -100).
struct StarLists {
  std::vector<StarEntry> variables;    // lbVar: one results column each
  std::vector<StarEntry> comparisons;  // lbCali
  bool Complete() const { return !variables.empty() && !comparisons.empty(); }
  size_t Count() const { return variables.size() + comparisons.size(); }
};

// The list's line of a star: X and Y "0000.00;-000.00", two blanks each,
// the name (FormatTrackedEntry); and back.
std::string StarEntryText(const StarEntry& star);
std::vector<std::string> StarEntryTexts(const std::vector<StarEntry>& stars);
std::vector<StarEntry> ParseStarEntries(const std::vector<std::string>& entries);
// A position as the list's text keeps it: to 0.01 pixel.
double EntryCoordinate(double v);

// X "0000.00", two blanks, Y, two blanks, name.
std::string FormatStarEntry(double x, double y, std::string_view name);
// The same with "0000.00;-000.00", for tracked and relocated stars (a lost
// star is stored at -100.00).
std::string FormatTrackedEntry(double x, double y, std::string_view name);
// X from columns 1-7, Y from 10-16 (0 when not a number), name from 19.
StarEntry ParseStarEntry(std::string_view entry);

// Names beginning "VS_" are stars located automatically.
bool IsAutoStar(std::string_view name);
// "VS_" + X + "_" + Y, both rounded, "0000".
std::string AutoStarName(double x, double y);
// X and Y rounded "0000", joined by two blanks: two stars with the same key
// are taken as the same star.
std::string StarKey(double x, double y);

// --- Star names -------------------------------------------------------------

// Whether `name` can name a star: not empty, no "*" or "+" (the results file's
// markers of a data row and of its anchor), no control characters, and not
// beginning with a blank, ">" or "--" (which would make a comparison line of
// the results file read as another kind of line). Trailing blanks do not
// count. The message says what is wrong.
Status CheckStarName(std::string_view name);
// Names of the variable stars, each also different from the others: each names
// one column of the results ("Dos estrellas variables se llaman ...").
Status CheckVariableNames(const std::vector<std::string>& names);
// The names of a star selection, as the results file will hold them.
Status CheckStarLists(const StarLists& stars);
// The name of a variable star as its results column holds it (at most 18
// characters, trailing blanks dropped) and of a comparison star as the
// results file holds it (at most 30).
std::string VariableName(const StarEntry& star);
std::string ComparisonName(const StarEntry& star);

// --- Star files -----------------------------------------------------------

// "V " + each variable entry, then "C " + each comparison entry.
std::vector<std::string> StarFileLines(const StarLists& stars);
// Writes a star file (temporary file renamed over it). Refuses, with the
// selection warning, lists without a comparison or without a variable.
Status WriteStarFile(const std::string& path, const StarLists& stars);
// Every line non-empty, beginning "C" or "V", with "." in columns 7 and 16.
bool CheckStarFileFormat(const std::vector<std::string>& lines);
// Reads and checks a star file ("Error en formato de datos." when it fails
// the check, the names' message when a name cannot be used).
Result<std::vector<std::string>> ReadStarFile(const std::string& path);
// The entries of a star file split into variable and comparison lists.
StarLists SplitStarFile(const std::vector<std::string>& lines);

// One line of a star file: kind from column 1, X 3-9, Y 12-18, name from
// column 21 (up to 20 characters).
struct StarFileStar {
  char kind = 'V';
  double x = 0;
  double y = 0;
  std::string name;
};
StarFileStar ParseStarFileLine(std::string_view line);

// Reference 1 is the first line; reference 2 the second line when it is a
// variable star not located automatically.
struct RelocationReferences {
  StarFileStar ref1;
  std::optional<StarFileStar> ref2;
};
std::optional<RelocationReferences> StarFileReferences(const std::vector<std::string>& lines);
// "Localiza y marca estrella: NAME  (X: 123  Y: 45)."
std::string LocatePrompt(const StarFileStar& star);

// --- Relocation -------------------------------------------------------------

struct Point {
  double x = 0;
  double y = 0;
};

// Maps old positions into the new image: a translation by one reference,
// or scale and rotation about reference 1 with two references. Two
// references at the same old (or new) place give no scale; the map falls
// back to the translation of reference 1.
class PositionMap {
 public:
  PositionMap(Point old1, Point new1);
  PositionMap(Point old1, Point new1, Point old2, Point new2);
  Point operator()(Point p) const;
  bool IsTranslation() const { return translation_; }
  double Scale() const { return scale_; }
  double Rotation() const { return rotation_; }

 private:
  Point old1_, new1_;
  bool translation_ = true;
  double scale_ = 1;
  double rotation_ = 0;
};

// Re-centres a star near a predicted position: the measured centre, or
// nothing when the measurement fails.
using Recentre = std::function<std::optional<Point>(Point)>;
// The usable area of the image (InsideMargin).
using InsideArea = std::function<bool(Point)>;

// Relocates every star of the file: predicted by `map`, re-centred there when
// the prediction is inside, lost (-100, -100) when the prediction or the
// measured centre is outside. Entries "0000.00;-000.00" go to lbCali for
// kind "C" and to lbVar otherwise.
void RelocateStars(const std::vector<std::string>& starFileLines, const PositionMap& map,
                   const Recentre& recentre, const InsideArea& inside,
                   std::vector<std::string>& lbVar, std::vector<std::string>& lbCali);

// --- "Todas" -----------------------------------------------------------------

// Adds to lbVar, as "VS_xxxx_yyyy" stars, the stars found by the automatic
// search (lines with X in columns 1-7, Y in 10-16, image orientation),
// turned into display orientation, skipping those outside the usable area
// and those whose key equals a star already in lbVar or lbCali. Returns the
// number added.
int AddAutoStars(const std::vector<std::string>& foundStars, int width, int height, bool flipX,
                 bool flipY, const InsideArea& inside, std::vector<std::string>& lbVar,
                 const std::vector<std::string>& lbCali);

}  // namespace lumenda
