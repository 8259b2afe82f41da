#pragma once
// Helpers shared by the test suites: temporary folders, files written as bytes, UTF-8 literals
// turned into the system's Windows-1251 text.

#include "platform/Codec1251.h"

#include <filesystem>
#include <string>

// Windows-1251 bytes of a UTF-8 literal.
inline std::string W(const std::string& utf8) { return cp1251::FromUtf8(utf8); }

// A fresh folder under the system's temporary folder, removed with the object.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::filesystem::path& Path() const { return Root; }
    // The folder in the system's spelling (Windows-1251), with a trailing separator.
    std::string Folder() const;
    // Writes bytes to a file under the folder (UTF-8 relative name), creating folders.
    std::filesystem::path Write(const std::string& relative, const std::string& bytes) const;

private:
    std::filesystem::path Root;
};

std::string ReadFileBytes(const std::filesystem::path& path);
std::string FixturePath(const std::string& relative); // under tests/fixtures
std::string BinaryDir();                              // the build folder
