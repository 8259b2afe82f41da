#pragma once
// A deterministic corpus of essays for the search benchmarks: realistic HTML in Windows-1251
// (a head with its title, style sheet link and script, headings, wrapped paragraphs of Russian
// text with inline tags, links, references, comments, tables and pictures) and the search index
// "file.ind" that lists them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TCorpusEssay {
    std::string Name;  // archive entry name, "essays\\essay0001.htm"
    std::string Title; // Windows-1251
    std::string Bytes; // the document, lines ended by CR LF
};

struct TSearchCorpus {
    std::vector<TCorpusEssay> Essays;
    size_t Bytes = 0; // of all documents together
};

// Essays of 20 to 80 kB each until their total reaches targetBytes; the same seed gives the same
// bytes.
TSearchCorpus MakeSearchCorpus(size_t targetBytes, uint32_t seed = 1);

// "name#;#title" for every essay, in order, each line ended by CR LF.
std::string CorpusIndex(const TSearchCorpus& corpus);

// The archive bytes: every essay and "file.ind".
std::string CorpusArchive(const TSearchCorpus& corpus);

// A word that no essay of any corpus holds, for scans that must read every byte.
std::string AbsentWord();
