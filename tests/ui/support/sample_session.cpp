#include "sample_session.h"

#include "run/star_list.h"
#include "sample/sample_night.h"
#include "settings/user_folder.h"

namespace lumenda::ui::test {

std::vector<std::string> SampleImages(const QString& nightFolder, int first, int count) {
  std::vector<std::string> paths;
  for (int i = first; i < first + count; ++i)
    paths.push_back(nightFolder.toStdString() + "/" + SampleImageName(i));
  return paths;
}

namespace {

Status OpenAtSite(Session& session, const std::string& appDir) {
  if (Status opened = OpenSession(session, appDir, ProgramDataDir()); !opened.ok()) return opened;
  // The site the night was simulated for.
  session.settings.lat = "40 24 00";
  session.settings.lon = "003 41 00";
  session.settings.RefreshMirrors();
  return Status::Ok();
}

}  // namespace

Status RecoverSampleNight(Session& session, const std::string& appDir,
                          const std::string& resultsFile) {
  if (Status opened = OpenAtSite(session, appDir); !opened.ok()) return opened;
  auto recovered = RecoverResults({resultsFile}, ResultsFilePath(session));
  if (!recovered.ok()) return Status::Fail(recovered.message);
  ApplyRecovery(session.run, std::move(recovered.value));
  return Status::Ok();
}

Status MeasureSampleNight(Session& session, const std::string& appDir, const QString& nightFolder,
                          int images) {
  if (Status opened = OpenAtSite(session, appDir); !opened.ok()) return opened;
  const std::vector<std::string> paths = SampleImages(nightFolder, 1, images);
  auto listed = ListImages(paths, 0);
  if (!listed.ok()) return Status::Fail(listed.message);
  SetImageList(session.run, std::move(listed.value));
  session.run.firstSeries = true;
  if (Status loaded = session.run.image.LoadHeader(paths.front()); !loaded.ok()) return loaded;
  auto field = ParseCoordinateTexts(CoordinateTextsFromHeader(session.run.image, session.settings));
  if (!field.ok()) return Status::Fail(field.message);
  session.run.field = field.value;

  auto stars = ReadStarFile(nightFolder.toStdString() + "/estrellas.txt");
  if (!stars.ok()) return Status::Fail(stars.message);
  session.run.stars = SplitStarFile(stars.value);

  auto run = ProcessImages(MakeRunJob(session));
  if (!run.ok()) return Status::Fail(run.message);
  ApplyRun(session.run, std::move(run.value));
  return Status::Ok();
}

}  // namespace lumenda::ui::test
