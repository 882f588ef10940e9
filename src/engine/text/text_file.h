// Reading and writing the program's text files.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/result.h"

namespace lumenda {

// Reads a whole file as it is stored; nullopt when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Reads a whole file. Text that is not valid UTF-8 is taken as Windows-1252
// (files from older installations) and converted to UTF-8. nullopt when the
// file cannot be read.
std::optional<std::string> ReadTextFile(const std::string& path);

// Splits text into lines, accepting LF and CR LF (and a lone CR). A final
// line end does not make an extra empty line.
std::vector<std::string> SplitLines(std::string_view text);

// Reads a file as lines (ReadTextFile + SplitLines).
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);

// Joins lines, each followed by `eol` ("\r\n" unless a format says otherwise).
std::string JoinLines(const std::vector<std::string>& lines, std::string_view eol = "\r\n");

// Writes `content` to a temporary file beside `path`, flushes it to the disk
// and renames it over `path`, so neither a crash nor a power cut leaves half a
// file. A symbolic link is followed: its target is replaced and the link
// stays. A failure (kIo) carries the system's message, naming the file.
Status WriteFileAtomic(const std::string& path, std::string_view content);

// Removes the temporary files that a killed program left in `folder` (those
// of a process still running are kept).
void RemoveStaleTemporaryFiles(const std::string& folder);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Windows-1252 bytes to UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);

}  // namespace lumenda
