// Program start: the command line, the platform services, then the main window (which opens the
// program folder and the archive itself), or the window of one structure file (--struct).

#include "app/CommandLine.h"
#include "app/Preview.h"
#include "app/frmMain.h"
#include "archive/Archive.h"
#include "archive/Utils.h"
#include "engine/SkStract.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"
#include "platform/Modal.h"
#include "platform/QtServices.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPixmap>

#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>

namespace {

// Messages of a run without a reader in front of it: one line each on the error stream, every
// question answered "no", every file dialog cancelled.
class TUnattendedDialogs : public TDialogService {
public:
    void ShowMessage(const std::string& text, const TFontSpec* = nullptr) override { Line(text); }
    void ShowError(const std::string& text) override { Line(text); }
    bool Confirm(const std::string& text) override {
        Line(text);
        return false;
    }
    std::string OpenFileDialog(const std::string&) override { return {}; }
    std::string SaveFileDialog(const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }

private:
    static void Line(const std::string& text) {
        std::string flat;
        for (char c : text)
            if (c != '\r')
                flat += c == '\n' ? ' ' : c;
        std::cerr << cp1251::ToUtf8(flat) << std::endl;
    }
};

// The reader's own window. --dump and --shot run it unattended: messages on the error stream,
// modal windows and menus closed at once, the user's stored positions and favorites untouched.
int RunMainWindow(const TCommandLine& line, const std::string& shot) {
    const bool unattended = line.Dump || !shot.empty();
    TUnattendedDialogs lineDialogs;
    TMemorySettings scratchSettings;
    std::unique_ptr<TDialogsGuard> dialogsGuard;
    std::unique_ptr<TSettingsGuard> settingsGuard;
    if (unattended) {
        dialogsGuard = std::make_unique<TDialogsGuard>(&lineDialogs);
        settingsGuard = std::make_unique<TSettingsGuard>(&scratchSettings);
        SetModalRunner([](QWidget* window) { window->close(); });
        SetMenuRunner([](QMenu*, const QPoint&) {});
    }
    int status = 0;
    {
        TfrmMain window;
        if (line.Dump) {
            for (const std::string& text : DumpLines(*window.Engine))
                std::cout << text << '\n';
            for (const std::string& text : window.StateLines())
                std::cout << text << '\n';
            std::cout.flush();
        } else if (!shot.empty()) {
            window.show();
            QApplication::processEvents();
            if (!window.grab().save(QString::fromStdString(shot), "PNG")) {
                std::cerr << "chitalka: cannot write " << shot << '\n';
                status = 1;
            }
        } else {
            window.show();
            status = QApplication::exec();
        }
    }
    if (unattended) {
        SetModalRunner(nullptr);
        SetMenuRunner(nullptr);
    }
    return status;
}

int RunReader(int argc, char** argv, const TCommandLine& line) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("chitalka"));
    QApplication::setApplicationDisplayName(QStringLiteral("Chitalka"));
    QApplication::setApplicationVersion(QStringLiteral(CHITALKA_VERSION));
    TQtPlatform platform;
    // The picture's name is the caller's, relative to the folder the reader was started in.
    const std::string shot =
        line.Shot.empty()
            ? std::string()
            : QFileInfo(QString::fromStdString(line.Shot)).absoluteFilePath().toStdString();
    if (!line.Disc.empty())
        SetProgramFolderOverride(cp1251::FromUtf8(line.Disc));
    if (line.Struct.empty())
        return RunMainWindow(line, shot);

    // The author's preview of one structure file. Names relative to the disc are read from the
    // program folder, as the disc expects.
    QDir::setCurrent(QString::fromStdString(ToHostPath(ProgramDir())));
    OpenArchive("interface.dat");
    TPreviewRequest request;
    request.StructFile = cp1251::FromUtf8(line.Struct);
    request.Dump = line.Dump;
    request.Shot = shot;
    const int status = RunPreview(request, std::cout, std::cerr);
    CloseArchive();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    const TCommandLine line = ParseCommandLine(std::vector<std::string>(argv, argv + argc));
    if (!line.Error.empty()) {
        std::cerr << "chitalka: " << line.Error << "\n\n" << UsageText();
        return 2;
    }
    if (line.Help) {
        std::cout << UsageText();
        return 0;
    }
    if (line.Version) {
        std::cout << "chitalka " CHITALKA_VERSION "\n";
        return 0;
    }
    try {
        return RunReader(argc, argv, line);
    } catch (const std::exception& error) {
        std::cerr << "chitalka: " << cp1251::ToUtf8(error.what()) << '\n';
        return 1;
    }
}
