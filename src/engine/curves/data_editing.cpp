#include "curves/data_editing.h"

#include <algorithm>

#include "run/results_file.h"
#include "run/results_format.h"
#include "run/star_list.h"
#include "text/fixed_columns.h"
#include "text/text_file.h"

namespace lumenda {

namespace {

constexpr int kRenamePad = 12;

std::string Blanks(int n) {
  return std::string(std::max(0, n), ' ');
}

// Occurrence of a right-aligned name: blank (or line start) before it, two
// blanks (or the line end) after it.
bool IsWholeName(const std::string& line, size_t pos, size_t length) {
  const bool before = pos == 0 || line[pos - 1] == ' ';
  const size_t end = pos + length;
  const bool after = end == line.size() || line.compare(end, 2, "  ") == 0;
  return before && after;
}

}  // namespace

int DeleteImageRows(std::vector<std::string>& lines, std::string_view imagePath) {
  if (imagePath.empty()) return 0;
  return static_cast<int>(std::erase_if(lines, [&](const std::string& line) {
    return results::IsDataRow(line) && results::RowPath(line) == imagePath;
  }));
}

int DeleteImageEntries(std::vector<ImageListItem>& imageList, std::string_view imagePath) {
  if (imagePath.empty()) return 0;
  return static_cast<int>(
      std::erase_if(imageList, [&](const ImageListItem& item) { return item.path == imagePath; }));
}

Result<int> DeleteImageData(const EditTargets& targets, std::string_view imagePath) {
  using Out = Result<int>;
  int removed = 0;
  if (imagePath.empty()) return Out::Ok(0);
  if (targets.dataChanged) *targets.dataChanged = true;
  if (!targets.resultsPath.empty() && FileExists(targets.resultsPath)) {
    auto lines = ReadResultsFile(targets.resultsPath);
    if (!lines) return Out::Fail("No se puede leer el archivo " + targets.resultsPath);
    removed = DeleteImageRows(*lines, imagePath);
    if (removed > 0) {
      if (Status written = WriteFileAtomic(targets.resultsPath, JoinLines(*lines)); !written.ok())
        return Out::FailWith(written);
    }
  }
  if (ResultsTables* t = targets.tables) {
    for (auto* table :
         {&t->tDiferencia, &t->tAbsoluta, &t->tFlujos, &t->tPosiblesVariables, &t->tInstrumental})
      DeleteImageRows(*table, imagePath);
  }
  if (targets.graphInstrumental) DeleteImageRows(*targets.graphInstrumental, imagePath);
  if (targets.imageList) DeleteImageEntries(*targets.imageList, imagePath);
  return Out::Ok(removed);
}

void RenameInHeader(std::vector<std::string>& lines, const std::vector<std::string>& oldNames,
                    const std::vector<std::string>& newNames) {
  auto header = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
    return line.find("FECHA MPC") != std::string::npos;
  });
  if (header == lines.end()) return;
  std::string line = *header;
  const size_t count = std::min(oldNames.size(), newNames.size());
  for (size_t k = 0; k < count; ++k) {
    const std::string old = Blanks(kRenamePad - CharCount(oldNames[k])) + oldNames[k];
    const int oldWidth = CharCount(old);
    const std::string& name = newNames[k];
    const int grow = CharCount(name) - oldWidth;  // > 0: the new name is wider
    const std::string replacement = Blanks(oldWidth - CharCount(name)) + name;
    size_t pos = line.find(old);
    while (pos != std::string::npos) {
      if (!IsWholeName(line, pos, old.size())) {
        pos = line.find(old, pos + 1);
        continue;
      }
      // A wider name takes blanks of its column's left margin, keeping two
      // between columns; only when there is no such room does the line grow.
      size_t start = pos;
      if (grow > 0) {
        int room = 0;
        while (static_cast<size_t>(room) < pos && line[pos - room - 1] == ' ') ++room;
        start = pos - static_cast<size_t>(std::min(grow, std::max(0, room - 2)));
      }
      line.replace(start, pos + old.size() - start, replacement);
      pos = line.find(old, start + replacement.size());
    }
  }
  *header = line;
}

Status CheckRenames(const std::vector<std::string>& oldNames,
                    const std::vector<std::string>& newNames) {
  for (size_t k = 0; k < oldNames.size() && k < newNames.size(); ++k) {
    if (newNames[k] == oldNames[k]) continue;
    if (Status s = CheckStarName(newNames[k]); !s.ok()) return s;
    // The header names the columns by their text alone.
    if (std::count(oldNames.begin(), oldNames.end(), oldNames[k]) > 1)
      return Status::Fail("Dos estrellas variables se llaman \"" + oldNames[k] + "\".");
  }
  return CheckVariableNames(newNames);
}

Status ApplyRenames(const EditTargets& targets, const std::vector<std::string>& oldNames,
                    const std::vector<std::string>& newNames) {
  if (Status s = CheckRenames(oldNames, newNames); !s.ok()) return s;
  if (targets.dataChanged) *targets.dataChanged = true;
  if (!targets.resultsPath.empty()) {
    auto lines = ReadResultsFile(targets.resultsPath);
    if (!lines) return Status::Fail("No se puede leer el archivo " + targets.resultsPath);
    RenameInHeader(*lines, oldNames, newNames);
    if (Status written = WriteFileAtomic(targets.resultsPath, JoinLines(*lines)); !written.ok())
      return written;
  }
  if (ResultsTables* t = targets.tables) {
    for (auto* table :
         {&t->tDiferencia, &t->tAbsoluta, &t->tInstrumental, &t->tFlujos, &t->tPosiblesVariables})
      RenameInHeader(*table, oldNames, newNames);
    t->lbNomVar = newNames;
  }
  if (targets.graphInstrumental) RenameInHeader(*targets.graphInstrumental, oldNames, newNames);
  return Status::Ok();
}

Status CheckRenameAvailable(const std::string& appDir, const std::vector<std::string>& lbNomVar) {
  if (!FileExists(appDir + results::kInstrumentalFileName))
    return Status::Fail("Archivo \"instrumental.txt\" no localizado.");
  if (lbNomVar.empty()) return Status::Fail("Nombres de variables no localizazados.");
  return Status::Ok();
}

std::string RenameEditText(std::string_view typed) {
  return std::string(Copy(ToUpper(typed), 1, kRenamePad));
}

}  // namespace lumenda
