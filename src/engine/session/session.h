// The session: everything the windows share, in one object that the
// desktop creates at start-up and that lives until the main window closes.
// Windows read and change it only through engine calls and keep no copy of
// it; the lists the main window shows are views of it. It is not shared
// between threads: long work runs on a job copied from it (see
// run/run_state.h, period/period_state.h) and its outcome is applied on the
// interface thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "curves/curve_state.h"
#include "curves/data_editing.h"
#include "curves/general_report.h"
#include "curves/graph_settings.h"
#include "period/period_state.h"
#include "run/run_state.h"
#include "settings/settings.h"
#include "text/result.h"

namespace lumenda {

struct Session {
  std::string appDir;       // the user folder, ending in "/"
  std::string versionText;  // "Lumenda 2.07"
  bool enCasa = false;      // developer mode: the working lists are shown
  Settings settings;        // "lumenda2.ini" and "color.ini"
  GraphSettings graph;      // the graph-settings window's choices
  RunState run;             // image list, field, stars, image on show, results
  CurveState curves;        // light-curve data and window state
  ReportFields reports;     // the report page and its dialogs
  PeriodState period;       // the period-analysis window
};

// Start-up: the user folder (`appDir`, created when missing) seeded with the
// settings files from `dataDir`, the version text, the developer flag and
// the settings. A settings file that exists but cannot be read is the
// failure; the session is usable with the defaults then.
Status OpenSession(Session& session, const std::string& appDir, const std::string& dataDir);
// The same in the user's folder with the program's seed files.
Status OpenSession(Session& session);
// Closing the main window: the settings are saved.
Status CloseSession(Session& session);

// The working files in the user folder.
std::string ResultsFilePath(const Session& session);  // "instrumental.txt"
std::string StarsFilePath(const Session& session);    // "estrellas.txt"

// "Proceso" from the session (see MakeRunJob).
RunJob MakeRunJob(const Session& session);

// Rebuilds the light curve of the graph settings from the results
// (BuildSourceRows); the absolute-photometry warning switches the mode back.
Status RebuildCurve(Session& session);

// "Borrar datos de esta imagen..." (asked for confirmation first): the rows
// of that image leave the results file, every table and the image list.
// Returns how many rows left the file.
Result<int> DeleteImageData(Session& session, std::string_view imagePath);

// "Aplicar cambios" of the rename window: the results file, every table and
// the star names.
Status ApplyRenames(Session& session, const std::vector<std::string>& oldNames,
                    const std::vector<std::string>& newNames);

// What the reports take besides the grouped rows: the tables, the
// comparison lines of the results file, the observer and the version text.
// Reading the results file may fail.
Result<ReportSource> ReportSourceOf(const Session& session);

}  // namespace lumenda
