#include "platform/Notebook.h"

#include "platform/Controls.h"


TNotebook::TNotebook(QWidget* parent) : QWidget(parent) {
    MakeContainer(this);
    AddPage(QStringLiteral("p0"));
}

int TNotebook::AddPage(const QString& name) {
    auto* page = new QWidget(this);
    page->setObjectName(name);
    MakeContainer(page);
    SetAlign(page, TAlign::Client);
    Pages.push_back(page);
    SetPageIndex(PageCount() - 1);
    return PageCount() - 1;
}

QWidget* TNotebook::Page(int index) const {
    return index >= 0 && index < PageCount() ? Pages[static_cast<size_t>(index)] : nullptr;
}

void TNotebook::SetPageIndex(int index) {
    if (index < 0 || index >= PageCount())
        return;
    Current = index;
    for (int i = 0; i < PageCount(); ++i)
        Pages[static_cast<size_t>(i)]->setVisible(i == Current);
}

void TNotebook::LayoutPages() { RealignChildren(this); }
