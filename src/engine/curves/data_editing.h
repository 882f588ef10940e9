// Editing the results in place: deleting the measurements of one image and
// renaming the measured stars, in the results file and every table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run/image_list.h"
#include "run/results_tables.h"
#include "text/result.h"

namespace lumenda {

// Everything that holds a copy of the results.
struct EditTargets {
  std::string resultsPath;  // InstrumentalFile
  ResultsTables* tables = nullptr;
  std::vector<std::string>* graphInstrumental = nullptr;  // the light-curve window's copy
  std::vector<ImageListItem>* imageList = nullptr;        // ListaFotos
  bool* dataChanged = nullptr;                            // the light-curve window's flag
};

inline constexpr char kConfirmDeleteImage[] = "¿Realmente quieres borrar los datos de esta imagen?";

// Removes the data rows of `imagePath`: the rows whose text after the first
// "*" is exactly the path (a path that merely contains it, such as "a.fits"
// for "a.fit", is kept). Returns the number of lines removed.
int DeleteImageRows(std::vector<std::string>& lines, std::string_view imagePath);
// Removes the images of the list with exactly that path.
int DeleteImageEntries(std::vector<ImageListItem>& imageList, std::string_view imagePath);

// "Borrar datos de esta imagen..." (asked with kConfirmDeleteImage before
// the call): deletes the image's rows from the results file (when it exists)
// and from every table and list. The remaining rows keep their numbers.
// Gives the number of rows removed from the file; an empty path changes
// nothing.
Result<int> DeleteImageData(const EditTargets& targets, std::string_view imagePath);

// Applies the renames old[k] -> new[k], in order, to the first line that
// holds "FECHA MPC". Only whole right-aligned names are replaced, and each new
// name takes the width of the name it replaces, so no column moves.
void RenameInHeader(std::vector<std::string>& lines, const std::vector<std::string>& oldNames,
                    const std::vector<std::string>& newNames);

// Renames old[k] -> new[k] can be applied when every changed name is a usable
// star name (CheckStarName), no changed name stands twice among the old
// names, and the new names differ from each other.
Status CheckRenames(const std::vector<std::string>& oldNames,
                    const std::vector<std::string>& newNames);

// "Aplicar cambios" of the rename window: the results file, every table and
// the star names; refused as CheckRenames says, before anything changes.
Status ApplyRenames(const EditTargets& targets, const std::vector<std::string>& oldNames,
                    const std::vector<std::string>& newNames);

// "Cambio de nombre" of the graph settings: the results file must be in the
// user folder and the star names known.
Status CheckRenameAvailable(const std::string& appDir, const std::vector<std::string>& lbNomVar);

// What the rename window's edit box keeps of a typed name: upper case, at
// most 12 characters.
std::string RenameEditText(std::string_view typed);

}  // namespace lumenda
