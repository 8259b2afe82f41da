// Archive open and lookups for discs of 1,000 and 100,000 entries. The archives are generated
// into a temporary folder once per size and removed at exit.

#include "archive/Archive.h"
#include "archive/ArchiveWriter.h"
#include "platform/HostPath.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string EntryName(int i) {
    char name[64];
    std::snprintf(name, sizeof name, "docs\\part%03d\\essay%06d.htm", i % 100, i);
    return name;
}

// A disc folder holding interface.dat with count entries of 64 bytes each.
class TDisc {
public:
    explicit TDisc(int count) : Count(count) {
        std::string pattern = (fs::temp_directory_path() / "chitalka-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        Folder = pattern;
        std::vector<TArchiveItem> items;
        items.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            items.push_back({EntryName(i), std::string(64, static_cast<char>('a' + i % 26)),
                             static_cast<uint8_t>(i % 2)});
        const std::string bytes = BuildArchive(items);
        std::ofstream(Folder / "interface.dat", std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~TDisc() {
        CloseArchive();
        std::error_code ec;
        fs::remove_all(Folder, ec);
    }
    void Open() const {
        SetProgramFolderOverride(Folder.string());
        if (!OpenArchive("interface.dat"))
            std::abort();
    }

    int Count;
    fs::path Folder;
};

const TDisc& Disc(int count) {
    static std::map<int, std::unique_ptr<TDisc>> discs;
    auto& disc = discs[count];
    if (!disc)
        disc = std::make_unique<TDisc>(count);
    return *disc;
}

void BM_OpenArchive(benchmark::State& state) {
    const TDisc& disc = Disc(static_cast<int>(state.range(0)));
    SetProgramFolderOverride(disc.Folder.string());
    for (auto _ : state) {
        benchmark::DoNotOptimize(OpenArchive("interface.dat"));
        CloseArchive();
    }
    state.SetItemsProcessed(state.iterations() * disc.Count);
}

// Requests spelt in upper case, as structure files often write them: FindEntry lower-cases.
void BM_FindEntryHit(benchmark::State& state) {
    const TDisc& disc = Disc(static_cast<int>(state.range(0)));
    disc.Open();
    std::vector<std::string> names;
    for (int i = 0; i < 1024; ++i)
        names.push_back("DOCS\\Part" + EntryName((i * 7919) % disc.Count).substr(9));
    size_t k = 0;
    for (auto _ : state) {
        const int index = FindEntry(names[k++ & 1023]);
        if (index < 0)
            state.SkipWithError("a name was not found");
        benchmark::DoNotOptimize(index);
    }
    CloseArchive();
}

void BM_FindEntryMiss(benchmark::State& state) {
    const TDisc& disc = Disc(static_cast<int>(state.range(0)));
    disc.Open();
    std::vector<std::string> names;
    for (int i = 0; i < 1024; ++i)
        names.push_back("docs\\missing\\essay" + std::to_string(i) + ".htm");
    size_t k = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(FindEntry(names[k++ & 1023]));
    CloseArchive();
}

// The whole request path for a 64-byte entry: lookup, seek, read and (for odd entries) unscramble.
void BM_LoadSmallEntry(benchmark::State& state) {
    const TDisc& disc = Disc(static_cast<int>(state.range(0)));
    disc.Open();
    std::vector<std::string> names;
    for (int i = 0; i < 1024; ++i)
        names.push_back(EntryName((i * 7919) % disc.Count));
    size_t k = 0;
    for (auto _ : state) {
        TPack pack(names[k++ & 1023]);
        benchmark::DoNotOptimize(pack.Data());
    }
    state.SetBytesProcessed(state.iterations() * 64);
    CloseArchive();
}

BENCHMARK(BM_OpenArchive)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindEntryHit)->Arg(1000)->Arg(100000);
BENCHMARK(BM_FindEntryMiss)->Arg(1000)->Arg(100000);
BENCHMARK(BM_LoadSmallEntry)->Arg(1000)->Arg(100000);

} // namespace

BENCHMARK_MAIN();
