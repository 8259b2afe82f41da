#include "common/TestSupport.h"
#include "platform/HostPath.h"

#include <gtest/gtest.h>

TEST(HostPath, AbsoluteMeansHostAbsolute) {
    EXPECT_TRUE(IsAbsolutePath("/usr/share"));
    EXPECT_FALSE(IsAbsolutePath("\\pics\\x.bmp")); // program-relative to the callers
    EXPECT_FALSE(IsAbsolutePath("docs/a.htm"));
    EXPECT_FALSE(IsAbsolutePath(""));
}

TEST(HostPath, HostSpellingUsesSlashesAndUtf8) {
    EXPECT_EQ(ToHostPath(W("папка\\файл.htm")), "папка/файл.htm");
    EXPECT_EQ(FromHostPath("папка/файл.htm"), W("папка/файл.htm"));
}

TEST(HostPath, ResolvesExactThenWithoutRegardToCase) {
    TTempDir dir;
    dir.Write("Docs/Глава/Essay One.HTM", "x");
    const std::string base = dir.Folder();
    struct TCase {
        std::string Name;
        bool Found;
    };
    const TCase cases[] = {
        {base + W("Docs/Глава/Essay One.HTM"), true},
        {base + W("docs\\глава\\essay one.htm"), true},
        {base + W("DOCS/ГЛАВА/ESSAY ONE.htm"), true},
        {base + W("docs/глава"), false},        // a folder is not a file
        {base + W("docs/глава/essay.htm"), false},
        {base + W("docs/essay one.htm"), false},
        {base + W("docs/глава/essay one.htm/x"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HostFileExists(c.Name), c.Found) << cp1251::ToUtf8(c.Name);
    const auto folder = ResolveHostFolder(base + W("DOCS\\ГЛАВА"));
    ASSERT_TRUE(folder);
    EXPECT_EQ(*folder, (dir.Path() / "Docs/Глава").string());
}

TEST(HostPath, ReadHostFileReadsWholeFileAndReportsMissing) {
    TTempDir dir;
    std::string bytes("a\0b\r\nc", 6);
    dir.Write("f.bin", bytes);
    std::string out = "old";
    EXPECT_TRUE(ReadHostFile(dir.Folder() + "F.BIN", out));
    EXPECT_EQ(out, bytes);
    EXPECT_FALSE(ReadHostFile(dir.Folder() + "none.bin", out));
    EXPECT_TRUE(out.empty());
}

TEST(HostPath, ProgramFolderOverrideHasTrailingSeparator) {
    TTempDir dir;
    SetProgramFolderOverride(dir.Path().string());
    EXPECT_EQ(ProgramFolder(), dir.Folder());
    SetProgramFolderOverride("");
    EXPECT_FALSE(ProgramFolder().empty());
    EXPECT_EQ(ProgramFolder().back(), '/');
}

TEST(DriveKind, FromMountTable) {
    const char* mounts = "/dev/vda1 / ext4 rw 0 0\n"
                         "tmpfs /tmp tmpfs rw 0 0\n"
                         "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
                         "/dev/sdb1 /media/usb vfat rw 0 0\n"
                         "server:/x /mnt/net nfs4 rw 0 0\n"
                         "/dev/loop0 /mnt/My\\040Disc udf ro 0 0\n"
                         "/dev/sdc1 /data ext4 rw 0 0\n";
    auto removable = [](const std::string& device) { return device == "sdb"; };
    struct TCase {
        const char* Path;
        int Kind;
    };
    const TCase cases[] = {{"/home/u", dkFixed},          {"/tmp/x", dkRamDisk},
                           {"/media/cdrom/a", dkCdRom},   {"/media/cdromx", dkFixed},
                           {"/media/usb", dkRemovable},   {"/mnt/net/y", dkNetwork},
                           {"/mnt/My Disc/z", dkCdRom},   {"/data/z", dkFixed}};
    for (const auto& c : cases)
        EXPECT_EQ(DriveKindFromMounts(mounts, c.Path, +removable), c.Kind) << c.Path;
}
