#include "run/star_list.h"

#include <cmath>
#include <set>

#include "run/results_format.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {

namespace rf = results;

namespace {

constexpr double kLost = -100.0;
constexpr char kSelectStars[] =
    "Debes seleccionar al menos una estrella de calibrado y una variable.";

double Number(std::string_view text) {
  return ParseDouble(text).value_or(0.0);
}

}  // namespace

std::string FormatStarEntry(double x, double y, std::string_view name) {
  return FormatFloat(rf::kMaskEntry, x) + "  " + FormatFloat(rf::kMaskEntry, y) + "  " +
         std::string(name);
}

std::string FormatTrackedEntry(double x, double y, std::string_view name) {
  return FormatFloat(rf::kMaskEntryTracked, x) + "  " + FormatFloat(rf::kMaskEntryTracked, y) +
         "  " + std::string(name);
}

std::string StarEntryText(const StarEntry& star) {
  return FormatTrackedEntry(star.x, star.y, star.name);
}

std::vector<std::string> StarEntryTexts(const std::vector<StarEntry>& stars) {
  std::vector<std::string> out;
  out.reserve(stars.size());
  for (const StarEntry& s : stars) out.push_back(StarEntryText(s));
  return out;
}

std::vector<StarEntry> ParseStarEntries(const std::vector<std::string>& entries) {
  std::vector<StarEntry> out;
  out.reserve(entries.size());
  for (const std::string& e : entries) out.push_back(ParseStarEntry(e));
  return out;
}

double EntryCoordinate(double v) {
  return RoundToDecimals(v, 2);
}

StarEntry ParseStarEntry(std::string_view entry) {
  return StarEntry{Number(Field(entry, rf::kEntryX)), Number(Field(entry, rf::kEntryY)),
                   std::string(FieldFrom(entry, rf::kEntryName))};
}

bool IsAutoStar(std::string_view name) {
  return name.substr(0, 3) == rf::kAutoStarPrefix;
}

std::string AutoStarName(double x, double y) {
  return std::string(rf::kAutoStarPrefix) + FormatFloat("0000", x) + "_" + FormatFloat("0000", y);
}

std::string StarKey(double x, double y) {
  return FormatFloat("0000", x) + "  " + FormatFloat("0000", y);
}

Status CheckStarName(std::string_view name) {
  const std::string trimmed = TrimRight(name);
  if (trimmed.empty()) return Status::Fail("El nombre de la estrella no puede quedar vacío.");
  const std::string quoted = "El nombre de estrella \"" + trimmed + "\" ";
  for (const char marker : {'*', '+'})
    if (trimmed.find(marker) != std::string::npos)
      return Status::Fail(quoted + "no puede contener \"" + marker + "\".");
  for (const char c : trimmed)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return Status::Fail(quoted + "no puede contener caracteres de control.");
  if (trimmed[0] == ' ') return Status::Fail(quoted + "no puede empezar por un espacio.");
  for (const char* start : {">", "--"})
    if (trimmed.starts_with(start))
      return Status::Fail(quoted + "no puede empezar por \"" + start + "\".");
  return Status::Ok();
}

Status CheckVariableNames(const std::vector<std::string>& names) {
  std::set<std::string> seen;
  for (const std::string& name : names) {
    if (Status s = CheckStarName(name); !s.ok()) return s;
    if (!seen.insert(TrimRight(name)).second)
      return Status::Fail("Dos estrellas variables se llaman \"" + TrimRight(name) + "\".");
  }
  return Status::Ok();
}

Status CheckStarLists(const StarLists& stars) {
  std::vector<std::string> names;
  for (const StarEntry& s : stars.variables) names.push_back(VariableName(s));
  if (Status s = CheckVariableNames(names); !s.ok()) return s;
  for (const StarEntry& s : stars.comparisons)
    if (Status status = CheckStarName(ComparisonName(s)); !status.ok()) return status;
  return Status::Ok();
}

std::string VariableName(const StarEntry& star) {
  return TrimRight(Copy(star.name, 1, rf::kEntryVarName.last - rf::kEntryName + 1));
}

std::string ComparisonName(const StarEntry& star) {
  return std::string(Copy(star.name, 1, rf::kEntryCompName.last - rf::kEntryName + 1));
}

std::vector<std::string> StarFileLines(const StarLists& stars) {
  std::vector<std::string> out;
  out.reserve(stars.variables.size() + stars.comparisons.size());
  for (const StarEntry& s : stars.variables) out.push_back("V " + StarEntryText(s));
  for (const StarEntry& s : stars.comparisons) out.push_back("C " + StarEntryText(s));
  return out;
}

Status WriteStarFile(const std::string& path, const StarLists& stars) {
  if (!stars.Complete()) return Status::Fail(kSelectStars);
  return WriteFileAtomic(path, JoinLines(StarFileLines(stars)));
}

bool CheckStarFileFormat(const std::vector<std::string>& lines) {
  if (lines.empty()) return false;
  for (const std::string& line : lines) {
    if (line.empty() || (line[0] != 'C' && line[0] != 'V')) return false;
    if (CharAt(line, 7) != '.' || CharAt(line, 16) != '.') return false;
  }
  return true;
}

