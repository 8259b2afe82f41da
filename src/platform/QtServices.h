#pragma once
// The Qt implementations of the platform services: real message boxes and file dialogs, the
// settings store in an INI file of the user's configuration folder, the desktop's shell.

#include "platform/Services.h"

#include <QString>

#include <memory>

class QSettings;

class TQtDialogs : public TDialogService {
public:
    void ShowMessage(const std::string& text, const TFontSpec* font = nullptr) override;
    void ShowError(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    std::string OpenFileDialog(const std::string& filter) override;
    std::string SaveFileDialog(const std::string& fileName, const std::string& defaultExt,
                               const std::string& filter) override;
};

// Keys are stored in their normal form (SettingsPath), so letter case never matters.
class TQtSettingsStore : public TSettingsStore {
public:
    // The default file is "registry.ini" in the user's configuration folder for the reader.
    TQtSettingsStore();
    explicit TQtSettingsStore(const QString& fileName);
    ~TQtSettingsStore() override;
    bool WriteString(const std::string& key, const std::string& name,
                     const std::string& value) override;
    std::optional<std::string> ReadString(const std::string& key,
                                          const std::string& name) override;
    bool DeleteValue(const std::string& key, const std::string& name) override;
    QString FileName() const;

private:
    std::unique_ptr<QSettings> Store;
};

class TQtShell : public TShellServices {
public:
    bool ShellOpen(const std::string& file, const std::string& parameters,
                   const std::string& verb) override;
    std::string DefaultPrinter() override;
    bool ApplyWallpaper(const std::string& fileName, bool tile) override;
};

// Installs the three Qt services for the life of the object.
class TQtPlatform {
public:
    TQtPlatform();
    ~TQtPlatform();
    TQtPlatform(const TQtPlatform&) = delete;
    TQtPlatform& operator=(const TQtPlatform&) = delete;

private:
    TQtDialogs DialogService;
    TQtSettingsStore SettingsService;
    TQtShell ShellService;
};
