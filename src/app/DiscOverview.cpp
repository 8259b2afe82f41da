#include "app/DiscOverview.h"

#include "archive/Archive.h"
#include "archive/Utils.h"
#include "platform/QtText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QVBoxLayout>

TDiscOverview::TDiscOverview(QWidget* parent)
    : QWidget(parent), Status(new QLabel(this)), Entries(new QListWidget(this)),
      Preview(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Chitalka — disc overview"));
    resize(900, 600);
    const TDatPack& pack = DatPack();
    QString status;
    if (pack.ArchiveStream)
        status = QStringLiteral("Disc folder: %1<br>Archive: %2 — %3 entries")
                     .arg(ToQString(ProgramDir()).toHtmlEscaped(),
                          ToQString(pack.ArchiveName).toHtmlEscaped())
                     .arg(pack.Entries.size());
    else
        status = QStringLiteral("Disc folder: %1<br>No readable interface.dat there: names are "
                                "read from loose files.")
                     .arg(ToQString(ProgramDir()).toHtmlEscaped());
    status += QStringLiteral(
        "<br><b>This build reads the disc but does not yet build the reader's windows from "
        "its structure files.</b> Select an entry to see its content.");
    Status->setText(status);
    Status->setWordWrap(true);
    Status->setTextFormat(Qt::RichText);
    Preview->setReadOnly(true);
    Preview->setPlaceholderText(QStringLiteral("Select an entry"));
    for (const TData& entry : pack.Entries)
        Entries->addItem(QStringLiteral("%1\t%2").arg(ToQString(entry.EntryName)).arg(entry.EntrySize));
    auto* splitter = new QSplitter(this);
    splitter->addWidget(Entries);
    splitter->addWidget(Preview);
    splitter->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Status);
    layout->addWidget(splitter, 1);
    connect(Entries, &QListWidget::currentRowChanged, this, [this](int row) { ShowEntry(row); });
    if (Entries->count() > 0)
        Entries->setCurrentRow(0);
}

void TDiscOverview::ShowEntry(int row) {
    const TDatPack& pack = DatPack();
    if (row < 0 || row >= static_cast<int>(pack.Entries.size()))
        return;
    TPack content;
    ReadEntry(row, content);
    std::string_view bytes = content.View();
    const bool binary = bytes.find('\0') != std::string_view::npos;
    if (binary) {
        Preview->setPlainText(QStringLiteral("(%1 bytes of binary data)").arg(bytes.size()));
        return;
    }
    constexpr size_t kPreviewLimit = 256 * 1024;
    Preview->setPlainText(ToQString(bytes.substr(0, kPreviewLimit)));
}

QStringList TDiscOverview::EntryLines() const {
    QStringList lines;
    for (int i = 0; i < Entries->count(); ++i)
        lines << Entries->item(i)->text();
    return lines;
}
