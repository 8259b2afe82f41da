// The all-documents search over a generated corpus, against the plain scans it is measured by.
// Every benchmark reads the same bytes in the same run and looks for a text that no essay holds
// in a text run, so none stops early:
//   PlainMemmem      memmem over the raw bytes
//   LowerMemmem      lower-casing through a 256-byte table, then memmem (the baseline)
//   Tokenizer        Content loaded and parsed with the OnTag and OnText handlers the search sets
//   TokenizerMatch   the same with the matching rule
//   Libxml2Sax       libxml2's HTML parser with SAX handlers that only count (no tree), as a
//                    comparison, when the build found libxml2
//   WholeSearch      "file.ind" read, each document read from the archive into a reused TPack
//                    buffer (LoadPackFile), ruled out when its decoded text lacks the word, else
//                    handed to the parser without a copy, tokenized, folded and matched
//   WholeSearchParsedToTheEnd   the same for a text every essay holds in an attribute only:
//                    nothing is ruled out, every essay is parsed to its end
// At the end the goals are printed as ratios to the baseline (and to libxml2).
//
// --corpus-mb=N sets the corpus size (default 150); --corpus-mb=8 makes a quick run.

#include "SearchCorpus.h"

#include "archive/Archive.h"
#include "archive/ResourceLoaders.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "search/HtmlParser.h"
#include "search/SearchMatcher.h"

#include <benchmark/benchmark.h>

#if defined(CHITALKA_BENCH_LIBXML2)
#include <libxml/HTMLparser.h>
#endif

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

namespace fs = std::filesystem;

namespace {

size_t CorpusMegabytes = 150;

struct TFixture {
    TSearchCorpus Corpus;
    std::string Needle; // lower case
    fs::path Folder;    // holds interface.dat

    TFixture() {
        Corpus = MakeSearchCorpus(CorpusMegabytes * 1000 * 1000);
        Needle = cp1251::Lower(AbsentWord());
        std::string pattern = (fs::temp_directory_path() / "chitalka-search-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        Folder = pattern;
        const std::string archive = CorpusArchive(Corpus);
        std::ofstream(Folder / "interface.dat", std::ios::binary)
            .write(archive.data(), static_cast<std::streamsize>(archive.size()));
        std::cerr << "corpus: " << Corpus.Essays.size() << " essays, " << Corpus.Bytes
                  << " bytes\n";
    }
    // The archive is closed by the benchmarks that open it: at exit its own state may be gone.
    ~TFixture() {
        std::error_code ec;
        fs::remove_all(Folder, ec);
    }
};

TFixture& Fixture() {
    static TFixture fixture;
    return fixture;
}

void Done(benchmark::State& state, size_t found) {
    const TFixture& f = Fixture();
    if (found != 0)
        state.SkipWithError("the absent word was found");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(f.Corpus.Bytes));
}

void BM_PlainMemmem(benchmark::State& state) {
    const TFixture& f = Fixture();
    size_t found = 0;
    for (auto _ : state)
        for (const auto& e : f.Corpus.Essays)
            found +=
                memmem(e.Bytes.data(), e.Bytes.size(), f.Needle.data(), f.Needle.size()) != nullptr;
    Done(state, found);
}

void BM_LowerMemmem(benchmark::State& state) {
    const TFixture& f = Fixture();
    std::string lower;
    size_t found = 0;
    for (auto _ : state) {
        for (const auto& e : f.Corpus.Essays) {
            lower.resize(e.Bytes.size());
            const auto* in = reinterpret_cast<const unsigned char*>(e.Bytes.data());
            auto* out = reinterpret_cast<unsigned char*>(lower.data());
            for (size_t i = 0; i < e.Bytes.size(); ++i)
                out[i] = cp1251::kLower[in[i]];
            found +=
                memmem(lower.data(), lower.size(), f.Needle.data(), f.Needle.size()) != nullptr;
        }
    }
    Done(state, found);
}

void BM_Tokenizer(benchmark::State& state) {
    const TFixture& f = Fixture();
    TLegHtmlParser parser;
    size_t tokens = 0;
    parser.OnTag = [&](TLegHtmlParser&, std::string_view, const THtmlAttributes&) { ++tokens; };
    parser.OnText = [&](TLegHtmlParser&, std::string_view) { ++tokens; };
    for (auto _ : state) {
        for (const auto& e : f.Corpus.Essays) {
            parser.LoadContent(e.Bytes);
            parser.Parse();
        }
    }
    benchmark::DoNotOptimize(tokens);
    Done(state, 0);
}

void BM_TokenizerMatch(benchmark::State& state) {
    const TFixture& f = Fixture();
    TLegHtmlParser parser;
    TSearchMatcher matcher(AbsentWord());
    size_t found = 0;
    for (auto _ : state)
        for (const auto& e : f.Corpus.Essays)
            found += matcher.MatchDocument(parser, e.Bytes);
    Done(state, found);
}

#if defined(CHITALKA_BENCH_LIBXML2)
// A document at a time, as the search reads them; the handlers count what a consumer would see.
void BM_Libxml2Sax(benchmark::State& state) {
    const TFixture& f = Fixture();
    struct TCounts {
        size_t Tags = 0;
        size_t TextBytes = 0;
    } counts;
    htmlSAXHandler sax{};
    sax.startElement = [](void* user, const xmlChar*, const xmlChar**) {
        ++static_cast<TCounts*>(user)->Tags;
    };
    sax.endElement = [](void* user, const xmlChar*) { ++static_cast<TCounts*>(user)->Tags; };
    sax.characters = [](void* user, const xmlChar*, int length) {
        static_cast<TCounts*>(user)->TextBytes += static_cast<size_t>(length);
    };
    for (auto _ : state) {
        for (const auto& e : f.Corpus.Essays) {
            htmlParserCtxtPtr context =
                htmlCreateMemoryParserCtxt(e.Bytes.data(), static_cast<int>(e.Bytes.size()));
            if (!context) {
                state.SkipWithError("libxml2 made no parser");
                return;
            }
            *context->sax = sax;
            context->userData = &counts;
            htmlCtxtUseOptions(context,
                               HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
            htmlParseDocument(context);
            htmlFreeParserCtxt(context);
        }
    }
    benchmark::DoNotOptimize(counts.Tags);
    benchmark::DoNotOptimize(counts.TextBytes);
    Done(state, 0);
}
#endif

// The search as the reader runs it, for one search text.
void WholeSearch(benchmark::State& state, const std::string& searchText, bool expectNone) {
    const TFixture& f = Fixture();
    SetProgramFolderOverride(FromHostPath(f.Folder.string()));
    if (!OpenArchive("interface.dat")) {
        state.SkipWithError("the archive did not open");
        return;
    }
    TLegHtmlParser parser;
    TSearchMatcher matcher(searchText);
    TPack pack;
    size_t found = 0;
    for (auto _ : state) {
        const TStrings lines = LoadPackStrings("file.ind");
        for (const auto& line : lines) {
            pack.LoadPackFile(std::string(SplitIndexLine(line).Name));
            found += matcher.SearchDocument(parser, pack.Content());
        }
        if (lines.size() != f.Corpus.Essays.size())
            state.SkipWithError("file.ind lists another number of essays");
    }
    CloseArchive();
    Done(state, expectNone ? found : 0);
}

// A word no essay holds: most documents of a real search are ruled out before parsing.
void BM_WholeSearch(benchmark::State& state) {
    WholeSearch(state, AbsentWord(), true);
}

// The worst case: a text every essay holds, but only in an attribute, so no document is ruled
// out and every one is parsed to its end without a match.
void BM_WholeSearchParsedToTheEnd(benchmark::State& state) {
    WholeSearch(state, "text/javascript", true);
}

// Three repetitions each: the machine is shared, and the ratios take the medians.
BENCHMARK(BM_PlainMemmem)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_LowerMemmem)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_Tokenizer)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_TokenizerMatch)->Unit(benchmark::kMillisecond)->Repetitions(3);
#if defined(CHITALKA_BENCH_LIBXML2)
BENCHMARK(BM_Libxml2Sax)->Unit(benchmark::kMillisecond)->Repetitions(3);
#endif
BENCHMARK(BM_WholeSearch)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_WholeSearchParsedToTheEnd)->Unit(benchmark::kMillisecond)->Repetitions(3);

