#include "session/session.h"

#include <filesystem>

#include "run/results_format.h"
#include "settings/user_folder.h"
#include "text/text_file.h"

namespace lumenda {

Status OpenSession(Session& session, const std::string& appDir, const std::string& dataDir) {
  session.appDir = appDir;
  if (!session.appDir.empty() && session.appDir.back() != '/') session.appDir += '/';
  std::error_code ec;
  std::filesystem::create_directories(session.appDir, ec);
  SeedUserFiles(session.appDir, dataDir);
  session.versionText = VersionText();
  session.enCasa = EnCasa();
  return LoadSettings(session.appDir, session.settings);
}

Status OpenSession(Session& session) {
  return OpenSession(session, AppDir(), ProgramDataDir());
}

Status CloseSession(Session& session) {
  return SaveSettings(session.appDir, session.settings);
}

std::string ResultsFilePath(const Session& session) {
  return session.appDir + results::kInstrumentalFileName;
}

std::string StarsFilePath(const Session& session) {
  return session.appDir + results::kStarsFileName;
}

RunJob MakeRunJob(const Session& session) {
  return MakeRunJob(session.run, session.settings, session.appDir);
}

Status RebuildCurve(Session& session) {
  return BuildSourceRows(session.run.results, session.graph, session.curves.curve);
}

namespace {

EditTargets TargetsOf(Session& session) {
  EditTargets targets;
  targets.resultsPath = ResultsFilePath(session);
  targets.tables = &session.run.results;
  targets.graphInstrumental = &session.curves.graphInstrumental;
  targets.dataChanged = &session.curves.dataChanged;
  return targets;
}

}  // namespace

Result<int> DeleteImageData(Session& session, std::string_view imagePath) {
  EditTargets targets = TargetsOf(session);
  targets.imageList = &session.run.images;
  return DeleteImageData(targets, imagePath);
}

Status ApplyRenames(Session& session, const std::vector<std::string>& oldNames,
                    const std::vector<std::string>& newNames) {
  return ApplyRenames(TargetsOf(session), oldNames, newNames);
}

Result<ReportSource> ReportSourceOf(const Session& session) {
  const std::string path = ResultsFilePath(session);
  const auto lines = ReadTextLines(path);
  if (!lines)
    return Result<ReportSource>::Fail("No se puede leer el fichero " + path, FailureKind::kIo);
  ReportSource source;
  source.tables = &session.run.results;
  source.comparisonLines = ComparisonLines(*lines);
  source.observer = session.settings.obs;
  source.versionText = session.versionText;
  return Result<ReportSource>::Ok(std::move(source));
}

}  // namespace lumenda
