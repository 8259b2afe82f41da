#pragma once
// The host file system as the system's names meet it. Names inside the system are Windows-1251
// with "\" or "/" as separators; on disk the host separator and the file system's encoding
// (UTF-8) are used. A disc authored on Windows ignores letter case, so a name that does not
// exist as spelt is matched component by component without regard to case.

#include <optional>
#include <string>
#include <string_view>

// True for a host-absolute name: a leading "/" here (a drive letter and ":" on Windows). The one
// place that decides it; a leading "\" is not absolute (it is program-relative to the callers).
bool IsAbsolutePath(std::string_view name);
inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// The host spelling of a name: separators made "/", text converted to UTF-8.
std::string ToHostPath(std::string_view name);
// The system's spelling of a host (UTF-8) path: Windows-1251, separators kept.
std::string FromHostPath(std::string_view hostPath);

// The host path of an existing regular file for the name: the exact spelling first, then each
// component matched without regard to case (Windows-1251 rules). None when there is no such file.
std::optional<std::string> ResolveHostFile(std::string_view name);
// The same for a folder.
std::optional<std::string> ResolveHostFolder(std::string_view name);
bool HostFileExists(std::string_view name);
// Reads the whole file into out (its previous content replaced, its capacity reused).
bool ReadHostFile(std::string_view name, std::string& out);

// The running executable's folder, or the folder named by --disc; with a trailing separator.
std::string ProgramFolder();
// The executable's full name in the system's spelling.
std::string ExecutableFile();
void SetProgramFolderOverride(const std::string& folder);

// The folder the Windows folder stands for: the user's data folder for the reader, created on
// demand, with a trailing separator.
std::string DataFolder();

// Drive kinds of the system utilities.
enum TDriveKind { dkFixed = 0, dkCdRom = 1, dkRemovable = 2, dkNetwork = 3, dkRamDisk = 4 };
// The kind of the file system that holds the host path, read from the mount table.
int DriveKindOfPath(const std::string& hostPath);
// The rule, apart from the system: mounts is the text of /proc/self/mounts; removable tells
// whether a block device (such as "sdb") is removable.
int DriveKindFromMounts(std::string_view mounts, const std::string& hostPath,
                        bool (*removable)(const std::string& device));
