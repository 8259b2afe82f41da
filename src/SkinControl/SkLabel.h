#pragma once
// A label that can cut a caption too wide for it word by word ("cut_length"), look like a link
// ("url") and show the title of a document view ("html_title").

#include "SkinControl/SkControl.h"

#include <QLabel>

class TSkLabel : public QLabel, public TSkControlData {
public:
    explicit TSkLabel(QWidget* parent);
    std::string FullCaption;
    bool CutLength = false;

    void SetFullCaption(const std::string& text);
    void SetCutLength(bool on);
    void FitCaption();
    void SetUrlStyle(bool on);
    // The caption shown now (after FitCaption), Windows-1251.
    std::string ShownCaption() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override; // a new font measures the caption again
};
