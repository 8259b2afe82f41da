#include "FormTestSupport.h"
#include "common/TestSupport.h"

#include "platform/Controls.h"
#include "platform/Notebook.h"
#include "platform/QtText.h"
#include "platform/Skin.h"
#include "platform/SkinFrame.h"
#include "platform/TitleBar.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include <cstdlib>

namespace {

const std::string kDemoSkin = std::string(CHITALKA_DEMO_DIR) + "/skins/warm.skin";

QLabel* Label(QWidget* parent, const char* utf8, QRect bounds, const char* theme = nullptr) {
    auto* label = new QLabel(ToQString(W(utf8)), parent);
    label->setWordWrap(true);
    label->setGeometry(bounds);
    if (theme)
        SetThemeObject(label, theme);
    return label;
}

// A window as a structure file might fill it, for looking at the skin.
void FillPage(QWidget* page) {
    Label(page, "Очерки о городах и людях", QRect(24, 16, 520, 30), "header");
    Label(page,
          "Каждый очерк открывается из дерева слева. Ссылки ведут к другим очеркам, "
          "а кнопки внизу листают историю чтения.",
          QRect(24, 52, 520, 44));
    auto* tree = new QTreeWidget(page);
    tree->setHeaderHidden(true);
    tree->setGeometry(24, 108, 230, 300);
    for (const char* topic : {"Путешествия", "Ремёсла", "Праздники", "Книги и чтение"}) {
        auto* item = new QTreeWidgetItem(tree, {ToQString(W(topic))});
        new QTreeWidgetItem(item, {ToQString(W("Первый очерк"))});
    }
    tree->expandToDepth(0);
    tree->setCurrentItem(tree->topLevelItem(1));
    auto* panel = new QWidget(page);
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setGeometry(272, 108, 480, 300);
    SetThemeObject(panel, "panel");
    Label(panel, "Поиск по всем очеркам:", QRect(16, 14, 300, 22));
    auto* edit = new QLineEdit(ToQString(W("самовар")), panel);
    edit->setGeometry(16, 40, 300, 28);
    auto* find = new QPushButton(ToQString(W("Найти")), panel);
    find->setGeometry(328, 40, 120, 28);
    auto* progress = new QProgressBar(panel);
    progress->setGeometry(16, 84, 432, 20);
    progress->setValue(40);
    Label(panel, "Найдено в 3 очерках", QRect(16, 116, 300, 22), "link");
    auto* back = new QPushButton(ToQString(W("Назад")), page);
    back->setGeometry(24, 424, 110, 30);
    auto* forward = new QPushButton(ToQString(W("Вперёд")), page);
    forward->setGeometry(144, 424, 110, 30);
    forward->setEnabled(false);
}

} // namespace

using DemoSkinTest = FormTest;

TEST_F(DemoSkinTest, TheDemoSkinReadsWithoutAnyReportAndDrawsTheFrame) {
    const TThemeLink link(kDemoSkin);
    EXPECT_TRUE(Messages.Messages().empty()) << cp1251::ToUtf8(Messages.Messages().front());
    ASSERT_FALSE(link.Empty());
    for (const char* picture : {"title", "paper", "close", "minimize", "maximize", "restore",
                                "help", "menu", "button", "button_hover", "button_down"})
        EXPECT_FALSE(link.Picture(picture).isNull()) << picture;

    TfrmFORM form;
    form.SetCaption(W("Очерки — демонстрационный диск"));
    form.SetHelpButton(true);
    FillPage(form.CreateNotebook()->Page(0));
    link.ApplyTo(&form);
    form.show();
    // The skin sets the frame's sizes.
    EXPECT_EQ(form.SkinForm->CaptionHeight(), 30);
    EXPECT_EQ(form.SkinForm->BorderWidth(), 5);
    EXPECT_FALSE(form.SkinForm->TitleBar()->Button(TTitleBar::TButton::Close)->icon().isNull());

    const QImage shot = form.grab().toImage();
    if (const char* folder = std::getenv("CHITALKA_SHOT_DIR"))
        shot.save(QString::fromLocal8Bit(folder) + QStringLiteral("/demo-skin.png"));
    // Walnut title bar and border, parchment page.
    const QColor bar = shot.pixelColor(400, 5 + 15);
    EXPECT_GT(bar.red(), bar.blue() + 30);
    EXPECT_LT(bar.lightness(), 110);
    const QColor border = shot.pixelColor(2, 300);
    EXPECT_LT(border.lightness(), 80);
    const QColor page = shot.pixelColor(form.width() - 20, form.height() - 20);
    EXPECT_GT(page.lightness(), 200);
    EXPECT_GT(page.red(), page.blue());

    // Maximized, the maximize icon becomes the restore icon.
    const QImage normalIcon = form.SkinForm->TitleBar()
                                  ->Button(TTitleBar::TButton::Maximize)
                                  ->icon()
                                  .pixmap(12)
                                  .toImage();
    form.SkinForm->SetWindowState(TWindowState::Maximized);
    const QImage maximizedIcon = form.SkinForm->TitleBar()
                                     ->Button(TTitleBar::TButton::Maximize)
                                     ->icon()
                                     .pixmap(12)
                                     .toImage();
    EXPECT_NE(normalIcon, maximizedIcon);
    EXPECT_TRUE(Messages.Messages().empty());
}

TEST_F(DemoSkinTest, WithoutASkinTheFrameUsesThePalette) {
    TfrmFORM form;
    form.SetCaption(W("Без скина"));
    form.show();
    const QImage shot = form.grab().toImage();
    if (const char* folder = std::getenv("CHITALKA_SHOT_DIR"))
        shot.save(QString::fromLocal8Bit(folder) + QStringLiteral("/no-skin.png"));
    const int b = form.SkinForm->BorderWidth();
    const QPalette palette = form.palette();
    EXPECT_EQ(shot.pixel(form.width() / 2, b + 2), palette.color(QPalette::Highlight).rgb());
    EXPECT_EQ(shot.pixel(0, form.height() / 2), palette.color(QPalette::Dark).rgb());
    // The icons are drawn in the caption's colour.
    QToolButton* close = form.SkinForm->TitleBar()->Button(TTitleBar::TButton::Close);
    const QPoint centre = close->mapTo(&form, close->rect().center());
    EXPECT_NEAR(shot.pixelColor(centre).lightness(),
                palette.color(QPalette::HighlightedText).lightness(), 8);
}
