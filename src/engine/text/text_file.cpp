#include "text/text_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace lumenda {
namespace {

// Windows-1252 code points for bytes 0x80..0x9F (0 = unassigned, kept as the
// Latin-1 control code point).
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

namespace fs = std::filesystem;

// Temporary files are the target's name + kTempMark + process id + "_" + a counter.
constexpr char kTempMark[] = ".tmp";

Status IoFailure(const std::string& what, const std::string& path) {
  return Status::Fail(what + " " + path + ": " + std::strerror(errno), FailureKind::kIo);
}

// Writes everything, retrying short writes and interruptions.
bool WriteAll(int fd, std::string_view content) {
  const char* p = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    int extra;
    char32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= n) return false;
    for (int k = 1; k <= extra; ++k) {
      unsigned char cc = static_cast<unsigned char>(bytes[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
        (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
      return false;
    i += extra + 1;
  }
  return true;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else if (c < 0xA0) {
      char32_t cp = kCp1252High[c - 0x80];
      AppendUtf8(out, cp ? cp : c);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  // A folder opens as a stream on Linux; it is not a file we can read.
  if (DirectoryExists(path)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return ss.str();
}

std::optional<std::string> ReadTextFile(const std::string& path) {
  auto read = ReadFileBytes(path);
  if (!read) return std::nullopt;
  std::string& bytes = *read;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  if (IsValidUtf8(bytes)) return bytes;
  return Cp1252ToUtf8(bytes);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      lines.emplace_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
  auto text = ReadTextFile(path);
  if (!text) return std::nullopt;
  return SplitLines(*text);
}

std::string JoinLines(const std::vector<std::string>& lines, std::string_view eol) {
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + eol.size();
  std::string out;
  out.reserve(total);
  for (const auto& l : lines) {
    out += l;
    out += eol;
  }
  return out;
}

// The file a path finally names: a symbolic link is followed (also when its
// target does not exist yet), so a rewrite replaces the target, not the link.
std::string LinkTarget(const std::string& path) {
  fs::path p = path;
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
    const fs::path next = fs::read_symlink(p, ec);
    if (ec) break;
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  return p.string();
}

Status WriteFileAtomic(const std::string& path, std::string_view content) {
  static std::atomic<unsigned> counter{0};
  const std::string target = LinkTarget(path);
  const std::string temp =
      target + kTempMark + std::to_string(getpid()) + "_" + std::to_string(counter++);
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return IoFailure("No se puede crear el fichero", path);
  if (!WriteAll(fd, content)) {
    Status failed = IoFailure("Error de escritura en", path);
    ::close(fd);
    ::unlink(temp.c_str());
    return failed;
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    Status failed = IoFailure("Error de escritura en", path);
    ::unlink(temp.c_str());
    return failed;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    Status failed = IoFailure("No se puede escribir el fichero", path);
    ::unlink(temp.c_str());
    return failed;
  }
  return Status::Ok();
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    const size_t mark = name.rfind(kTempMark);
    if (mark == std::string::npos) continue;
    const std::string tail = name.substr(mark + std::strlen(kTempMark));
    const size_t under = tail.find('_');
    if (under == 0 || under == std::string::npos || under + 1 == tail.size() ||
        tail.find_first_not_of("0123456789_") != std::string::npos)
      continue;
    // Another copy of the program may be writing it right now.
    const pid_t pid = static_cast<pid_t>(std::strtol(tail.c_str(), nullptr, 10));
    if (pid == getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    fs::remove(entry.path(), ec);
  }
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace lumenda
