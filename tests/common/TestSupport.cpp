#include "common/TestSupport.h"

#include "platform/HostPath.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

TTempDir::TTempDir() {
    static std::atomic<int> counter{0};
    std::random_device random;
    Root = fs::temp_directory_path() /
           ("chitalka-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
            std::to_string(random()));
    fs::create_directories(Root);
}

TTempDir::~TTempDir() {
    std::error_code ec;
    fs::remove_all(Root, ec);
}

std::string TTempDir::Folder() const { return FromHostPath(Root.string()) + "/"; }

fs::path TTempDir::Write(const std::string& relative, const std::string& bytes) const {
    const fs::path path = Root / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string FixturePath(const std::string& relative) {
    const char* root = std::getenv("CHITALKA_FIXTURES");
    return std::string(root ? root : CHITALKA_FIXTURES_DIR) + "/" + relative;
}

std::string BinaryDir() {
    const char* dir = std::getenv("CHITALKA_BINARY_DIR");
    return dir ? dir : CHITALKA_BUILD_DIR;
}
