#include "archive/Utils.h"

#include "platform/Codec1251.h"
#include "platform/ConvertError.h"
#include "platform/HostPath.h"
#include "platform/Services.h"

std::string ProgramDir() { return ProgramFolder(); }

std::string WindowsDir() { return DataFolder(); }

std::string ProgramPath(const std::string& name) {
    if (name.empty() || IsAbsolutePath(name))
        return name;
    return ProgramDir() + (name[0] == '\\' ? name.substr(1) : name);
}

std::string WithBackslash(const std::string& folder) {
    if (folder.empty() || IsPathSeparator(folder.back()))
        return folder;
    return folder + '\\';
}

std::string WithoutBackslash(const std::string& folder) {
    if (!folder.empty() && IsPathSeparator(folder.back()))
        return folder.substr(0, folder.size() - 1);
    return folder;
}

std::string ExpandPath(const std::string& name, const std::string& baseFolder) {
    std::string base = baseFolder.empty() ? ProgramDir() : baseFolder;
    if (name.empty() || IsAbsolutePath(name))
        return name;
    std::string rest = name;
    for (char& c : rest)
        if (c == '/')
            c = '\\';
    base = WithBackslash(base);
    int stepsUp = 0;
    while (rest.find("..\\") != std::string::npos) {
        SplitHead(rest, "..\\");
        if (!rest.empty())
            ++stepsUp;
    }
    if (stepsUp > 0) {
        std::string folder = WithoutBackslash(base);
        for (int i = 0; i < stepsUp; ++i) {
            const auto pos = folder.find_last_of("\\/");
            if (pos == std::string::npos)
                break; // a drive or bare name has no parent
            if (pos == 0) {
                folder = folder.substr(0, 1); // the host's root: never climb past it
                break;
            }
            folder = folder.substr(0, pos);
        }
        base = WithBackslash(folder);
    }
    return base + rest;
}

std::string SplitHead(std::string& text, std::string_view separator) {
    const auto pos = separator.empty() ? std::string::npos : text.find(separator);
    if (pos == std::string::npos) {
        std::string head = std::move(text);
        text.clear();
        return head;
    }
    std::string head = text.substr(0, pos);
    text.erase(0, pos + separator.size());
    return head;
}

std::string SplitTail(std::string& text, std::string_view separator) {
    const size_t n = separator.size();
    if (n > 0 && text.size() > n) {
        for (size_t p = text.size() - 1; p >= n; --p) {
            if (p + n <= text.size() && text.compare(p, n, separator) == 0) {
                std::string tail = text.substr(p + n - 1);
                text.resize(p);
                return tail;
            }
        }
    }
    std::string tail = std::move(text);
    text.clear();
    return tail;
}

std::string TextBefore(const std::string& text, std::string_view separator) {
    const auto pos = separator.empty() ? std::string::npos : text.find(separator);
    return pos == std::string::npos ? text : text.substr(0, pos);
}

std::string CutFirst(size_t count, std::string& text) {
    if (text.size() <= count) {
        std::string all = std::move(text);
        text.clear();
        return all;
    }
    std::string head = text.substr(0, count);
    text.erase(0, count);
    return head;
}

std::string Abbreviate(const std::string& text, size_t limit) {
    if (limit == 0 || text.size() < limit)
        return text;
    std::string kept = text.substr(0, limit - 1);
    const auto blank = kept.find_last_of(' ');
    if (blank == std::string::npos)
        return kept;
    return kept.substr(0, blank) + "...";
}

std::string Trim(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return std::string(text.substr(begin, end - begin));
}

bool TextToBool(const std::string& text, bool defaultValue) {
    const std::string t = cp1251::Lower(Trim(text));
    if (t == "true" || t == "1")
        return true;
    if (t == "false" || t == "0")
        return false;
    return defaultValue;
}

std::string BoolToText(bool value) { return value ? "1" : "0"; }

bool IsEven(int64_t value) { return value % 2 == 0; }

TColor ColorFromText(const std::string& text) {
    std::string t = text;
    if (!t.empty() && t[0] == '#') {
        const std::string digits = t.substr(1);
        if (digits.size() >= 6)
            t = "$" + digits.substr(4, 2) + digits.substr(2, 2) + digits.substr(0, 2);
        else
            t = "$" + digits;
    } else if (t.empty() || t[0] != '$') {
        t = "$" + t;
    }
    // Only "$" followed by hexadecimal digits is a colour.
    bool valid = t.size() > 1 && t.size() <= 9;
    for (size_t i = 1; valid && i < t.size(); ++i) {
        const char c = t[i];
        valid = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    }
    if (!valid)
        throw EConvertError("'" + text + "' is not a valid integer value");
    return StrToInt(t);
}

void FontFromText(TFontSpec& font, const std::string& spec) {
    std::string rest = spec;
    const std::string name = SplitHead(rest, "*");
    const std::string size = SplitHead(rest, "*");
    const std::string color = SplitHead(rest, "*");
    const std::string styles = SplitHead(rest, "*");
    if (!name.empty())
        font.Name = name;
    if (!size.empty())
        font.Size = StrToInt(size);
    if (!color.empty())
        font.Color = ColorFromText(color);
    if (!styles.empty()) {
        const std::string s = cp1251::Lower(styles);
        font.Italic = s.find('i') != std::string::npos;
        font.Bold = s.find('b') != std::string::npos;
        font.Underline = s.find('u') != std::string::npos;
        font.StrikeOut = false;
    }
}

void NamesOf(const TStrings& list, TStrings& target) {
    for (const auto& item : list)
        target.push_back(TextBefore(item, "="));
}

int FindInList(const TStrings& list, const std::string& text, int start,
               const std::function<void(int)>& progress, bool prefixOnly) {
    const std::string wanted = cp1251::Lower(text);
    for (int i = start < 0 ? 0 : start; i < static_cast<int>(list.size()); ++i) {
        const std::string item = cp1251::Lower(list[static_cast<size_t>(i)]);
        const auto pos = item.find(wanted);
        if (progress)
            progress(i + 1);
        if (prefixOnly ? pos == 0 : pos != std::string::npos)
            return i;
    }
    return -1;
}

bool ShellOpen(const std::string& file, const std::string& parameters, const std::string& verb) {
    return Shell().ShellOpen(file, parameters, verb);
}

int DriveKind(const std::string& path) {
    const auto host = ResolveHostFolder(path);
    return DriveKindOfPath(host ? *host : ToHostPath(path));
}

int ProgramDriveKind() { return DriveKind(ProgramDir()); }

std::string DefaultPrinter() { return Shell().DefaultPrinter(); }

bool CheckPrinter(const std::string& message) {
    if (!DefaultPrinter().empty())
        return false;
    if (!message.empty())
        Dialogs().ShowMessage(message);
    return true;
}

void SetWallpaper(const std::string& fileName, bool tile) {
    const std::string key = "Control Panel\\Desktop";
    if (Settings().WriteString(key, "Wallpaper", fileName))
        Settings().WriteString(key, "TileWallpaper", tile ? "1" : "0");
    Shell().ApplyWallpaper(fileName, tile);
}
