#include "FormTestSupport.h"
#include "common/TestSupport.h"

#include "archive/BmpCodec.h"
#include "archive/JpegCodec.h"
#include "platform/Skin.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <string>

namespace {

std::string BmpOf(int w, int h, uint32_t argb) {
    return EncodeBmp(TBitmap(w, h, argb));
}

std::string PngOf(int w, int h, QColor color) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// A 1 x 1 GIF whose only pixel is red.
const std::string kRedGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
                          ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                          35);

// The files the style sheet's picture urls point to.
QStringList PictureFiles(const QString& sheet) {
    static const QRegularExpression url(QStringLiteral(R"re(url\("([^"]*)"\))re"));
    QStringList files;
    for (auto m = url.globalMatch(sheet); m.hasNext();)
        files << m.next().captured(1);
    return files;
}

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

} // namespace

using SkinFileTest = FormTest;

TEST_F(SkinFileTest, TheStyleSectionIsKeptAsWrittenWithPictureNamesResolved) {
    TTempDir dir;
    dir.Write("back.bmp", BmpOf(3, 2, Argb(0xFF, 0x10, 0x20, 0x30)));
    dir.Write("warm.skin", "; the demo skin\r\n"
                           "[style]\r\n"
                           "  QWidget { color: #102030; }   \r\n"
                           "*[theme=\"panel\"] {\r\n"
                           "    background: url(picture:Back);\r\n"
                           "    border-image: url( \"PICTURE:back\" ) 1 1 1 1;\r\n"
                           "}\r\n"
                           "[pictures]\r\n"
                           "; name=file\r\n"
                           " back = back.bmp \r\n");
    const TThemeLink link(dir.Folder() + "warm.skin");
    EXPECT_TRUE(Messages.Messages().empty());
    ASSERT_FALSE(link.Empty());
    const QStringList files = PictureFiles(link.StyleSheet());
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0], files[1]);
    EXPECT_TRUE(QFileInfo(files[0]).isAbsolute());
    QString expected = QStringLiteral("  QWidget { color: #102030; }   \n"
                                      "*[theme=\"panel\"] {\n"
                                      "    background: url(\"%1\");\n"
                                      "    border-image: url(\"%1\") 1 1 1 1;\n"
                                      "}\n")
                           .arg(files[0]);
    EXPECT_EQ(link.StyleSheet(), expected);
    const QImage written(files[0]);
    ASSERT_EQ(written.size(), QSize(3, 2));
    EXPECT_EQ(written.pixel(2, 1), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(link.Picture("BACK").size(), QSize(3, 2));
    EXPECT_TRUE(link.Picture("front").isNull());
}

TEST_F(SkinFileTest, PicturesMayBeBmpPngGifOrJpeg) {
    TTempDir dir;
    TBitmap blue(4, 4, Argb(0xFF, 0, 0, 0xFF));
    dir.Write("a.bmp", BmpOf(4, 4, Argb(0xFF, 0, 0xFF, 0)));
    dir.Write("b.png", PngOf(4, 4, QColor(0xFF, 0xFF, 0)));
    dir.Write("c.gif", kRedGif);
    dir.Write("d.jpg", EncodeJpeg(blue, 95));
    dir.Write("all.skin", "[pictures]\nbmp=a.bmp\npng=b.png\ngif=c.gif\njpeg=d.jpg\n[style]\n"
                          "QLabel { background: url(picture:bmp); }\n");
    const TThemeLink link(dir.Folder() + "all.skin");
    EXPECT_TRUE(Messages.Messages().empty());
    struct TCase {
        const char* Name;
        QSize Size;
        QColor Color;
    };
    const TCase cases[] = {
        {"bmp", {4, 4}, QColor(0, 0xFF, 0)},
        {"png", {4, 4}, QColor(0xFF, 0xFF, 0)},
        {"gif", {1, 1}, QColor(0xFF, 0, 0)},
        {"jpeg", {4, 4}, QColor(0, 0, 0xFF)},
    };
    for (const TCase& c : cases) {
        const QImage image = link.Picture(c.Name).toImage();
        ASSERT_EQ(image.size(), c.Size) << c.Name;
        const QColor seen = image.pixelColor(0, 0);
        // JPEG is lossy; a few steps either way.
        EXPECT_NEAR(seen.red(), c.Color.red(), 8) << c.Name;
        EXPECT_NEAR(seen.green(), c.Color.green(), 8) << c.Name;
        EXPECT_NEAR(seen.blue(), c.Color.blue(), 8) << c.Name;
    }
}

TEST_F(SkinFileTest, PictureNamesCountFromTheSkinFilesFolder) {
    TTempDir dir;
    dir.Write("skins/pics/title.bmp", BmpOf(5, 1, Argb(0xFF, 1, 2, 3)));
    dir.Write("shared/paper.png", PngOf(2, 7, Qt::white));
    dir.Write("skins/warm.skin", "[style]\n[pictures]\ntitle=pics\\title.bmp\n"
                                 "paper=../shared/./paper.png\n");
    const TThemeLink link(dir.Folder() + "skins/warm.skin");
    EXPECT_TRUE(Messages.Messages().empty());
    EXPECT_EQ(link.Picture("title").size(), QSize(5, 1));
    EXPECT_EQ(link.Picture("paper").size(), QSize(2, 7));
}

