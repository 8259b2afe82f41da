#pragma once
// What the form tests share: recorded messages and shell requests, and the form's process hooks
// put back after each test.

#include "app/SkForm.h"
#include "platform/MemoryServices.h"
#include "platform/Modal.h"

#include <gtest/gtest.h>

class FormTest : public ::testing::Test {
protected:
    FormTest() : DialogsGuard(&Messages), ShellGuard(&ShellLog) {
        TSkForm::SetTerminateHook([this] { ++Terminations; });
        TSkForm::SetDriveKindHook([this] { return DriveKindNow; });
    }
    ~FormTest() override {
        TSkForm::SetTerminateHook(nullptr);
        TSkForm::SetDriveKindHook(nullptr);
        SetModalRunner(nullptr);
        SetMenuRunner(nullptr);
    }

    TRecordingDialogs Messages;
    TRecordingShell ShellLog;
    int Terminations = 0;
    int DriveKindNow = 0;

private:
    TDialogsGuard DialogsGuard;
    TShellGuard ShellGuard;
};
