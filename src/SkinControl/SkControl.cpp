#include "SkinControl/SkControl.h"

#include "platform/Controls.h"

void ShowWithParent(QWidget* control) {
    if (const QWidget* parent = control->parentWidget(); parent && parent->isVisible())
        control->setVisible(true);
}

void ToggleVisibleAt(QWidget* control, int& savedLeft, int& savedTop) {
    if (IsShown(control)) {
        savedLeft = control->x();
        savedTop = control->y();
    }
    SetShown(control, !IsShown(control));
    if (IsShown(control))
        SetBounds(control, QRect(savedLeft, savedTop, control->width(), control->height()));
}
