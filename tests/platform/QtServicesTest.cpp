#include "common/TestSupport.h"
#include "platform/QtServices.h"
#include "platform/QtText.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(QtText, BoundaryConversionIsByteExact) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(FromQString(ToQString(all)), all);
    EXPECT_EQ(ToQString(W("Ёж")), QString::fromUtf8("Ёж"));
    EXPECT_EQ(FromQString(QString::fromUtf8("中")), "?");
}

TEST(QtSettingsStore, PersistsAndMatchesWithoutRegardToCase) {
    TTempDir dir;
    const QString file = QString::fromStdString((dir.Path() / "registry.ini").string());
    {
        TQtSettingsStore store(file);
        EXPECT_TRUE(store.WriteString("\\Software\\Tavrel\\Marovind", "pos_frmMain",
                                      W("10;20;300;400;Окно")));
        EXPECT_TRUE(store.WriteString("\\Software\\Tavrel\\Marovind", "favorite_0", "a.htm"));
        EXPECT_TRUE(store.DeleteValue("\\software\\tavrel\\marovind", "FAVORITE_0"));
    }
    // A new store over the same file sees what the first one wrote.
    TQtSettingsStore again(file);
    EXPECT_EQ(again.ReadString("\\SOFTWARE\\TAVREL\\MAROVIND", "POS_FRMMAIN").value_or("?"),
              W("10;20;300;400;Окно"));
    EXPECT_FALSE(again.ReadString("\\Software\\Tavrel\\Marovind", "favorite_0").has_value());
    // Nothing is written beside the program under a registry-looking name.
    EXPECT_FALSE(QFile::exists(QStringLiteral("HKEY_CURRENT_USER")));
}
