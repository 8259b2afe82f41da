#pragma once
// The services the system asks of its platform: message boxes and common dialogs, the settings
// store (the registry's place), and the shell, printer and desktop functions. Each is an interface
// with a process-wide current implementation: the reader installs the Qt ones, the disc tool
// prints to standard error, tests install recording ones and script the answers. All texts are
// Windows-1251 bytes.

#include <optional>
#include <string>

struct TFontSpec;

// Message boxes and the common dialogs.
class TDialogService {
public:
    virtual ~TDialogService() = default;
    // A plain modal message box (the skin engine's box where the system shows one). font: the
    // message font a window asked for, or none.
    virtual void ShowMessage(const std::string& text, const TFontSpec* font = nullptr) = 0;
    // The error dialog of configuration errors: error icon, a single button.
    virtual void ShowError(const std::string& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool Confirm(const std::string& text) = 0;
    // The open-file dialog; filter such as "*.txt" or "*". Empty when the user cancels.
    virtual std::string OpenFileDialog(const std::string& filter) = 0;
    // The save dialog: suggested file name, default extension (without the dot), filter.
    // Empty when the user cancels.
    virtual std::string SaveFileDialog(const std::string& fileName, const std::string& defaultExt,
                                       const std::string& filter) = 0;
};

// HKEY_CURRENT_USER below the keys the Parts name ("\Software\…"). Key paths and value names are
// matched without regard to letter case, as the registry does; values keep theirs.
class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;
    virtual bool WriteString(const std::string& key, const std::string& name,
                             const std::string& value) = 0;
    virtual std::optional<std::string> ReadString(const std::string& key,
                                                  const std::string& name) = 0;
    virtual bool DeleteValue(const std::string& key, const std::string& name) = 0;
};

// The shell and desktop functions of the system utilities.
class TShellServices {
public:
    virtual ~TShellServices() = default;
    // verb: "open" or "edit"; false when nothing could be started.
    virtual bool ShellOpen(const std::string& file, const std::string& parameters,
                           const std::string& verb) = 0;
    // The default printer's name, empty when there is none.
    virtual std::string DefaultPrinter() = 0;
    // Applies the wallpaper settings just written to the settings store to the desktop, where
    // the desktop offers a way. False when it could not.
    virtual bool ApplyWallpaper(const std::string& fileName, bool tile) = 0;
};

TDialogService& Dialogs();
TSettingsStore& Settings();
TShellServices& Shell();
// Install an implementation (not owned; nullptr restores the built-in one: messages to standard
// error, settings in memory, a shell that starts nothing).
void SetDialogs(TDialogService* service);
void SetSettings(TSettingsStore* store);
void SetShell(TShellServices* shell);

// Normal form of a registry key path and value name for stores that are case-sensitive
// underneath: components lower-cased, "\" separators collapsed, no leading or trailing one,
// joined by "/". "\Software\Tavrel\Marovind", "pos_frmMain" gives
// "software/tavrel/marovind/pos_frmmain".
std::string SettingsPath(const std::string& key, const std::string& name);
