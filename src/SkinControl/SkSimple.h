#pragma once
// The splitter, track bar, progress bar and scroll box of structure files.

#include "SkinControl/SkControl.h"

#include <QPointer>
#include <QProgressBar>
#include <QScrollArea>
#include <QSlider>

// Resizes the control docked to the same edge just before it (left/right: width, top/bottom:
// height) while dragged, as window splitters do.
// Like the platform's splitter it starts 3 pixels wide; its alignment comes from its keys.
class TSkSplitter : public QWidget, public TSkControlData {
public:
    explicit TSkSplitter(QWidget* parent);
    int SavedLeft = 0;
    int SavedTop = 0;
    void ToggleVisible();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    QWidget* Target() const;
    void UpdateCursor();
    QPoint PressPos;
    int PressSize = 0;
    bool Dragging = false;
    QPointer<QWidget> Dragged;
};

class TSkTrackBar : public QSlider, public TSkControlData {
public:
    explicit TSkTrackBar(QWidget* parent); // horizontal, position 0, no tick marks
};

class TSkProgressBar : public QProgressBar, public TSkControlData {
public:
    explicit TSkProgressBar(QWidget* parent);
};

// A scroll box: children are placed on its content widget (Content()), which grows to hold them.
class TSkScrollBox : public QScrollArea, public TSkControlData {
public:
    explicit TSkScrollBox(QWidget* parent);
    QWidget* Content() const { return Inner; }
    void SetColor(int color);
    // Grows the content to the bounding box of its children (and at least the viewport).
    void UpdateContentSize();

private:
    QWidget* Inner;
    bool Updating = false;
};
