#include "app/CommandLine.h"

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine line;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= args.size()) {
                line.Error = a + " needs a value";
                return;
            }
            target = args[++i];
        };
        if (a == "-h" || a == "--help" || a == "--help-all")
            line.Help = true;
        else if (a == "-v" || a == "--version")
            line.Version = true;
        else if (a == "--disc")
            value(line.Disc);
        else if (a == "--struct")
            value(line.Struct);
        else if (a == "--shot")
            value(line.Shot);
        else if (a == "--dump")
            line.Dump = true;
        else if (a.rfind("-platform", 0) == 0 || a.rfind("-style", 0) == 0 ||
                 a.rfind("-display", 0) == 0) {
            ++i; // Qt's own options, with their value, are Qt's business
        } else {
            line.Error = "unknown argument: " + a;
        }
        if (!line.Error.empty())
            break;
    }
    return line;
}

std::string UsageText() {
    return "Usage: chitalka [--disc DIR] [--struct FILE] [--dump] [--shot FILE.png]\n"
           "\n"
           "Reads the essay collection on the disc in DIR (default: the program's folder),\n"
           "from its interface.dat archive or from loose files.\n"
           "\n"
           "  --disc DIR       the disc folder to read\n"
           "  --struct FILE    build one structure file in a generic window (author's preview)\n"
           "  --dump           print what was built, one line per object, then exit\n"
           "  --shot FILE.png  save a picture of the window, then exit\n"
           "  -h, --help       show this help\n"
           "  -v, --version    show the version\n";
}
