// The reader's start-up on the demo disc of the build folder: the main window constructed (the
// archive opened, "struct_main.txt" built, "tree2.txt" loaded), shown and its events processed,
// until the view holds the first essay. Destroying the window is not measured.

#include "app/frmMain.h"
#include "archive/Archive.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/MemoryServices.h"
#include "platform/Modal.h"
#include "viewer/SkHtml.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

// A message box during start-up means the disc did not build cleanly: the figure would not be
// the start-up's.
class TCountingDialogs : public TRecordingDialogs {
public:
    void ShowMessage(const std::string& text, const TFontSpec* font = nullptr) override {
        TRecordingDialogs::ShowMessage(text, font);
        if (First.empty())
            First = cp1251::ToUtf8(text);
    }
    void ShowError(const std::string& text) override {
        TRecordingDialogs::ShowError(text);
        if (First.empty())
            First = cp1251::ToUtf8(text);
    }
    std::string First;
};

// The first essay of the demo's tree: the document the start must end on.
const char* const kFirstEssay = "essays\\kraj\\predislovie.htm";

bool ShowsFirstEssay(const TfrmMain& window) {
    if (!window.Html)
        return false;
    const std::string file = cp1251::Lower(window.Html->CurrentFile());
    const std::string tail = std::string("kraj/predislovie.htm");
    std::string slashed = file;
    for (char& c : slashed)
        if (c == '\\')
            c = '/';
    return slashed.size() >= tail.size() &&
           slashed.compare(slashed.size() - tail.size(), tail.size(), tail) == 0 &&
           window.CurrentDoc == kFirstEssay;
}

void BM_StartupToFirstEssay(benchmark::State& state) {
    const std::string folder = CHITALKA_BUILD_DIR;
    if (!QFile::exists(QString::fromStdString(folder + "/interface.dat"))) {
        state.SkipWithError("no interface.dat in the build folder (build demo_disc)");
        return;
    }
    const QString previousFolder = QDir::currentPath();
    CloseArchive();
    SetProgramFolderOverride(FromHostPath(folder));
    TCountingDialogs dialogs;
    // One store for every run, as a real restart keeps its settings (the saved position).
    TMemorySettings settings;
    const TDialogsGuard dialogsGuard(&dialogs);
    const TSettingsGuard settingsGuard(&settings);
    SetModalRunner([](QWidget* window) { window->close(); });
    SetMenuRunner([](QMenu*, const QPoint&) {});

    for (auto _ : state) {
        auto window = std::make_unique<TfrmMain>();
        window->show();
        QApplication::processEvents();
        // The first essay is normally shown by now; a few more rounds of events at most.
        for (int round = 0; round < 100 && !ShowsFirstEssay(*window); ++round)
            QApplication::processEvents();
        const bool shown = ShowsFirstEssay(*window);
        state.PauseTiming();
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
        if (!dialogs.First.empty()) {
            state.SkipWithError(("a message during start-up: " + dialogs.First).c_str());
            break;
        }
        if (!shown) {
            state.SkipWithError("the view does not hold the first essay");
            break;
        }
    }

    SetModalRunner(nullptr);
    SetMenuRunner(nullptr);
    CloseArchive();
    SetProgramFolderOverride("");
    QDir::setCurrent(previousFolder);
}
BENCHMARK(BM_StartupToFirstEssay)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The window needs a platform; without a display the offscreen one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
