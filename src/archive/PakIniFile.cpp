#include "archive/PakIniFile.h"

#include "archive/Archive.h"
#include "archive/ResourceLoaders.h"
#include "platform/Codec1251.h"

namespace {

std::string_view TrimView(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

} // namespace

const TIniLine* TIniSection::FindKey(std::string_view key) const {
    for (const TIniLine& line : Lines)
        if (line.IsKey && line.Key.size() == key.size() && cp1251::EqualNoCase(line.Key, key))
            return &line;
    return nullptr;
}

TPakIniFile::TPakIniFile(const std::string& name) {
    const TPack pack(name);
    LoadFromBytes(pack.View());
}

TPakIniFile TPakIniFile::FromBytes(std::string_view bytes) {
    TPakIniFile file;
    file.LoadFromBytes(bytes);
    return file;
}

void TPakIniFile::LoadFromBytes(std::string_view bytes) {
    SectionList.clear();
    Index.clear();
    ForEachTextLine(bytes, [this](std::string_view raw) {
        const std::string_view line = TrimView(raw);
        if (line.empty() || line.front() == ';')
            return;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            TIniSection& section = SectionList.emplace_back();
            section.Name = std::string(TrimView(line.substr(1, line.size() - 2)));
            // emplace keeps the first section of a repeated name.
            Index.emplace(cp1251::Lower(section.Name), SectionList.size() - 1);
            return;
        }
        if (SectionList.empty())
            return; // text before the first section belongs to none
        TIniLine& entry = SectionList.back().Lines.emplace_back();
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            entry.Key = std::string(line);
            return;
        }
        entry.IsKey = true;
        entry.Key = std::string(TrimView(line.substr(0, equals)));
        entry.Value = std::string(TrimView(line.substr(equals + 1)));
    });
}

const TIniSection* TPakIniFile::FindSection(const std::string& section) const {
    const auto it = Index.find(cp1251::Lower(section));
    return it == Index.end() ? nullptr : &SectionList[it->second];
}

void TPakIniFile::ReadSections(TStrings& target) const {
    target.clear();
    target.reserve(SectionList.size());
    for (const TIniSection& section : SectionList)
        target.push_back(section.Name);
}

void TPakIniFile::ReadSection(const std::string& section, TStrings& target) const {
    target.clear();
    if (const TIniSection* found = FindSection(section))
        for (const TIniLine& line : found->Lines)
            if (line.IsKey)
                target.push_back(line.Key);
}

void TPakIniFile::ReadSectionValues(const std::string& section, TStrings& target) const {
    target.clear();
    if (const TIniSection* found = FindSection(section))
        for (const TIniLine& line : found->Lines)
            if (line.IsKey)
                target.push_back(line.Text());
}

std::string TPakIniFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) const {
    if (const TIniSection* found = FindSection(section))
        if (const TIniLine* line = found->FindKey(key))
            return line->Value;
    return defaultValue;
}

bool TPakIniFile::SectionExists(const std::string& section) const {
    return FindSection(section) != nullptr;
}

bool TPakIniFile::ValueExists(const std::string& section, const std::string& key) const {
    const TIniSection* found = FindSection(section);
    return found && found->FindKey(key);
}
