// Writes the search benchmark's corpus as a disc folder: DIR/interface.dat holding the essays and
// "file.ind". Usage: make_search_corpus DIR [MEGABYTES] (default 150).

#include "SearchCorpus.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: make_search_corpus DIR [MEGABYTES]\n";
        return 2;
    }
    const size_t megabytes = argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 150;
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const TSearchCorpus corpus = MakeSearchCorpus(megabytes * 1000 * 1000);
    const std::string archive = CorpusArchive(corpus);
    std::ofstream out(folder / "interface.dat", std::ios::binary | std::ios::trunc);
    out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
    out.close();
    if (!out) {
        std::cerr << "make_search_corpus: " << (folder / "interface.dat").string()
                  << ": cannot be written\n";
        return 1;
    }
    std::cout << corpus.Essays.size() << " essays, " << corpus.Bytes << " bytes\n";
    return 0;
}
