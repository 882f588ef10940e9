// Ctrl-C during long work, through the real binary: "Proceso interrumpido."
// on stderr, exit status 130, and every file as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "cli_runner.h"
#include "image/fits_writer.h"
#include "sample/sample_night.h"
#include "synthetic_sky.h"

extern char** environ;

namespace lumenda {
namespace {

using namespace std::chrono_literals;

// lumenda-cli with its output in files, in a user folder of its own.
class Child {
 public:
  Child(const test::TempDir& dir, const std::vector<std::string>& arguments) : dir_(dir) {
    std::vector<std::string> args = {LUMENDA_CLI};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"LUMENDA_DIR=" + dir.File("home/")};
    for (char** e = environ; *e; ++e)
      if (std::string(*e).rfind("LUMENDA_DIR=", 0) != 0) env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, dir.File("stdout.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, dir.File("stderr.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  bool Started() const { return pid_ > 0; }
  void Interrupt() const { kill(pid_, SIGINT); }

  // Waits until the program holds SIGINT back for its stop token (from then
  // on Ctrl-C no longer kills it).
  bool WaitForInterruptWatch() const {
    for (int i = 0; i < 20000; ++i) {
      std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
      for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigBlk:", 0) != 0) continue;
        if (std::stoull(line.substr(7), nullptr, 16) & (1ULL << (SIGINT - 1))) return true;
      }
      std::this_thread::sleep_for(1ms);
    }
    return false;
  }

  // Opens the named pipe for writing once the program opens it for reading;
  // -1 when the program ends first.
  int OpenForWriting(const std::string& fifo) const {
    for (;;) {
      const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
      }
      if (errno != ENXIO || waitpid(pid_, nullptr, WNOHANG) != 0) return -1;
      std::this_thread::sleep_for(1ms);
    }
  }

  // Exit status, or -1 when it ended by a signal.
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Out() const { return test::ReadBytes(dir_.File("stdout.txt")); }
  std::string Err() const { return test::ReadBytes(dir_.File("stderr.txt")); }

 private:
  const test::TempDir& dir_;
  pid_t pid_ = -1;
};

// Writes `content` into the named pipe once the program has opened it, the
// interrupt having been sent (and taken) before the program can read on.
void InterruptWhileReading(Child& child, const std::string& fifo, const std::string& content) {
  const int fd = child.OpenForWriting(fifo);
  ASSERT_GE(fd, 0) << child.Err();
  child.Interrupt();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
  close(fd);
}

TEST(CliInterrupt, PeriodSearchStopsAndWritesNoPeriodFile) {
  test::TempDir dir;
  std::string observations = "PRUEBA HJD MAG\n";
  for (int i = 0; i < 2000; ++i) {
    const double t = 2459500.3 + i * 0.004;
    observations += FormatFloat("0.00000", t) + "  " +
                    FormatFloat("0.000", 12 + 0.3 * std::sin(t / 0.2371 * 6.2831853)) + "\n";
  }
  const std::string fifo = dir.File("noche.txt");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  test::WriteBytes(dir.File("v.per"), "anterior\n");
  Child child(dir, {"periodo", "--guardar", dir.File("v.per"), fifo});
  ASSERT_TRUE(child.Started());
  InterruptWhileReading(child, fifo, observations);
  EXPECT_EQ(child.Wait(), 130);
  EXPECT_EQ(child.Err(), "Proceso interrumpido.\n");
  EXPECT_EQ(child.Out(), "");
  EXPECT_EQ(test::ReadBytes(dir.File("v.per")), "anterior\n");
}

TEST(CliInterrupt, StarSearchStopsWithoutAList) {
  test::TempDir dir;
  // A large field of a few thousand stars: the search takes far longer than
  // the stop needs to arrive.
  std::vector<test::PlantedStar> stars;
  for (int cy = 20; cy < 2048 - 20; cy += 37)
    for (int cx = 20; cx < 2048 - 20; cx += 41) stars.push_back({cx + 0.3, cy - 0.2, 282743});
  FitsImage16 image;
  image.width = image.height = 2048;
  image.pixels = test::RenderField(2048, 2048, 1000, 0, stars);
  ASSERT_TRUE(WriteFits16(dir.File("campo.fit"), image).ok());

  Child child(dir, {"estrellas", dir.File("campo.fit")});
  ASSERT_TRUE(child.Started());
  ASSERT_TRUE(child.WaitForInterruptWatch());
  child.Interrupt();
  EXPECT_EQ(child.Wait(), 130);
  EXPECT_EQ(child.Err(), "Proceso interrumpido.\n");
  EXPECT_EQ(child.Out(), "");
}

TEST(CliInterrupt, RunStopsBetweenImagesLeavingTheResultsFile) {
  test::TempDir dir;
  ASSERT_TRUE(WriteSampleNight(dir.File("noche"), 4, 1).ok());
  // The second image is a named pipe: read once for its date while the list
  // is made, and again when the run reaches it, which holds the run there
  // until the interrupt has been taken.
  const std::string second = dir.File("noche/") + SampleImageName(2);
  const std::string bytes = test::ReadBytes(second);
  ASSERT_EQ(std::remove(second.c_str()), 0);
  ASSERT_EQ(mkfifo(second.c_str(), 0600), 0);
  test::WriteBytes(dir.File("instrumental.txt"), "anterior\n");
  std::vector<std::string> args = {"proceso",
                                   "--estrellas",
                                   dir.File("noche/estrellas.txt"),
                                   "--lat",
                                   "40 24 00 N",
                                   "--lon",
                                   "003 41 00 W",
                                   "--res",
                                   "2",
                                   "--salida",
                                   dir.File("instrumental.txt")};
  for (int i = 1; i <= 4; ++i) args.push_back(dir.File("noche/") + SampleImageName(i));
  Child child(dir, args);
  ASSERT_TRUE(child.Started());
  // The header only, closed at once: the run's own read must not find this
  // writer still there.
  int fd = child.OpenForWriting(second);
  ASSERT_GE(fd, 0);
  const size_t header = (bytes.find("END     ") / 2880 + 1) * 2880;
  EXPECT_EQ(write(fd, bytes.data(), header), static_cast<ssize_t>(header));
  close(fd);
  // Once the run has begun, the next reader of the pipe is the run's.
  for (int i = 0; i < 20000 && child.Err().find("0 - muestra_001.fit\n") == std::string::npos; ++i)
    std::this_thread::sleep_for(1ms);
  fd = child.OpenForWriting(second);
  ASSERT_GE(fd, 0) << child.Err();
  child.Interrupt();
  std::this_thread::sleep_for(300ms);
  close(fd);
  EXPECT_EQ(child.Wait(), 130);
  const std::string err = child.Err();
  EXPECT_NE(err.find("0 - muestra_001.fit\n"), std::string::npos) << err;
  EXPECT_EQ(err.substr(err.size() - 22), "Proceso interrumpido.\n") << err;
  EXPECT_EQ(child.Out(), "");
  EXPECT_EQ(test::ReadBytes(dir.File("instrumental.txt")), "anterior\n");
}

TEST(CliInterrupt, WithoutLongWorkCtrlCEndsTheProgramAtOnce) {
  test::TempDir dir;
  const std::string fifo = dir.File("nada.txt");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // "clave" watches no stop token: Ctrl-C ends it as it ends any program.
  Child child(dir, {"clave", fifo, "DATE-OBS"});
  ASSERT_TRUE(child.Started());
  const int fd = open(fifo.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  child.Interrupt();
  EXPECT_EQ(child.Wait(), -1);
  close(fd);
}

}  // namespace
}  // namespace lumenda
