#pragma once
// What the reader shows until windows are built from structure files: the disc's archive and its
// entries, with a preview of the selected one, and an honest word about what is not built yet.

#include <QWidget>

class QLabel;
class QListWidget;
class QPlainTextEdit;

class TDiscOverview : public QWidget {
public:
    explicit TDiscOverview(QWidget* parent = nullptr);
    // One line per entry: name, size (for --dump).
    QStringList EntryLines() const;

private:
    void ShowEntry(int row);
    QLabel* Status;
    QListWidget* Entries;
    QPlainTextEdit* Preview;
};
