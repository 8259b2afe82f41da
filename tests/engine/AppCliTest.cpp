// The reader's command line: what it parses, and the author's preview run as a program offscreen
// on a small loose-file disc (--struct with --dump and --shot).

#include "common/TestSupport.h"

#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(CommandLine, Parsing) {
    const struct {
        std::vector<std::string> Args;
        std::string Disc, Struct, Shot;
        bool Dump, Help, Error;
    } cases[] = {
        {{}, "", "", "", false, false, false},
        {{"--disc", "/d", "--struct", "s.txt", "--dump"}, "/d", "s.txt", "", true, false, false},
        {{"--struct", "s.txt", "--shot", "a.png"}, "", "s.txt", "a.png", false, false, false},
        {{"--struct"}, "", "", "", false, false, true},
        {{"--wobble"}, "", "", "", false, false, true},
        {{"-platform", "offscreen", "--dump"}, "", "", "", true, false, false},
        {{"--help"}, "", "", "", false, true, false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"chitalka"};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const TCommandLine line = ParseCommandLine(args);
        SCOPED_TRACE(args.size() > 1 ? args[1] : "(none)");
        EXPECT_EQ(line.Disc, c.Disc);
        EXPECT_EQ(line.Struct, c.Struct);
        EXPECT_EQ(line.Shot, c.Shot);
        EXPECT_EQ(line.Dump, c.Dump);
        EXPECT_EQ(line.Help, c.Help);
        EXPECT_EQ(!line.Error.empty(), c.Error);
    }
}

struct TRun {
    int Status = -1;
    std::vector<std::string> Out;
    std::string Err;
};

// Runs the built reader offscreen; standard error goes to a file so Qt's own warnings never mix
// with the dump.
TRun RunReader(const TTempDir& dir, const std::string& arguments) {
    const std::string errFile = (dir.Path() / "stderr.txt").string();
    const std::string command = std::string("QT_QPA_PLATFORM=offscreen '") + CHITALKA_READER +
                                "' --disc '" + dir.Path().string() + "' " + arguments + " 2>'" +
                                errFile + "'";
    TRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    run.Status = pclose(pipe);
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        run.Out.push_back(line);
    run.Err = ReadFileBytes(errFile);
    return run;
}

// A structure file as the disc stores it: Windows-1251, CR LF.
void WriteStruct(const TTempDir& dir, const std::string& name, const std::string& utf8) {
    std::string text;
    for (char c : utf8) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    dir.Write(name, W(text));
}

TEST(Preview, DumpListsEveryObjectInCreationOrder) {
    TTempDir dir;
    WriteStruct(dir, "view.txt",
                "[Окно]\ntype=form\nwidth=600\nheight=400\n"
                "[child]\ntype=button\nmaster=box\nleft=4\ntop=5\nwidth=60\nheight=20\n"
                "[box]\ntype=panel\nleft=10\ntop=20\nwidth=200\nheight=100\n"
                "[кнопка]\ntype=button\nleft=1\ntop=2\nwidth=80\nheight=25\nenabled=0\n"
                "[hidden]\ntype=label\nleft=0\ntop=0\nwidth=30\nheight=10\nvisible=0\n"
                "[scroll]\ntype=scroll_box\nleft=0\ntop=200\nwidth=100\nheight=80\n"
                "[inner]\ntype=label\nmaster=scroll\nleft=3\ntop=4\nwidth=20\nheight=10\n"
                "[odd]\ntype=wobble\n");
    const TRun run = RunReader(dir, "--struct view.txt --dump");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, (std::vector<std::string>{"box\tpanel\tОкно\t10\t20\t200\t100\t1\t1",
                                                 "child\tbutton\tbox\t4\t5\t60\t20\t1\t1",
                                                 "кнопка\tbutton\tОкно\t1\t2\t80\t25\t1\t0",
                                                 "hidden\tlabel\tОкно\t0\t0\t30\t10\t0\t1",
                                                 "scroll\tscroll_box\tОкно\t0\t200\t100\t80\t1\t1",
                                                 "inner\tlabel\tscroll\t3\t4\t20\t10\t1\t1"}));
    // Reports go to standard error, one a line.
    EXPECT_NE(run.Err.find("view.txt MakeObject. Объект odd имеет неизвестный тип wobble\n"),
              std::string::npos)
        << run.Err;
}

TEST(Preview, ShotSavesAPictureOfTheWindow) {
    TTempDir dir;
    WriteStruct(dir, "view.txt",
                "[w]\ntype=form\nwidth=300\nheight=200\n[b]\ntype=button\n"
                "caption=OK\nleft=10\ntop=10\nwidth=80\nheight=24\n");
    const auto png = dir.Path() / "shot.png";
    const TRun run = RunReader(dir, "--struct view.txt --shot '" + png.string() + "'");
    EXPECT_EQ(run.Status, 0) << run.Err;
    const std::string bytes = ReadFileBytes(png);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
}

TEST(Preview, MissingStructureFileIsSaidOnStandardError) {
    TTempDir dir;
    const TRun run = RunReader(dir, "--struct nothing.txt --dump");
    EXPECT_EQ(run.Status, 0);
    EXPECT_TRUE(run.Out.empty());
    EXPECT_NE(run.Err.find("Не найден файл  nothing.txt\n"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("Нету данных в nothing.txt. Это безусловно End...\n"), std::string::npos)
        << run.Err;
}

} // namespace
