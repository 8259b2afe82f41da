#include "ControlsFixture.h"

#include "SkinControl/SkSkin.h"
#include "common/TestSupport.h"
#include "platform/Skin.h"

TEST_F(ControlsTest, SkinFilesAreRegisteredOncePerFileName) {
    TTempDir dir;
    const std::string first = dir.Folder() + "one/Blue.skn";
    const std::string second = dir.Folder() + "two/blue.SKN";
    TSkSkin skins(&Window);
    EXPECT_FALSE(skins.RegisterSkin(""));
    EXPECT_TRUE(skins.RegisterSkin(first));
    EXPECT_FALSE(skins.RegisterSkin(second));
    EXPECT_FALSE(skins.RegisterSkin("BLUE.SKN"));
    EXPECT_TRUE(skins.RegisterSkin("skins\\green.skn"));
    ASSERT_EQ(skins.SkinEntries().size(), 2u);
    EXPECT_EQ(skins.SkinEntries()[0].FileName, "Blue.skn");
    EXPECT_EQ(skins.SkinEntries()[1].FileName, "green.skn");

    TThemeLink* link = skins.FindSkin(first);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Path(), first); // the path as given
    for (const std::string& name :
         {second, std::string("blue.skn"), std::string("c:\\x\\BLUE.skn")})
        EXPECT_EQ(skins.FindSkin(name), link) << name;
    EXPECT_EQ(skins.FindSkin("skins/GREEN.skn"), skins.SkinEntries()[1].Link.get());
    EXPECT_EQ(skins.FindSkin("red.skn"), nullptr);
    EXPECT_EQ(skins.FindSkin(""), nullptr);
}
