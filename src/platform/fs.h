#pragma once
// Files and directories by name: existence, removal, atomic replace,
// directories, listing, free space, the system temporary directory and the
// path-name helpers the data layer uses (upper-case file names, extensions).
// Failures throw VeltError naming the path (see platform/file.h).
#include <cstdint>
#include <string>
#include <vector>

namespace velt::platform::fs {

bool exists(const std::string& path);        // any kind of entry
bool isDirectory(const std::string& path);
bool isRegularFile(const std::string& path);

// Removes a file; false when it did not exist, throws on any other failure.
bool removeFile(const std::string& path);
// Atomically renames `from` to `to`, replacing `to` when it exists (same
// file system). Throws on failure; `from` is untouched then.
void renameReplace(const std::string& from, const std::string& to);
// Copies a file (contents only) through a temporary file beside `to` that is
// fsynced and renamed over `to`, so `to` is either the old or the new file.
void copyFile(const std::string& from, const std::string& to);

// Creates one directory; true when created, false when it already existed.
bool makeDirectory(const std::string& path);
// Creates the directory and any missing parents.
void makeDirectories(const std::string& path);
// Removes an empty directory; false when it did not exist.
bool removeDirectory(const std::string& path);
// Removes a directory and everything inside it; false when it did not exist.
bool removeTree(const std::string& path);

// Names (not paths) of the entries of a directory, without "." and "..",
// sorted by byte order.
std::vector<std::string> listDirectory(const std::string& path);

// Bytes available to this user on the file system holding `path`.
uint64_t freeBytes(const std::string& path);

// The system temporary directory: $TEMP, else $TMPDIR, else "/tmp"; no
// trailing separator.
std::string tempDirectory();
std::string currentDirectory();

// Path helpers (pure text, "/" separator).
std::string lastComponent(const std::string& path);          // "a/b.DBF" -> "b.DBF"
std::string parentDirectory(const std::string& path);        // "a/b.DBF" -> "a", "b" -> ""
std::string joinPath(const std::string& dir, const std::string& name);
// The last component upper-cased (ASCII), the directory part left as it is:
// every file the data layer creates or opens is named this way.
std::string upperLastComponent(const std::string& path);
// True when the last component contains a ".".
bool hasExtension(const std::string& path);
// Adds `ext` (e.g. ".DBF") when the last component has no ".".
std::string withDefaultExtension(const std::string& path, const std::string& ext);
// The last component without its extension: "a/codneg.ntx" -> "codneg".
std::string baseName(const std::string& path);
// `path` with its extension replaced by `ext` (".DBT").
std::string replaceExtension(const std::string& path, const std::string& ext);

} // namespace velt::platform::fs
