#pragma once
// The two containers that size themselves by a percentage of their parent and can stay centred
// in it: TSkPanel applies its percentage once, when "width" or "height" is read; TParentPanel
// follows its parent's size on every relayout.

#include "SkinControl/SkControl.h"

#include <QColor>

class TSkPanelBase : public QWidget, public TSkControlData {
public:
    explicit TSkPanelBase(QWidget* parent);
    int PercentWidth = 0;
    int PercentHeight = 0;
    bool CenterHorz = false;
    bool CenterVert = false;
    int SavedLeft = 0;
    int SavedTop = 0;

    // "N%" sets the percentage and applies it; anything else is a width in pixels
    // (EConvertError when not an integer).
    void SetWidthText(const std::string& text);
    void SetHeightText(const std::string& text);
    void ApplyPercentSize();
    void SetCenterHorz(bool on);
    void SetCenterVert(bool on);
    void Recenter();
    void ToggleVisible();
    virtual void Relayout() = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override; // styled background from the skin

    QColor Fill; // the "color" key; invalid: the skin's background
};

class TSkPanel : public TSkPanelBase {
public:
    explicit TSkPanel(QWidget* parent);
    void Relayout() override; // Recenter
};

class TParentPanel : public TSkPanelBase {
public:
    explicit TParentPanel(QWidget* parent); // width 100, height 50
    void Relayout() override;               // Recenter, then ApplyPercentSize
    void SetColor(int color);               // TColor; repaints at once
};