Result<std::vector<std::string>> ReadStarFile(const std::string& path) {
  using R = Result<std::vector<std::string>>;
  auto lines = ReadTextLines(path);
  if (!lines) return R::Fail("No se puede leer el fichero " + path);
  if (!CheckStarFileFormat(*lines)) return R::Fail("Error en formato de datos.");
  if (Status names = CheckStarLists(SplitStarFile(*lines)); !names.ok())
    return R::Fail(names.message);
  return R::Ok(std::move(*lines));
}

StarLists SplitStarFile(const std::vector<std::string>& lines) {
  StarLists stars;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    (line[0] == 'C' ? stars.comparisons : stars.variables)
        .push_back(ParseStarEntry(FieldFrom(line, 3)));
  }
  return stars;
}

StarFileStar ParseStarFileLine(std::string_view line) {
  StarFileStar s;
  s.kind = line.empty() ? 'V' : line[0];
  s.x = Number(Field(line, rf::kStarFileX));
  s.y = Number(Field(line, rf::kStarFileY));
  s.name = TrimRight(Field(line, rf::kStarFileName));
  return s;
}

std::optional<RelocationReferences> StarFileReferences(const std::vector<std::string>& lines) {
  if (lines.empty()) return std::nullopt;
  RelocationReferences refs;
  refs.ref1 = ParseStarFileLine(lines[0]);
  if (lines.size() > 1 && !lines[1].empty() && lines[1][0] == 'V') {
    StarFileStar second = ParseStarFileLine(lines[1]);
    if (!IsAutoStar(second.name)) refs.ref2 = second;
  }
  return refs;
}

std::string LocatePrompt(const StarFileStar& star) {
  return "Localiza y marca estrella: " + star.name + "  (X: " + FormatFloat("0", star.x) +
         "  Y: " + FormatFloat("0", star.y) + ").";
}

PositionMap::PositionMap(Point old1, Point new1) : old1_(old1), new1_(new1) {}

PositionMap::PositionMap(Point old1, Point new1, Point old2, Point new2)
    : old1_(old1), new1_(new1) {
  const double oldLen = std::hypot(old2.x - old1.x, old2.y - old1.y);
  const double newLen = std::hypot(new2.x - new1.x, new2.y - new1.y);
  // Coincident references define no scale or angle: keep the translation.
  if (!(oldLen > 1e-9) || !(newLen > 1e-9)) return;
  translation_ = false;
  scale_ = newLen / oldLen;
  rotation_ =
      std::atan2(new2.y - new1.y, new2.x - new1.x) - std::atan2(old2.y - old1.y, old2.x - old1.x);
}

Point PositionMap::operator()(Point p) const {
  if (translation_) return {p.x + new1_.x - old1_.x, p.y + new1_.y - old1_.y};
  const double r = scale_ * std::hypot(p.x - old1_.x, p.y - old1_.y);
  const double phi = std::atan2(p.y - old1_.y, p.x - old1_.x) + rotation_;
  return {new1_.x + r * std::cos(phi), new1_.y + r * std::sin(phi)};
}

void RelocateStars(const std::vector<std::string>& lines, const PositionMap& map,
                   const Recentre& recentre, const InsideArea& inside,
                   std::vector<std::string>& lbVar, std::vector<std::string>& lbCali) {
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    const StarFileStar star = ParseStarFileLine(line);
    Point at = map(Point{star.x, star.y});
    bool lost = !inside(at);
    if (!lost) {
      const std::optional<Point> centre = recentre(at);
      if (centre && inside(*centre))
        at = *centre;
      else
        lost = true;
    }
    if (lost) at = Point{kLost, kLost};
    (star.kind == 'C' ? lbCali : lbVar).push_back(FormatTrackedEntry(at.x, at.y, star.name));
  }
}

int AddAutoStars(const std::vector<std::string>& foundStars, int width, int height, bool flipX,
                 bool flipY, const InsideArea& inside, std::vector<std::string>& lbVar,
                 const std::vector<std::string>& lbCali) {
  std::set<std::string> marked;
  const std::vector<std::string>& var = lbVar;
  for (const std::vector<std::string>* list : {&var, &lbCali})
    for (const std::string& e : *list) {
      const StarEntry s = ParseStarEntry(e);
      marked.insert(StarKey(s.x, s.y));
    }
  int added = 0;
  for (const std::string& line : foundStars) {
    const auto x0 = ParseDouble(Field(line, rf::kEntryX));
    const auto y0 = ParseDouble(Field(line, rf::kEntryY));
    if (!x0 || !y0) continue;
    const double x = flipX ? width - 1 - *x0 : *x0;
    const double y = flipY ? height - 1 - *y0 : *y0;
    if (!inside(Point{x, y})) continue;
    const std::string key = StarKey(x, y);
    if (!marked.insert(key).second) continue;
    lbVar.push_back(FormatStarEntry(x, y, AutoStarName(x, y)));
    ++added;
  }
  return added;
}

}  // namespace lumenda
