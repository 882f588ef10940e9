// The in-memory results tables, derived from the lines of the results file.
#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "text/progress.h"
#include "text/result.h"

namespace lumenda {

// Tables built by BuildResults (formats in run/results_format.h).
struct ResultsTables {
  // Header line of the results file followed by all its data rows; the
  // variable search drops from it the star columns that never had a value.
  std::vector<std::string> tInstrumental;
  // Header, separator and one row per data row.
  std::vector<std::string> tDiferencia;
  std::vector<std::string> tAbsoluta;  // empty when absolute photometry is off
  std::vector<std::string> tFlujos;
  // One entry per ">>> " line: RA text, two blanks, Dec text.
  std::vector<std::string> lVarRADec;
  // Names of the measured stars, one per star column of the results file.
  std::vector<std::string> lbNomVar;
  // Catalogue magnitude of each comparison star (as written in the file),
  // then the mean instrumental magnitude "0.0000" of each measured star.
  std::vector<std::string> lbMag;
  // Field coordinates of the loaded results (lines 1 and 2 of the file).
  std::string ResultRAText;
  std::string ResultDecText;
  // More than one comparison star in the file.
  bool EnsembleFlag = false;
  // Every comparison name is a number (tAbsoluta is built).
  bool absolutePhotometry = false;
  // Mean catalogue magnitude M of the ensemble (10.0 without absolute
  // photometry).
  double meanCatalogueMagnitude = 10.0;
  // Number of comparison stars listed in the file.
  int comparisonCount = 0;
  // Copy of tInstrumental keeping only the possible variables.
  std::vector<std::string> tPosiblesVariables;
};

// Fills `tables` from the lines of a results file and runs the variable
// search with `sensitivity` ("1", "2" or "3" as 1..3). Fails with a message
// when the lines lack the header block. Progress: kStage, the texts of the
// stages ("Calculando fotometría, imagen 12", ...) and "000" at the end. A
// stop (checked per star column of the search and per row) leaves the
// tables empty.
Status BuildResults(const std::vector<std::string>& fileLines, ResultsTables& tables,
                    int sensitivity = 1, std::stop_token stop = {}, const Progress& progress = {});

// Reads the file and calls BuildResults.
Status BuildResultsFromFile(const std::string& path, ResultsTables& tables, int sensitivity = 1,
                            std::stop_token stop = {}, const Progress& progress = {});

}  // namespace lumenda
