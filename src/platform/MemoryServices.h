#pragma once
// Implementations of the platform services that need no window system: messages on standard
// error (the disc tool), an in-memory settings store, a shell that starts nothing, and the
// recording dialogs that tests script.

#include "platform/Services.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

// Prints every message as UTF-8 on standard error; dialogs answer "cancel".
class TStderrDialogs : public TDialogService {
public:
    void ShowMessage(const std::string& text, const TFontSpec* font = nullptr) override;
    void ShowError(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    std::string OpenFileDialog(const std::string& filter) override;
    std::string SaveFileDialog(const std::string& fileName, const std::string& defaultExt,
                               const std::string& filter) override;
};

// Records everything it is asked and answers from scripts; an unscripted dialog answers cancel.
class TRecordingDialogs : public TDialogService {
public:
    enum class TKind { Message, Error, Confirm, OpenFile, SaveFile };
    struct TEntry {
        TKind Kind;
        std::string Text; // message text; for dialogs the filter (open) or file name (save)
        std::string Extra; // save dialog: default extension and filter, "ext|filter"
    };

    void ShowMessage(const std::string& text, const TFontSpec* font = nullptr) override;
    void ShowError(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    std::string OpenFileDialog(const std::string& filter) override;
    std::string SaveFileDialog(const std::string& fileName, const std::string& defaultExt,
                               const std::string& filter) override;

    std::vector<TEntry> Entries;
    std::deque<std::string> FileAnswers; // answers for open and save dialogs, in order
    std::deque<bool> ConfirmAnswers;     // unscripted: No

    // Texts of the message boxes and error dialogs, in order.
    std::vector<std::string> Messages() const;
    void Clear() { Entries.clear(); }
};

class TMemorySettings : public TSettingsStore {
public:
    bool WriteString(const std::string& key, const std::string& name,
                     const std::string& value) override;
    std::optional<std::string> ReadString(const std::string& key,
                                          const std::string& name) override;
    bool DeleteValue(const std::string& key, const std::string& name) override;
    std::map<std::string, std::string> Values; // by SettingsPath
};

class TNullShell : public TShellServices {
public:
    bool ShellOpen(const std::string&, const std::string&, const std::string&) override {
        return false;
    }
    std::string DefaultPrinter() override { return {}; }
    bool ApplyWallpaper(const std::string&, bool) override { return false; }
};

// Records shell requests for tests.
class TRecordingShell : public TShellServices {
public:
    struct TOpen {
        std::string File, Parameters, Verb;
    };
    bool ShellOpen(const std::string& file, const std::string& parameters,
                   const std::string& verb) override {
        Opened.push_back({file, parameters, verb});
        return true;
    }
    std::string DefaultPrinter() override { return Printer; }
    bool ApplyWallpaper(const std::string& fileName, bool tile) override {
        Wallpapers.emplace_back(fileName, tile);
        return true;
    }
    std::vector<TOpen> Opened;
    std::vector<std::pair<std::string, bool>> Wallpapers;
    std::string Printer;
};

// Installs a service for the lifetime of the guard and restores the previous one after.
template <typename TService, TService& (*Get)(), void (*Set)(TService*)>
class TServiceGuard {
public:
    explicit TServiceGuard(TService* service) : Previous(&Get()) { Set(service); }
    ~TServiceGuard() { Set(Previous); }
    TServiceGuard(const TServiceGuard&) = delete;
    TServiceGuard& operator=(const TServiceGuard&) = delete;

private:
    TService* Previous;
};
using TDialogsGuard = TServiceGuard<TDialogService, Dialogs, SetDialogs>;
using TSettingsGuard = TServiceGuard<TSettingsStore, Settings, SetSettings>;
using TShellGuard = TServiceGuard<TShellServices, Shell, SetShell>;
