#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "settings/settings.h"
#include "settings/user_folder.h"
#include "test_support.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const char* const kSeedFiles[] = {"lumenda2.ini", "color.ini", "ast.ini", "grafico.ini"};

// The repository's seed files (data/), found from this source file.
std::string RepoDataDir() {
  return (fs::path(__FILE__).parent_path() / "../../../data/").lexically_normal().string();
}

// Sets an environment variable for the scope of a test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(AppDir, ChosenFromTheEnvironmentAndCreated) {
  TempDir tmp;
  {
    ScopedEnv dir("LUMENDA_DIR", (tmp.path() + "a/b").c_str());
    EXPECT_EQ(AppDir(), tmp.path() + "a/b/");
    EXPECT_TRUE(DirectoryExists(tmp.path() + "a/b"));
  }
  {
    ScopedEnv dir("LUMENDA_DIR", nullptr);
    ScopedEnv xdg("XDG_DATA_HOME", (tmp.path() + "xdg").c_str());
    EXPECT_EQ(AppDir(), tmp.path() + "xdg/Lumenda/");
    EXPECT_TRUE(DirectoryExists(tmp.path() + "xdg/Lumenda"));
  }
  {
    ScopedEnv dir("LUMENDA_DIR", "");
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", (tmp.path() + "casa").c_str());
    EXPECT_EQ(AppDir(), tmp.path() + "casa/.local/share/Lumenda/");
    EXPECT_TRUE(DirectoryExists(tmp.path() + "casa/.local/share/Lumenda"));
  }
  {
    // A relative XDG_DATA_HOME is not a valid base folder.
    ScopedEnv dir("LUMENDA_DIR", nullptr);
    ScopedEnv xdg("XDG_DATA_HOME", "relativo");
    ScopedEnv home("HOME", (tmp.path() + "casa2").c_str());
    EXPECT_EQ(AppDir(), tmp.path() + "casa2/.local/share/Lumenda/");
  }
}

TEST(SeedUserFiles, FirstStartCopiesTheFourFilesWithoutOverwriting) {
  TempDir tmp;
  ScopedEnv dir("LUMENDA_DIR", (tmp.path() + "nuevo").c_str());
  const std::string appDir = AppDir();
  SeedUserFiles(appDir, RepoDataDir());
  for (const char* name : kSeedFiles) {
    ASSERT_TRUE(FileExists(appDir + name)) << name;
    EXPECT_EQ(ReadBytes(appDir + name), ReadBytes(RepoDataDir() + name)) << name;
  }

  // A later start keeps what the user has.
  WriteBytes(appDir + "lumenda2.ini", "OBS=mio\r\n");
  fs::remove(appDir + "ast.ini");
  SeedUserFiles(appDir, RepoDataDir());
  EXPECT_EQ(ReadBytes(appDir + "lumenda2.ini"), "OBS=mio\r\n");
  EXPECT_TRUE(FileExists(appDir + "ast.ini"));

  // A missing source is skipped.
  TempDir emptySource;
  TempDir other;
  SeedUserFiles(other.path(), emptySource.path());
  EXPECT_TRUE(fs::is_empty(other.path()));
}

TEST(SeedFiles, DefaultsOfTheRepositoryDataFolder) {
  const std::string data = RepoDataDir();
  // "lumenda2.ini" is exactly what saving the defaults writes.
  EXPECT_EQ(ReadBytes(data + "lumenda2.ini"), JoinLines(SettingsLines(Settings{})));

  TempDir tmp;
  SeedUserFiles(tmp.path(), data);
  Settings s;
  ASSERT_TRUE(LoadSettings(tmp.path(), s).ok());
  EXPECT_EQ(s.customColours, std::vector<std::string>(16, "FFFFFF"));
  EXPECT_EQ(SplitLines(ReadBytes(data + "color.ini")).size(), 16u);

  EXPECT_EQ(ReadBytes(data + "ast.ini"), "CONTACTNAME=\r\nCONTACTINFO=\r\nOBSERVERS=\r\n");

  const std::vector<std::string> grafico = SplitLines(ReadBytes(data + "grafico.ini"));
  const std::vector<std::string> expected = {
      "VPOS=94", "HPOS=585", "VTAM=613",    "HTAM=776",    "CFONDO=15329511", "CV1=255",
      "TV1=4",   "EV1=1",    "CV2=8388608", "TV2=4",       "EV3=1",           "CM1=255",
      "TM1=2",   "SM1=0",    "VM1=0",       "CM2=8388608", "TM2=2",           "SM2=0",
      "VM2=0",   "MMP=3",    "CAM=255",     "TAM=2",       "CFO=15329511"};
  EXPECT_EQ(grafico, expected);
  // The light-curve window geometry agrees with the main settings' defaults.
  const Settings d;
  EXPECT_EQ(grafico[0], "VPOS=" + std::to_string(d.fGraT));
  EXPECT_EQ(grafico[1], "HPOS=" + std::to_string(d.fGraL));
  EXPECT_EQ(grafico[2], "VTAM=" + std::to_string(d.fGraH));
  EXPECT_EQ(grafico[3], "HTAM=" + std::to_string(d.fGraW));
}

TEST(ProgramIdentity, VersionText) {
  const std::pair<const char*, const char*> cases[] = {
      {"2.0.0.7", "Lumenda 2.07"},
      {"2.0.0.123", "Lumenda 2.123"},
      {"3.1.4.0", "Lumenda 3.00"},
      {"2", "Lumenda 2.00"},
      {"", "Lumenda "},
      {"x.y", "Lumenda "},
  };
  for (const auto& [version, text] : cases) EXPECT_EQ(VersionText(version), text) << version;
  EXPECT_EQ(VersionText(), "Lumenda 2.07");  // the project's version
}

TEST(ProgramIdentity, EnCasaFollowsTheMarkerBesideTheProgram) {
  const fs::path marker = fs::read_symlink("/proc/self/exe").parent_path() / "encasa.txt";
  if (fs::exists(marker)) GTEST_SKIP() << "developer marker already present";
  EXPECT_FALSE(EnCasa());
  WriteBytes(marker.string(), "");
  const bool withMarker = EnCasa();
  fs::remove(marker);
  EXPECT_TRUE(withMarker);
  EXPECT_FALSE(EnCasa());
}

TEST(ProgramIdentity, ProgramDataDirEndsInShareLumenda) {
  const std::string dir = ProgramDataDir();
  EXPECT_TRUE(dir.ends_with("share/lumenda/")) << dir;
}

}  // namespace
}  // namespace lumenda
