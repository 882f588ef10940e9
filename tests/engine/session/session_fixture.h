// A session set up as a user would on the sample night: the images listed,
// the field taken from the first header, the night's stars marked.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sample/sample_night.h"
#include "run/star_list.h"
#include "session/session.h"

namespace lumenda::test {

inline std::vector<std::string> SampleNightPaths(const std::string& night, int images) {
  std::vector<std::string> paths;
  for (int i = 1; i <= images; ++i) paths.push_back(night + SampleImageName(i));
  return paths;
}

// `night` holds the images and "estrellas.txt"; the session's user folder
// is `appDir`.
inline void PrepareSampleSession(Session& session, const std::string& appDir,
                                 const std::string& night, int images) {
  ASSERT_TRUE(OpenSession(session, appDir, appDir + "no-seed/").ok());
  session.settings.lat = "40 24 00";  // the site the night was simulated for
  session.settings.lon = "003 41 00";
  session.settings.RefreshMirrors();

  auto listed = ListImages(SampleNightPaths(night, images), 0);
  ASSERT_TRUE(listed.ok()) << listed.message;
  SetImageList(session.run, std::move(listed.value));
  ASSERT_TRUE(session.run.image.LoadHeader(session.run.images.front().path));
  auto field = ParseCoordinateTexts(CoordinateTextsFromHeader(session.run.image, session.settings));
  ASSERT_TRUE(field.ok()) << field.message;
  session.run.field = field.value;

  auto lines = ReadStarFile(night + "estrellas.txt");
  ASSERT_TRUE(lines.ok()) << lines.message;
  for (const std::string& line : lines.value) {
    const StarFileStar star = ParseStarFileLine(line);
    const StarRole role = star.kind == 'C' ? StarRole::kComparison : StarRole::kVariable;
    ASSERT_TRUE(AddStar(session.run.stars, role, star.x, star.y, star.name).ok());
  }
}

}  // namespace lumenda::test
