#include "platform/HostPath.h"

#include "platform/Codec1251.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string gProgramFolderOverride;

// Finds a directory entry of dir whose name equals part without regard to case.
std::optional<std::string> MatchComponent(const std::string& dir, const std::string& part,
                                          bool wantFolder, bool last) {
    std::error_code ec;
    fs::directory_iterator it(dir.empty() ? std::string(".") : dir, ec);
    if (ec)
        return std::nullopt;
    const std::string wanted = cp1251::Lower(cp1251::FromUtf8(part));
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        if (cp1251::Lower(cp1251::FromUtf8(name)) != wanted)
            continue;
        std::error_code kindError;
        const bool isFolder = entry.is_directory(kindError);
        if (!last && !isFolder)
            continue;
        if (last && isFolder != wantFolder)
            continue;
        return name;
    }
    return std::nullopt;
}

std::optional<std::string> Resolve(std::string_view name, bool wantFolder) {
    if (name.empty())
        return std::nullopt;
    const std::string host = ToHostPath(name);
    std::error_code ec;
    const auto status = fs::status(host, ec);
    if (!ec && (wantFolder ? fs::is_directory(status) : fs::is_regular_file(status)))
        return host;
    // Walk the components, keeping those that exist as spelt.
    std::vector<std::string> parts;
    std::string part;
    for (char c : host) {
        if (c == '/') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    std::string current = host[0] == '/' ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& p = parts[i];
        const bool last = i + 1 == parts.size();
        if (p.empty() || p == ".")
            continue;
        std::string candidate = current + p;
        std::error_code probe;
        const auto st = fs::status(candidate, probe);
        bool ok = !probe && (last ? (wantFolder ? fs::is_directory(st) : fs::is_regular_file(st))
                                  : fs::is_directory(st));
        if (!ok && p != "..") {
            auto match = MatchComponent(current, p, wantFolder, last);
            if (!match)
                return std::nullopt;
            candidate = current + *match;
        } else if (!ok) {
            return std::nullopt;
        }
        current = last ? candidate : candidate + "/";
    }
    return current;
}

} // namespace

bool IsAbsolutePath(std::string_view name) {
#ifdef _WIN32
    return (name.size() >= 2 && name[1] == ':') ||
           (name.size() >= 2 && IsPathSeparator(name[0]) && IsPathSeparator(name[1]));
#else
    return !name.empty() && name[0] == '/';
#endif
}

std::string ToHostPath(std::string_view name) {
    std::string out = cp1251::ToUtf8(name);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

std::string FromHostPath(std::string_view hostPath) { return cp1251::FromUtf8(hostPath); }

std::optional<std::string> ResolveHostFile(std::string_view name) { return Resolve(name, false); }
std::optional<std::string> ResolveHostFolder(std::string_view name) { return Resolve(name, true); }
bool HostFileExists(std::string_view name) { return ResolveHostFile(name).has_value(); }

bool ReadHostFile(std::string_view name, std::string& out) {
    out.clear();
    const auto host = ResolveHostFile(name);
    if (!host)
        return false;
    std::ifstream in(*host, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size < 0)
        return false;
    in.seekg(0, std::ios::beg);
    out.resize(static_cast<size_t>(size));
    in.read(out.data(), size);
    out.resize(static_cast<size_t>(in.gcount()));
    return true;
}

std::string ExecutableFile() {
    std::error_code ec;
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : FromHostPath(exe.string());
}

std::string ProgramFolder() {
    std::string folder = gProgramFolderOverride;
    if (folder.empty()) {
        folder = ExecutableFile();
        const auto slash = folder.find_last_of("\\/");
        folder = slash == std::string::npos ? std::string() : folder.substr(0, slash);
    }
    if (folder.empty() || !IsPathSeparator(folder.back()))
        folder += '/';
    return folder;
}

void SetProgramFolderOverride(const std::string& folder) {
    if (folder.empty()) {
        gProgramFolderOverride.clear();
        return;
    }
    std::error_code ec;
    const auto absolute = fs::absolute(ToHostPath(folder), ec);
    gProgramFolderOverride = ec ? folder : FromHostPath(absolute.lexically_normal().string());
}

std::string DataFolder() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/share";
    else
        base = fs::temp_directory_path().string();
    const std::string folder = base + "/chitalka";
    std::error_code ec;
    fs::create_directories(folder, ec);
    return FromHostPath(folder) + "/";
}

int DriveKindFromMounts(std::string_view mounts, const std::string& hostPath,
                        bool (*removable)(const std::string& device)) {
    std::istringstream lines{std::string(mounts)};
    std::string line, bestPoint, bestType, bestDevice;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, point, type;
        if (!(fields >> device >> point >> type))
            continue;
        // The mount table escapes blanks as \040.
        std::string decoded;
        for (size_t i = 0; i < point.size(); ++i) {
            if (point[i] == '\\' && i + 3 < point.size()) {
                decoded += static_cast<char>(std::strtol(point.substr(i + 1, 3).c_str(), nullptr, 8));
                i += 3;
            } else {
                decoded += point[i];
            }
        }
        const bool inside =
            hostPath.compare(0, decoded.size(), decoded) == 0 &&
            (decoded == "/" || hostPath.size() == decoded.size() || hostPath[decoded.size()] == '/');
        if (inside && decoded.size() >= bestPoint.size()) {
            bestPoint = decoded;
            bestType = type;
            bestDevice = device;
        }
    }
    if (bestType == "iso9660" || bestType == "udf" || bestType.find("iso") != std::string::npos)
        return dkCdRom;
    static const char* const network[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs",
                                          "afs", "9p", "fuse.sshfs", "sshfs", "davfs", "fuse.davfs2"};
    for (const char* kind : network)
        if (bestType == kind)
            return dkNetwork;
    if (bestType == "tmpfs" || bestType == "ramfs")
        return dkRamDisk;
    if (removable && bestDevice.rfind("/dev/", 0) == 0) {
        std::string device = bestDevice.substr(5);
        // A partition's removable flag is its disk's: sdb1 -> sdb.
        while (!device.empty() && device.back() >= '0' && device.back() <= '9' &&
               device.rfind("sd", 0) == 0)
            device.pop_back();
        if (removable(device))
            return dkRemovable;
    }
    return dkFixed;
}

int DriveKindOfPath(const std::string& hostPath) {
    std::ifstream in("/proc/self/mounts");
    std::stringstream text;
    text << in.rdbuf();
    return DriveKindFromMounts(text.str(), hostPath, [](const std::string& device) {
        std::ifstream flag("/sys/block/" + device + "/removable");
        int value = 0;
        return static_cast<bool>(flag >> value) && value == 1;
    });
}