TEST_F(SkinFileTest, FaultsAreNamedInOneMessage) {
    struct TCase {
        const char* Name;
        std::string Text;
        bool Loaded;          // the skin is used despite the fault
        std::string Mentions; // a part of the message
    };
    const TCase cases[] = {
        {"text before any section", "QLabel { color: red; }\n[style]\n", false,
         W("строка 1: текст вне раздела")},
        {"no style section", "[pictures]\n", false, W("нет раздела [style]")},
        {"an empty file", "", false, W("нет раздела [style]")},
        {"a picture line without a name", "[style]\nQLabel {}\n[pictures]\n=x.png\n", true,
         W("строка 4: ожидается имя=файл картинки")},
        {"a picture line without =", "[style]\nQLabel {}\n[pictures]\nx.png\n", true,
         W("строка 4: ожидается")},
        {"a missing picture", "[style]\nQLabel {}\n[pictures]\nlogo=logo.png\n", true,
         W("картинка logo: не найден файл ")},
        {"a damaged picture", "[style]\nQLabel {}\n[pictures]\nbad=bad.png\n", true,
         W("картинка bad: ")},
        {"an unknown picture", "[style]\nQLabel { image: url(picture:nope); }\n", true,
         W("неизвестная картинка nope")},
        {"an unknown section", "[style]\nQLabel {}\n[colours]\nx=1\n", true,
         W("строка 3: неизвестный раздел [colours]")},
    };
    for (const TCase& c : cases) {
        TTempDir dir;
        dir.Write("bad.png", "\x89PNG this is not a picture");
        dir.Write("s.skin", c.Text);
        const std::string path = dir.Folder() + "s.skin";
        Messages.Clear();
        const TThemeLink link(path);
        const auto messages = Messages.Messages();
        ASSERT_EQ(messages.size(), 1u) << c.Name;
        EXPECT_TRUE(StartsWith(messages[0], W("Ошибка в файле скина ") + path)) << c.Name;
        EXPECT_NE(messages[0].find(c.Mentions), std::string::npos)
            << c.Name << ": " << cp1251::ToUtf8(messages[0]);
        EXPECT_EQ(!link.Empty(), c.Loaded) << c.Name;
    }
}

TEST_F(SkinFileTest, AnUnknownPictureLeavesAnEmptyUrl) {
    TTempDir dir;
    dir.Write("s.skin", "[style]\nQLabel { image: url(picture:nope); color: red; }\n");
    const TThemeLink link(dir.Folder() + "s.skin");
    EXPECT_EQ(link.StyleSheet(), QStringLiteral("QLabel { image: url(\"\"); color: red; }\n"));
}

TEST_F(SkinFileTest, AMissingSkinFileIsReportedOnceAndGivesAnEmptySkin) {
    TTempDir dir;
    const std::string path = dir.Folder() + "none.skin";
    const TThemeLink first(path);
    const TThemeLink second(path);
    EXPECT_EQ(Messages.Messages(), std::vector<std::string>{W("Не найден файл \r\n") + path});
    EXPECT_TRUE(first.Empty());
    EXPECT_TRUE(second.Empty());
    // Forgetting what was read reads it again.
    ClearSkinCache();
    const TThemeLink third(path);
    EXPECT_EQ(Messages.Messages().size(), 2u);
    // No name at all is no skin, and no message.
    const TThemeLink none("");
    EXPECT_TRUE(none.Empty());
    EXPECT_EQ(Messages.Messages().size(), 2u);
}

TEST_F(SkinFileTest, ThemeObjectsSelectTheirRulesByProperty) {
    TTempDir dir;
    dir.Write("t.skin", "[style]\n"
                        "*[theme=\"panel_dark\"] { background: rgb(16, 32, 48); }\n"
                        "*[theme=\"panel_light\"] { background: rgb(240, 230, 200); }\n");
    const TThemeLink link(dir.Folder() + "t.skin");
    QWidget host;
    host.resize(60, 40);
    auto* label = new QLabel(&host);
    label->setGeometry(10, 10, 40, 20);
    link.ApplyTo(&host);
    EXPECT_EQ(host.styleSheet(), link.StyleSheet());

    struct TCase {
        std::string Theme;
        QColor Color;
    };
    const TCase cases[] = {
        {"panel_dark", QColor(16, 32, 48)},
        {"panel_light", QColor(240, 230, 200)},
        {"panel_dark", QColor(16, 32, 48)},
    };
    for (const TCase& c : cases) {
        SetThemeObject(label, c.Theme);
        EXPECT_EQ(ThemeObject(label), c.Theme);
        const QImage shot = host.grab().toImage();
        EXPECT_EQ(shot.pixelColor(30, 20), c.Color) << c.Theme;
    }
    SetThemeObject(label, W("тёмная"));
    EXPECT_EQ(ThemeObject(label), W("тёмная"));
    EXPECT_EQ(ThemeObject(&host), "");
}
