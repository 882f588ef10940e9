// "Guardar datos..." and "Recuperar datos...": saved copies of the results.
#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "run/image_list.h"
#include "run/results_tables.h"
#include "text/progress.h"
#include "text/result.h"

namespace lumenda {

// Saves the results file as a ".txt" copy or a ".csv" table of instrumental
// magnitudes, chosen by the destination's extension (exact, lower case).
// Any other extension is refused with a message and nothing is written.
Status SaveResults(const std::string& instrumentalPath, const std::string& destination);

// The ".csv" lines: names, then one line of magnitudes per data row.
std::vector<std::string> ResultsCsv(const std::vector<std::string>& lines);

// True when the lines look like a results file (field texts on lines 1-2
// and at least one data row).
bool CheckResultsFormat(const std::vector<std::string>& lines);
bool CheckResultsFormat(const std::string& path);

// True when all files share their header block (the field coordinates on
// lines 1-2 may differ; ">" lines are left out).
bool SameHeaders(const std::vector<std::string>& paths);

struct RecoverOutcome {
  std::vector<ImageListItem> ListaFotos;  // one per recovered row
  ResultsTables tables;
};

// Checks the files, merges their rows (sorted and renumbered), builds the
// tables from them and only then writes them into `instrumentalPath`
// (through a temporary file). Failure messages: file name + ": Error en
// formato de datos.", "Error: cabeceras no idénticas.", or the refusal of
// more than 10000 rows; nothing is written then, nor when stopped.
// Progress: kStage, the stage texts ("Verificando formato...", "Leyendo
// datos...", then those of BuildResults).
Result<RecoverOutcome> RecoverResults(const std::vector<std::string>& paths,
                                      const std::string& instrumentalPath, int sensitivity = 1,
                                      std::stop_token stop = {}, const Progress& progress = {});

}  // namespace lumenda
