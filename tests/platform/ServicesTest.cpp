#include "common/TestSupport.h"
#include "platform/MemoryServices.h"

#include <gtest/gtest.h>

TEST(Settings, PathIsCaseFoldedAndNormalised) {
    EXPECT_EQ(SettingsPath("\\Software\\Tavrel\\Marovind", "pos_frmMain"),
              "software/tavrel/marovind/pos_frmmain");
    EXPECT_EQ(SettingsPath("Software\\\\X\\", W("Имя")), W("software/x/имя"));
    EXPECT_EQ(SettingsPath("Control Panel\\Desktop", "Wallpaper"), "control panel/desktop/wallpaper");
}

TEST(Settings, MemoryStoreMatchesKeysWithoutRegardToCase) {
    TMemorySettings store;
    EXPECT_TRUE(store.WriteString("\\Software\\A", "Favorite_0", "Value"));
    EXPECT_EQ(store.ReadString("software\\a\\", "FAVORITE_0").value_or("?"), "Value");
    EXPECT_FALSE(store.ReadString("software\\b", "favorite_0").has_value());
    EXPECT_TRUE(store.DeleteValue("\\SOFTWARE\\A", "favorite_0"));
    EXPECT_FALSE(store.DeleteValue("\\SOFTWARE\\A", "favorite_0"));
}

TEST(Services, GuardsInstallAndRestore) {
    TRecordingDialogs outer, inner;
    TDialogsGuard g1(&outer);
    {
        TDialogsGuard g2(&inner);
        Dialogs().ShowMessage("inner");
    }
    Dialogs().ShowError("outer");
    inner.FileAnswers.push_back("/tmp/chosen.txt");
    EXPECT_EQ(inner.Messages(), std::vector<std::string>{"inner"});
    EXPECT_EQ(outer.Messages(), std::vector<std::string>{"outer"});
    ASSERT_EQ(outer.Entries.size(), 1u);
    EXPECT_EQ(outer.Entries[0].Kind, TRecordingDialogs::TKind::Error);
}

TEST(Services, RecordingDialogsAnswerFromScriptThenCancel) {
    TRecordingDialogs dialogs;
    dialogs.FileAnswers = {"/a.txt"};
    dialogs.ConfirmAnswers = {true};
    EXPECT_EQ(dialogs.OpenFileDialog("*.txt"), "/a.txt");
    EXPECT_EQ(dialogs.SaveFileDialog("x.doc", "doc", "*.doc"), "");
    EXPECT_TRUE(dialogs.Confirm("?"));
    EXPECT_FALSE(dialogs.Confirm("?"));
    ASSERT_EQ(dialogs.Entries.size(), 4u);
    EXPECT_EQ(dialogs.Entries[0].Text, "*.txt");
    EXPECT_EQ(dialogs.Entries[1].Text, "x.doc");
    EXPECT_EQ(dialogs.Entries[1].Extra, "doc|*.doc");
}
