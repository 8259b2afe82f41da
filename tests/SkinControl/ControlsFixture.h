#pragma once
// A shown window holding a 400 x 300 page for the control tests (resize and move events are
// delivered only to widgets on screen), with the dialogs recorded so no test ever shows a message
// box.

#include "platform/Controls.h"
#include "platform/MemoryServices.h"

#include <QWidget>

#include <gtest/gtest.h>

class ControlsTest : public ::testing::Test {
protected:
    ControlsTest() : Guard(&Recorded), Page(new QWidget(&Window)) {
        Window.resize(600, 400);
        MakeContainer(Page);
        SetBounds(Page, QRect(0, 0, 400, 300));
        Window.show();
    }
    TRecordingDialogs Recorded;
    TDialogsGuard Guard;
    QWidget Window;
    QWidget* Page;
};
