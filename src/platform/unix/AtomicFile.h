#pragma once

#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>

// Replacing a file so that readers only ever see a whole one, and the path helpers
// that go with it. Errors come back as errno values (0 for success).
namespace platform::posix {

std::string parentOf(const std::string& path);

// Creates `dir` and its missing parents (mode 0700). False when it cannot: errno set,
// except when something other than a folder is in the way.
bool makeDirectories(const std::string& dir);

// Follows links at the end of `path` to the name a write must replace: the file the
// last link points to, whether it exists or not. Nullopt (errno set) on a loop or a
// path that cannot be looked at.
std::optional<std::string> resolveLinks(std::string path);

// Moves `path` out of the way to "<path>.<label>-<UTC time>[-n]", never over another
// file. The new name, or nullopt (errno set) when it could not be moved.
std::optional<std::string> keepAside(const std::string& path, const std::string& label);

// Removes temporary files beside `target` that a replace killed before its rename left
// behind. Only to be called by the holder of the lock that every replace takes.
void removeLeftoverTemporaries(const std::string& target);

// Writes `text` to a new temporary file beside `target` (mode 0600), flushes it, asks
// `mayRename` and, if it agrees, renames the file over `target` and flushes the folder.
// ECANCELED when `mayRename` said no or the temporary vanished before the rename; nothing is left behind on any failure. `written`
// gets the new file's status where it can be had.
int replaceAtomically(const std::string& target, const std::string& text, const std::function<bool()>& mayRename,
                      std::optional<struct stat>& written);

} // namespace platform::posix
