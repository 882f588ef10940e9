// The simulated sample night processed as "Proceso" does it, for the
// acceptance tests of the run and of the reports.
#pragma once

#include <string>
#include <vector>

#include "image/fits_image.h"
#include "run/image_list.h"
#include "run/photometry_run.h"
#include "run/star_list.h"
#include "sample/sample_night.h"
#include "settings/settings.h"

namespace lumenda::test {

// Writes `images` images of the night (seed 1) into folder + "noche/" and runs
// them with the night's star file; results go to folder + "instrumental.txt".
// Any failure before the run comes back in the outcome's status.
inline ProcesoOutcome RunSampleNight(const std::string& folder, int images) {
  ProcesoOutcome failed;
  if (Status written = WriteSampleNight(folder + "noche", images, 1); !written.ok()) {
    failed.status = written;
    return failed;
  }
  const std::string night = folder + "noche/";
  Settings settings;  // the site the night was simulated for
  settings.lat = "40 24 00";
  settings.lon = "003 41 00";
  settings.RefreshMirrors();
  TPlaca image;
  std::vector<std::string> paths;
  for (int i = 1; i <= images; ++i) paths.push_back(night + SampleImageName(i));
  auto lista = ListImages(paths, 0);
  const Status header = image.LoadHeader(paths[0]);
  if (!lista.ok() || !header.ok()) {
    failed.status = Status::Fail("lista: " + lista.message + header.message);
    return failed;
  }
  auto field = ParseCoordinateTexts(CoordinateTextsFromHeader(image, settings));
  auto stars = ReadStarFile(night + "estrellas.txt");
  if (!field.ok() || !stars.ok()) {
    failed.status = Status::Fail("campo/estrellas: " + field.message + stars.message);
    return failed;
  }
  RunJob job;
  job.ListaFotos = lista.value;
  job.stars = SplitStarFile(stars.value);
  job.field = field.value;
  job.settings = RunSettingsFrom(settings);
  job.instrumentalPath = folder + "instrumental.txt";
  job.starsPath = folder + "estrellas.txt";
  return Proceso(job);
}

}  // namespace lumenda::test
