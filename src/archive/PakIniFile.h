#pragma once
// An INI file held in memory, read from an archive name: the form in which the engine reads
// structure files. It is never written back.
//
// Reading rules: the text ends at the first NUL byte; lines end at CR, LF or CR LF; each line is
// trimmed of blanks and control characters; empty lines and lines starting with ";" are skipped;
// "[name]" starts a section (name trimmed; a repeated name is a separate section, lookups find the
// first); lines before the first section are ignored; a line with "=" is a key line split at the
// first "=" (key and value trimmed); any other line is kept as a bare line. Section names and keys
// are compared without regard to case (Windows-1251 rules, Cyrillic included); values keep theirs;
// a repeated key in a section: lookups find the first.

#include "archive/Utils.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct TIniLine {
    bool IsKey = false;
    std::string Key;   // key lines: the trimmed key; bare lines: the whole trimmed line
    std::string Value; // key lines: the trimmed value; bare lines: empty

    // The line as the list operations give it: "key=value", or the bare line.
    std::string Text() const { return IsKey ? Key + "=" + Value : Key; }
};

struct TIniSection {
    std::string Name;
    std::vector<TIniLine> Lines; // key lines and bare lines, in file order

    // The first key line with that key (letter case ignored), or null.
    const TIniLine* FindKey(std::string_view key) const;
};

class TPakIniFile {
public:
    TPakIniFile() = default;
    // Reads the archive entry (or disk file) of that name. A missing name has shown the
    // "not found" message already and gives a file without sections.
    explicit TPakIniFile(const std::string& name);

    // A file parsed from bytes held by the caller (tests, the disc tool).
    static TPakIniFile FromBytes(std::string_view bytes);
    // Replaces the content with the one parsed from bytes.
    void LoadFromBytes(std::string_view bytes);

    // The list operations replace the target's content.
    // Section names in file order, repeated names included.
    void ReadSections(TStrings& target) const;
    // The keys of the first section of that name, in file order; empty when it is missing.
    void ReadSection(const std::string& section, TStrings& target) const;
    // The key lines ("key=value") of that section, in file order.
    void ReadSectionValues(const std::string& section, TStrings& target) const;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;

    // The first section of that name, or null; its lines in file order for the engine.
    const TIniSection* FindSection(const std::string& section) const;
    const std::vector<TIniSection>& Sections() const { return SectionList; }

private:
    std::vector<TIniSection> SectionList;
    // Lower-cased name -> index of the first section of that name.
    std::unordered_map<std::string, size_t> Index;
};