// Prints as usual and keeps each benchmark's bytes per second for the ratios.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (it == run.counters.end() || run.error_occurred)
                continue;
            std::string name = run.run_name.function_name;
            if (!run.aggregate_name.empty())
                name += "_" + run.aggregate_name;
            Speed[name] = it->second.value;
        }
    }
    void PrintRatios() const {
        // The median of the repetitions when there are several, else the one run.
        const auto get = [this](const std::string& name) {
            auto it = Speed.find(name + "_median");
            if (it == Speed.end())
                it = Speed.find(name);
            return it == Speed.end() ? 0.0 : it->second;
        };
        const double baseline = get("BM_LowerMemmem");
        if (baseline <= 0)
            return;
        std::printf("\nMB/s (10^6 bytes):");
        for (const char* name :
             {"BM_PlainMemmem", "BM_LowerMemmem", "BM_Tokenizer", "BM_TokenizerMatch",
              "BM_Libxml2Sax", "BM_WholeSearch", "BM_WholeSearchParsedToTheEnd"})
            std::printf(" %s %.0f;", name + 3, get(name) / 1e6);
        std::printf("\nTokenizerMatch / LowerMemmem = %.2f (goal >= 0.60)\n",
                    get("BM_TokenizerMatch") / baseline);
        if (const double libxml2 = get("BM_Libxml2Sax"); libxml2 > 0)
            std::printf("TokenizerMatch / Libxml2Sax  = %.1f (goal >= 15)\n",
                        get("BM_TokenizerMatch") / libxml2);
        std::printf("WholeSearch / LowerMemmem    = %.2f (goal >= 0.40)\n",
                    get("BM_WholeSearch") / baseline);
        std::printf("WholeSearchParsedToTheEnd / LowerMemmem = %.2f\n",
                    get("BM_WholeSearchParsedToTheEnd") / baseline);
    }

private:
    std::map<std::string, double> Speed;
};

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a.substr(0, 12) == "--corpus-mb=") {
            CorpusMegabytes = std::strtoul(argv[i] + 12, nullptr, 10);
            if (CorpusMegabytes == 0)
                CorpusMegabytes = 1;
        } else {
            args.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
