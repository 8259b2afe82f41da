#include "platform/Services.h"

#include "platform/Codec1251.h"
#include "platform/MemoryServices.h"


namespace {

TStderrDialogs gStderrDialogs;
TMemorySettings gMemorySettings;
TNullShell gNullShell;

TDialogService* gDialogs = nullptr;
TSettingsStore* gSettings = nullptr;
TShellServices* gShell = nullptr;

} // namespace

TDialogService& Dialogs() { return gDialogs ? *gDialogs : gStderrDialogs; }
TSettingsStore& Settings() { return gSettings ? *gSettings : gMemorySettings; }
TShellServices& Shell() { return gShell ? *gShell : gNullShell; }
void SetDialogs(TDialogService* service) { gDialogs = service; }
void SetSettings(TSettingsStore* store) { gSettings = store; }
void SetShell(TShellServices* shell) { gShell = shell; }

std::string SettingsPath(const std::string& key, const std::string& name) {
    std::string out;
    std::string part;
    auto flush = [&] {
        if (part.empty())
            return;
        if (!out.empty())
            out += '/';
        out += cp1251::Lower(part);
        part.clear();
    };
    for (char c : key) {
        if (c == '\\' || c == '/')
            flush();
        else
            part += c;
    }
    flush();
    part = name;
    flush();
    return out;
}
