#pragma once
// The page set of a window: one page per engine built into it, the current one shown. The
// notebook and its pages are containers (see Controls.h) and the pages fill it; placed with
// SetBounds or by its own alignment, the pages follow at once, also while the window is hidden, so
// structure files can place controls by the window's size before it is shown.

#include <QWidget>

#include <vector>

class TNotebook : public QWidget {
public:
    explicit TNotebook(QWidget* parent = nullptr);
    // Adds a page and makes it the current one; returns its index.
    int AddPage(const QString& name);
    int PageCount() const { return static_cast<int>(Pages.size()); }
    QWidget* Page(int index) const;
    int PageIndex() const { return Current; }
    void SetPageIndex(int index);
    // Lays the pages out to the notebook's rectangle now.
    void LayoutPages();

private:
    std::vector<QWidget*> Pages;
    int Current = -1;
};
