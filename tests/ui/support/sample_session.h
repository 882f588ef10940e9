// A session holding the sample night measured as the main window leaves it
// after "Lista de imágenes", the stars of the night's star file and
// "Proceso": what the light-curve windows are opened on.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "session/session.h"

namespace lumenda::ui::test {

// Opens `session` in `appDir` (seeded, settings of the night's site) and
// measures the first `images` images of `nightFolder` with its star file.
// The image list, field, stars and results are those of a first series.
Status MeasureSampleNight(Session& session, const std::string& appDir, const QString& nightFolder,
                          int images = 60);

// Opens `session` in `appDir` and recovers the results file `resultsFile`
// into it, as "Recuperar datos..." does (settings of the night's site).
Status RecoverSampleNight(Session& session, const std::string& appDir,
                          const std::string& resultsFile);

// The paths of the first `count` images of the sample night folder.
std::vector<std::string> SampleImages(const QString& nightFolder, int first, int count);

}  // namespace lumenda::ui::test
