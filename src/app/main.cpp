// Program start: the command line, the platform services, the program folder and the archive,
// then the window built from a structure file.

#include "app/CommandLine.h"
#include "app/Preview.h"
#include "archive/Archive.h"
#include "archive/Utils.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/QtServices.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <exception>
#include <iostream>

namespace {

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
    // Names relative to the disc are read from the program folder, as the disc expects.
    QDir::setCurrent(QString::fromStdString(ToHostPath(ProgramDir())));
    OpenArchive("interface.dat");

    // Until the main window is built from "struct_main.txt", the reader opens the disc's gallery
    // of controls; --struct previews any other structure file.
    TPreviewRequest request;
    request.StructFile =
        line.Struct.empty() ? std::string("struct_gallery.txt") : cp1251::FromUtf8(line.Struct);
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
