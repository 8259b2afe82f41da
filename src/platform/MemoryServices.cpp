#include "platform/MemoryServices.h"

#include "platform/Codec1251.h"

#include <iostream>

void TStderrDialogs::ShowMessage(const std::string& text, const TFontSpec*) {
    std::cerr << cp1251::ToUtf8(text) << std::endl;
}
void TStderrDialogs::ShowError(const std::string& text) {
    std::cerr << cp1251::ToUtf8(text) << std::endl;
}
bool TStderrDialogs::Confirm(const std::string& text) {
    std::cerr << cp1251::ToUtf8(text) << std::endl;
    return false;
}
std::string TStderrDialogs::OpenFileDialog(const std::string&) { return {}; }
std::string TStderrDialogs::SaveFileDialog(const std::string&, const std::string&,
                                           const std::string&) {
    return {};
}

void TRecordingDialogs::ShowMessage(const std::string& text, const TFontSpec*) {
    Entries.push_back({TKind::Message, text, {}});
}
void TRecordingDialogs::ShowError(const std::string& text) {
    Entries.push_back({TKind::Error, text, {}});
}
bool TRecordingDialogs::Confirm(const std::string& text) {
    Entries.push_back({TKind::Confirm, text, {}});
    if (ConfirmAnswers.empty())
        return false;
    const bool answer = ConfirmAnswers.front();
    ConfirmAnswers.pop_front();
    return answer;
}
std::string TRecordingDialogs::OpenFileDialog(const std::string& filter) {
    Entries.push_back({TKind::OpenFile, filter, {}});
    if (FileAnswers.empty())
        return {};
    std::string answer = FileAnswers.front();
    FileAnswers.pop_front();
    return answer;
}
std::string TRecordingDialogs::SaveFileDialog(const std::string& fileName,
                                              const std::string& defaultExt,
                                              const std::string& filter) {
    Entries.push_back({TKind::SaveFile, fileName, defaultExt + "|" + filter});
    if (FileAnswers.empty())
        return {};
    std::string answer = FileAnswers.front();
    FileAnswers.pop_front();
    return answer;
}
std::vector<std::string> TRecordingDialogs::Messages() const {
    std::vector<std::string> out;
    for (const auto& entry : Entries)
        if (entry.Kind == TKind::Message || entry.Kind == TKind::Error)
            out.push_back(entry.Text);
    return out;
}

bool TMemorySettings::WriteString(const std::string& key, const std::string& name,
                                  const std::string& value) {
    Values[SettingsPath(key, name)] = value;
    return true;
}
std::optional<std::string> TMemorySettings::ReadString(const std::string& key,
                                                       const std::string& name) {
    auto it = Values.find(SettingsPath(key, name));
    if (it == Values.end())
        return std::nullopt;
    return it->second;
}
bool TMemorySettings::DeleteValue(const std::string& key, const std::string& name) {
    return Values.erase(SettingsPath(key, name)) > 0;
}
