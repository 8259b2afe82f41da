// Program start: the command line, the platform services, the program folder and the archive.

#include "app/CommandLine.h"
#include "app/DiscOverview.h"
#include "archive/Archive.h"
#include "archive/Utils.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/QtServices.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

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
    if (!line.Disc.empty())
        SetProgramFolderOverride(cp1251::FromUtf8(line.Disc));
    // Names relative to the disc are read from the program folder, as the disc expects.
    QDir::setCurrent(QString::fromStdString(ToHostPath(ProgramDir())));
    OpenArchive("interface.dat");

    if (!line.Struct.empty()) {
        std::cerr << "chitalka: building windows from structure files (--struct) is not built "
                     "yet in this version.\n";
        CloseArchive();
        return 2;
    }
    int status = 0;
    {
        TDiscOverview overview;
        if (line.Dump) {
            for (const QString& entry : overview.EntryLines())
                std::cout << entry.toStdString() << '\n';
        } else if (!line.Shot.empty()) {
            overview.show();
            QApplication::processEvents();
            if (!overview.grab().save(QString::fromStdString(line.Shot))) {
                std::cerr << "chitalka: cannot write " << line.Shot << '\n';
                status = 1;
            }
        } else {
            overview.show();
            status = QApplication::exec();
        }
    }
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
