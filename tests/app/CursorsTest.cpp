#include "common/TestSupport.h"

#include "platform/ConvertError.h"
#include "platform/Cursors.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <string>

TEST(Cursors, NamesAndIntegersGiveCursorNumbers) {
    struct TCase {
        std::string Text;
        int Number;
    };
    const TCase cases[] = {
        {"crDefault", 0},     {"crNone", -1},       {"crArrow", -2},    {"crCross", -3},
        {"crIBeam", -4},      {"crSize", -22},      {"crSizeNESW", -6}, {"crSizeNS", -7},
        {"crSizeNWSE", -8},   {"crSizeWE", -9},     {"crUpArrow", -10}, {"crHourGlass", -11},
        {"crDrag", -12},      {"crNoDrop", -13},    {"crHSplit", -14},  {"crVSplit", -15},
        {"crMultiDrag", -16}, {"crSQLWait", -17},   {"crNo", -18},      {"crAppStart", -19},
        {"crHelp", -20},      {"crHandPoint", -21}, {"crSizeAll", -22}, {"CRHANDPOINT", -21},
        {"crhourglass", -11}, {"141", 141},         {"-21", -21},       {"$8C", 140},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(CursorNumberFromText(c.Text), c.Number) << c.Text;
}

TEST(Cursors, ATextThatIsNeitherNameNorNumberIsAConversionError) {
    for (const std::string text : {"", "crPointer", "ZOOM_IN", "12a", "cr Arrow"})
        EXPECT_THROW(CursorNumberFromText(text), EConvertError) << text;
}

TEST(Cursors, StandardNumbersGiveTheirShapes) {
    struct TCase {
        int Number;
        Qt::CursorShape Shape;
    };
    const TCase cases[] = {
        {0, Qt::ArrowCursor},       {-1, Qt::BlankCursor},      {-2, Qt::ArrowCursor},
        {-3, Qt::CrossCursor},      {-4, Qt::IBeamCursor},      {-6, Qt::SizeBDiagCursor},
        {-7, Qt::SizeVerCursor},    {-8, Qt::SizeFDiagCursor},  {-9, Qt::SizeHorCursor},
        {-10, Qt::UpArrowCursor},   {-11, Qt::WaitCursor},      {-12, Qt::DragMoveCursor},
        {-13, Qt::ForbiddenCursor}, {-14, Qt::SplitHCursor},    {-15, Qt::SplitVCursor},
        {-16, Qt::DragCopyCursor},  {-17, Qt::WaitCursor},      {-18, Qt::ForbiddenCursor},
        {-19, Qt::BusyCursor},      {-20, Qt::WhatsThisCursor}, {-21, Qt::PointingHandCursor},
        {-22, Qt::SizeAllCursor},   {-5, Qt::ArrowCursor},      {77, Qt::ArrowCursor},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(CursorFromNumber(c.Number).shape(), c.Shape) << c.Number;
}

TEST(Cursors, TheProgramsOwnCursorsAreDrawnAndRegisteredUnderTheirNumbers) {
    struct TCase {
        int Number;
        const char* Name;
        QPoint HotSpot;
    };
    const TCase cases[] = {
        {crZoomIn, "ZOOM_IN", {12, 12}},
        {crZoomOut, "ZOOM_OUT", {12, 12}},
        {crZoom, "ZOOM", {12, 12}},
        {crHandOpened, "HAND_OPENED", {16, 16}},
        {crHandClosed, "HAND_CLOSED", {16, 16}},
    };
    std::vector<QImage> pictures;
    for (const TCase& c : cases) {
        const QCursor cursor = CursorFromNumber(c.Number);
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << c.Name;
        EXPECT_EQ(cursor.hotSpot(), c.HotSpot) << c.Name;
        const QImage picture = cursor.pixmap().toImage();
        ASSERT_EQ(picture.size(), QSize(32, 32)) << c.Name;
        EXPECT_EQ(picture, ProgramCursor(c.Name).pixmap().toImage()) << c.Name;
        // Drawn, with a transparent surrounding.
        EXPECT_EQ(qAlpha(picture.pixel(31, 0)), 0) << c.Name;
        for (const QImage& other : pictures)
            EXPECT_NE(picture, other) << c.Name << " looks like another cursor";
        pictures.push_back(picture);
    }
    EXPECT_EQ(ProgramCursor("zoom_in").shape(), Qt::ArrowCursor);
}

TEST(Cursors, ARegisteredCursorReplacesWhatItsNumberHad) {
    RegisterCursor(150, QCursor(Qt::CrossCursor));
    EXPECT_EQ(CursorFromNumber(150).shape(), Qt::CrossCursor);
    RegisterCursor(150, QCursor(Qt::IBeamCursor));
    EXPECT_EQ(CursorFromNumber(150).shape(), Qt::IBeamCursor);
    // Registering the program's cursors puts theirs back.
    RegisterCursor(crZoom, QCursor(Qt::IBeamCursor));
    EXPECT_EQ(CursorFromNumber(crZoom).shape(), Qt::IBeamCursor);
    RegisterProgramCursors();
    EXPECT_EQ(CursorFromNumber(crZoom).pixmap().toImage(),
              ProgramCursor("ZOOM").pixmap().toImage());
}
