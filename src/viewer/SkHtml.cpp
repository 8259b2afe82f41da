#include "viewer/SkHtml.h"

#include "SkinControl/SkLabel.h"
#include "SkinControl/SkTree.h"
#include "archive/Archive.h"
#include "archive/BmpCodec.h"
#include "archive/JpegCodec.h"
#include "platform/Codec1251.h"
#include "platform/ConvertError.h"
#include "platform/HostPath.h"
#include "platform/QtText.h"
#include "platform/Services.h"
#include "platform/Skin.h"
#include "viewer/HtmlLoader.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFileInfo>
#include <QFontInfo>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>

#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

std::string Ru(const char* utf8) {
    return cp1251::FromUtf8(utf8);
}

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           cp1251::EqualNoCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

// The extension of a name's last component, lower-cased, with its dot ("" when none).
std::string ExtensionOf(const std::string& name) {
    const auto slash = name.find_last_of("\\/");
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return cp1251::Lower(name.substr(dot));
}

bool IsPictureExtension(const std::string& ext) {
    return ext == ".bmp" || ext == ".gif" || ext == ".jpg" || ext == ".jpeg" || ext == ".png";
}

bool IsDocumentExtension(const std::string& ext) {
    return ext == ".htm" || ext == ".html";
}

std::string FolderOf(const std::string& name) {
    const auto slash = name.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& name) {
    const auto slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Separators written one way, so that names from trees, links and the archive compare.
std::string Backslashed(std::string name) {
    for (char& c : name)
        if (c == '/')
            c = '\\';
    return name;
}

// "." and ".." steps folded as a browser resolves a link: "sub\..\a.htm" is "a.htm" of the same
// folder, and "." steps go, so the name is the archive's entry and the tree's document. The
// separators stay as written and the root is never climbed past.
std::string FoldDotSteps(const std::string& path) {
    size_t rootEnd = 0;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
        rootEnd = 2;
    if (rootEnd < path.size() && IsPathSeparator(path[rootEnd]))
        ++rootEnd;
    struct TStep {
        char Separator; // the one written before the step; 0 for the first
        std::string Name;
    };
    std::vector<TStep> steps;
    char separator = 0;
    const bool trailing = path.size() > rootEnd && IsPathSeparator(path.back());
    size_t i = rootEnd;
    while (i <= path.size()) {
        size_t end = i;
        while (end < path.size() && !IsPathSeparator(path[end]))
            ++end;
        const std::string name = path.substr(i, end - i);
        if (name == "..") {
            if (!steps.empty() && steps.back().Name != "..")
                steps.pop_back();
            else if (rootEnd == 0)
                steps.push_back({separator, name}); // a relative name keeps what it cannot fold
        } else if (!name.empty() && name != ".") {
            steps.push_back({separator, name});
        }
        if (end >= path.size())
            break;
        separator = path[end];
        i = end + 1;
    }
    std::string out = path.substr(0, rootEnd);
    for (size_t n = 0; n < steps.size(); ++n) {
        if (n > 0)
            out += steps[n].Separator ? steps[n].Separator : '\\';
        out += steps[n].Name;
    }
    if (trailing && !steps.empty())
        out += path.back();
    return out;
}

bool SameFile(const std::string& a, const std::string& b) {
    return cp1251::EqualNoCase(Backslashed(a), Backslashed(b));
}

// A web address or another scheme than a file's ("http:", "mailto:"); a drive letter is none.
bool HasUrlScheme(const std::string& link) {
    const auto colon = link.find(':');
    if (colon == std::string::npos || colon < 2)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        const char c = link[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok)
            return false;
    }
    return !StartsWithNoCase(link, "file:");
}

// The link as the page wrote it: QUrl has percent-encoded what URLs do not allow ("\" above all).
std::string RawLink(const QUrl& url) {
    const QString scheme = url.scheme();
    QString text;
    if (scheme.isEmpty())
        text = url.path(QUrl::FullyDecoded);
    else if (scheme.size() == 1) // a drive letter
        text = scheme + QLatin1Char(':') + url.path(QUrl::FullyDecoded);
    else if (scheme.compare(QLatin1String("file"), Qt::CaseInsensitive) == 0)
        text =
            QStringLiteral("file://") + url.host(QUrl::FullyDecoded) + url.path(QUrl::FullyDecoded);
    else
        return FromQString(url.toString()); // a web address, kept as written
    if (url.hasQuery())
        text += QLatin1Char('?') + url.query(QUrl::FullyDecoded);
    if (url.hasFragment())
        text += QLatin1Char('#') + url.fragment(QUrl::FullyDecoded);
    return FromQString(text);
}

// A name written into a generated page's attribute: markup and URL characters escaped.
std::string AttributeName(const std::string& name) {
    std::string out;
    for (char c : name) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '%':
            out += "%25";
            break;
        case '#':
            out += "%23";
            break;
        case '?':
            out += "%3F";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QImage ToQImage(const TBitmap& bitmap) {
    if (bitmap.Empty())
        return {};
    return QImage(reinterpret_cast<const uchar*>(bitmap.Bits()), bitmap.Width(), bitmap.Height(),
                  bitmap.BytesPerLine(), QImage::Format_ARGB32)
        .copy();
}

QImage DecodePicture(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return ToQImage(DecodeBmp(bytes));
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xD8)
        return ToQImage(DecodeJpeg(bytes));
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid())
        CheckPictureSize(size.width(), size.height()); // from the header, before any pixel
    QImage image = reader.read();
    if (image.isNull())
        throw EPictureError(FromQString(reader.errorString()));
    return image;
}

// True when the canonical path (links resolved, ".." folded) lies inside the program folder.
bool InsideProgramFolder(const std::string& target) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::weakly_canonical(fs::path(ToHostPath(ProgramDir())), error);
    if (error)
        return false;
    const fs::path file = fs::weakly_canonical(fs::path(ToHostPath(target)), error);
    if (error)
        return false;
    auto f = folder.begin();
    auto p = file.begin();
    for (; f != folder.end(); ++f, ++p) {
        if (f->empty())
            continue; // the folder's trailing separator
        if (p == file.end() || *f != *p)
            return false;
    }
    return p != file.end();
}

// Programs, scripts and desktop launchers: a document may name them, but never start them.
bool LooksExecutable(const std::string& hostPath) {
    const QFileInfo info(QString::fromStdString(hostPath));
    if (info.isExecutable() || info.isDir())
        return true;
    static const char* kinds[] = {".exe", ".com", ".bat",     ".cmd", ".scr", ".pif", ".msi",
                                  ".lnk", ".vbs", ".vbe",     ".js",  ".jse", ".wsf", ".wsh",
                                  ".ps1", ".sh",  ".desktop", ".jar", ".py",  ".pl",  ".appimage",
                                  ".run", ".bin", ".hta",     ".reg", ".cpl"};
    const std::string ext = ExtensionOf(FromHostPath(hostPath));
    for (const char* kind : kinds)
        if (ext == kind)
            return true;
    return false;
}

// The view's QTextBrowser: its resources come through the archive, never from Qt's own file
// reading.
class THtmlViewer : public QTextBrowser {
public:
    THtmlViewer(THtmlEx* owner) : QTextBrowser(owner), Owner(owner) {}
    QVariant loadResource(int type, const QUrl& name) override {
        return Owner->LoadResource(type, name);
    }

private:
    THtmlEx* Owner;
};

} // namespace

// ---- THtmlEx ----

THtmlEx::THtmlEx(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);

    VertBar = new QScrollBar(Qt::Vertical, this);
    HorzBar = new QScrollBar(Qt::Horizontal, this);
    SetThemeObject(VertBar, "default");
    SetThemeObject(HorzBar, "default");
    VertBar->hide();
    HorzBar->hide();

    auto* viewer = new THtmlViewer(this);
    Viewer = viewer;
    Viewer->setFrameShape(QFrame::NoFrame);
    Viewer->setOpenLinks(false);
    Viewer->setOpenExternalLinks(false);
    Viewer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Viewer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Viewer->setContextMenuPolicy(Qt::PreventContextMenu);
    QPalette page = Viewer->palette();
    page.setColor(QPalette::Base, Qt::white);
    Viewer->setPalette(page);
    Viewer->installEventFilter(this);
    Viewer->viewport()->installEventFilter(this);

    // The skinned bars follow the viewer's own hidden ones, whatever moved them (wheel, keys,
    // find, anchors), and move them back.
    for (QScrollBar* own : {Viewer->verticalScrollBar(), Viewer->horizontalScrollBar()}) {
        connect(own, &QScrollBar::valueChanged, this, [this] { SyncBars(); });
        connect(own, &QScrollBar::rangeChanged, this, [this] { SyncBars(); });
    }
    connect(VertBar, &QScrollBar::valueChanged, this,
            [this](int value) { Viewer->verticalScrollBar()->setValue(value); });
    connect(HorzBar, &QScrollBar::valueChanged, this,
            [this](int value) { Viewer->horizontalScrollBar()->setValue(value); });
    connect(Viewer, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& url) { GuardedCall([&] { LinkActivated(url); }); });
    connect(Viewer, qOverload<const QUrl&>(&QTextBrowser::highlighted), this,
            [this](const QUrl&) { SyncBars(); });
    LayOutBars(false, false);
}

THtmlEx::~THtmlEx() = default;

std::string THtmlEx::CurrentFile() const {
    return File;
}

std::string THtmlEx::BaseFolder() const {
    return Folder.empty() ? ProgramDir() : Folder;
}

std::string THtmlEx::ResolveName(const std::string& link) const {
    std::string name = link;
    if (StartsWithNoCase(name, "file://"))
        name.erase(0, 7);
    // "/c|/dir/a.htm" and "/c:/dir/a.htm": a drive written the URL way.
    if (name.size() >= 3 && name[0] == '/' && std::isalpha(static_cast<unsigned char>(name[1])) &&
        (name[2] == '|' || name[2] == ':'))
        name.erase(0, 1);
    if (IsAbsolutePath(name))
        return FoldDotSteps(name);
    for (char& c : name) {
        if (c == '/')
            c = '\\';
        else if (c == '|')
            c = ':';
    }
    if (IsAbsolutePath(name))
        return FoldDotSteps(name);
    // Joined here rather than by ExpandPath, which climbs for every "..\" wherever it stands.
    return FoldDotSteps(WithBackslash(BaseFolder()) + name);
}

void THtmlEx::LoadFile(const std::string& name) {
    std::string file = name;
    std::string anchor;
    if (const auto hash = file.find('#'); hash != std::string::npos) {
        anchor = file.substr(hash + 1);
        file.resize(hash);
    }
    if (!PackFileExists(file))
        throw EInOutError(Ru("Не найден файл (HtmlView): ") + file);
    std::string full = ExpandPath(file, BaseFolder());
    if (!PackFileExists(full))
        full = ExpandPath(file, ProgramDir());
    ShowFile(full, anchor);
}

void THtmlEx::ShowFile(const std::string& fullName, const std::string& anchor) {
    if (!PackFileExists(fullName))
        throw EInOutError(Ru("Не найден файл (HtmlView): ") + fullName);
    std::string bytes;
    if (IsPictureExtension(ExtensionOf(fullName))) {
        // A picture is shown alone on a page of its own, titled with its file name.
        bytes = "<html><head><title>" + FileNameOf(fullName) + "</title></head><body><img src=\"" +
                AttributeName(fullName) + "\"></body></html>";
    } else {
        TPack pack(fullName);
        bytes = std::move(pack.Content());
    }
    if (bytes.size() > kMaxDocumentBytes)
        throw EInOutError(Ru("Документ слишком велик для показа (больше 8 МБ): ") + fullName);
    const std::string previousFile = File;
    const int previousPosition = Position();
    File = fullName;
    Folder = FolderOf(fullName);
    ShowPage(bytes);
    if (!anchor.empty())
        Viewer->scrollToAnchor(ToQString(anchor));
    SyncBars();
    PageChanged(previousFile, previousPosition, true);
}

void THtmlEx::LoadText(const std::string& text) {
    if (text.size() > kMaxDocumentBytes)
        throw EInOutError(Ru("Текст слишком велик для показа (больше 8 МБ)"));
    const std::string previousFile = File;
    const int previousPosition = Position();
    File.clear();
    Folder = ProgramDir();
    ShowPage(text);
    SyncBars();
    PageChanged(previousFile, previousPosition, false);
}

void THtmlEx::LoadLines(const TStrings& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    LoadText(text);
}

void THtmlEx::LoadCentered(const std::string& html, const std::string& align) {
    TStrings lines;
    lines.push_back("<table width=\"100%\" height=\"100%\" border=\"0\"><tr><td><div align=\"" +
                    (align.empty() ? std::string("center") : align) + "\">");
    lines.push_back(html);
    lines.push_back("</div></td></tr></table>");
    LoadLines(lines);
}

void THtmlEx::ShowPage(const std::string& bytes) {
    Failed.clear();
    Missing.clear();
    Problems.clear();
    Sheets.clear();
    const double defaultPx = QFontInfo(Viewer->document()->defaultFont()).pixelSize();
    const TNormalisedPage page = NormalisePage(
        bytes, defaultPx, [this](const std::string& href) -> std::optional<std::string> {
            const auto file = SheetFile(href);
            if (!file)
                return std::nullopt;
            TPack pack(*file);
            return std::move(pack.Content());
        });
    SheetBasePx = page.BaseFontPx;
    for (const auto& [href, css] : page.Sheets)
        if (const auto file = SheetFile(href))
            Sheets[*file] = ToQString(css);
    Viewer->setHtml(ToQString(page.Html));
    // The body's margins hold the whole page, floated pictures and tables too.
    QTextFrame* root = Viewer->document()->rootFrame();
    QTextFrameFormat format = root->frameFormat();
    format.setLeftMargin(page.Margins.Left);
    format.setTopMargin(page.Margins.Top);
    format.setRightMargin(page.Margins.Right);
    format.setBottomMargin(page.Margins.Bottom);
    root->setFrameFormat(format);
    // Laid out now, so every picture is asked for once and what is missing is said once.
    Viewer->document()->documentLayout()->documentSize();
    ReportProblems();
}

void THtmlEx::ReportProblems() {
    std::string text;
    if (!Missing.empty()) {
        text = Ru("Не найден файл \r\n");
        for (size_t i = 0; i < Missing.size(); ++i)
            text += (i ? "\r\n" : "") + Missing[i];
    }
    for (const std::string& problem : Problems)
        text += (text.empty() ? "" : "\r\n") + problem;
    Missing.clear();
    Problems.clear();
    if (!text.empty())
        Dialogs().ShowMessage(text);
}

std::optional<std::string> THtmlEx::SheetFile(const std::string& href) {
    const std::string full = ResolveName(TextBefore(href, "?"));
    if (PackFileExists(full))
        return full;
    // A style sheet kept beside the program serves pages that name it from anywhere.
    const std::string beside = ProgramDir() + FileNameOf(Backslashed(full));
    if (PackFileExists(beside))
        return beside;
    if (Failed.insert(full).second)
        Missing.push_back(full);
    return std::nullopt;
}

QVariant THtmlEx::LoadResource(int type, const QUrl& name) {
    // Qt's parser is no place for an exception: whatever goes wrong leaves the resource out and
    // is reported once the page is laid out.
    try {
        const std::string link = RawLink(name);
        if (type == QTextDocument::ImageResource)
            return LoadPicture(link);
        if (type == QTextDocument::StyleSheetResource) {
            const auto file = SheetFile(link);
            if (!file)
                return {};
            const auto held = Sheets.find(*file);
            if (held != Sheets.end())
                return held->second;
            TPack pack(*file);
            const QVariant css = ToQString(NormaliseStyleSheet(pack.Content(), SheetBasePx));
            Sheets[*file] = css;
            return css;
        }
    } catch (const std::exception& error) {
        Problems.push_back(error.what());
    }
    return {};
}

QVariant THtmlEx::LoadPicture(const std::string& link) {
    const auto padded = ParsePaddedPictureName(link);
    if (!padded)
        return ReadPicture(link);
    const QImage picture = ReadPicture(padded->Source);
    if (picture.isNull())
        return {};
    // The size the page asks for, kept in proportion where it gives one side only.
    int width = padded->Width, height = padded->Height;
    if (width == 0 && height == 0) {
        width = picture.width();
        height = picture.height();
    } else if (width == 0) {
        width = picture.height() > 0 ? picture.width() * height / picture.height() : 0;
    } else if (height == 0) {
        height = picture.width() > 0 ? picture.height() * width / picture.width() : 0;
    }
    QImage canvas(width + padded->Left + padded->Right, height + padded->Top + padded->Bottom,
                  QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(padded->Left, padded->Top, width, height), picture);
    painter.end();
    return canvas;
}

QImage THtmlEx::ReadPicture(const std::string& link) {
    const std::string full = ResolveName(TextBefore(link, "?"));
    if (Failed.count(full))
        return {};
    if (!PackFileExists(full)) {
        Failed.insert(full);
        Missing.push_back(full);
        return {};
    }
    try {
        const TPack pack(full);
        return DecodePicture(pack.Content());
    } catch (const std::exception& error) {
        Failed.insert(full);
        Problems.push_back(Ru("Не удалось показать рисунок ") + full + ": " + error.what());
        return {};
    }
}

void THtmlEx::LinkActivated(const QUrl& url) {
    const std::string link = RawLink(url);
    const QPointer<THtmlEx> alive(this);
    const bool handled = HandleLinkClick(link);
    // A command may have closed the window that held the view.
    if (alive && !handled)
        FollowLink(link);
}

void THtmlEx::FollowLink(const std::string& link) {
    std::string file = link;
    std::string anchor;
    if (const auto hash = file.find('#'); hash != std::string::npos) {
        anchor = file.substr(hash + 1);
        file.resize(hash);
    }
    if (file.empty()) {
        GoToAnchor(anchor);
        return;
    }
    if (HasUrlScheme(file) || file[0] == '$')
        return;
    const std::string ext = ExtensionOf(TextBefore(file, "?"));
    const std::string full = ResolveName(TextBefore(file, "?"));
    if (IsDocumentExtension(ext)) {
        if (!File.empty() && SameFile(full, File))
            GoToAnchor(anchor);
        else
            LoadFile(anchor.empty() ? full : full + "#" + anchor);
    } else if (IsPictureExtension(ext)) {
        LoadFile(full);
    }
}

void THtmlEx::GoToAnchor(const std::string& anchor) {
    if (anchor.empty())
        return;
    const int previousPosition = Position();
    Viewer->scrollToAnchor(ToQString(anchor));
    SyncBars();
    if (Position() != previousPosition)
        PageChanged(File, previousPosition, !File.empty());
}

void THtmlEx::PageChanged(const std::string&, int, bool) {
}

bool THtmlEx::HandleLinkClick(const std::string&) {
    return false;
}

bool THtmlEx::ViewerInput(QEvent*) {
    return false;
}

void THtmlEx::SetPosition(int position) {
    Viewer->verticalScrollBar()->setValue(position);
    SyncBars();
}

int THtmlEx::Position() const {
    return Viewer->verticalScrollBar()->value();
}

int THtmlEx::HorzPosition() const {
    return Viewer->horizontalScrollBar()->value();
}

void THtmlEx::SetHorzPosition(int position) {
    Viewer->horizontalScrollBar()->setValue(position);
    SyncBars();
}

void THtmlEx::SetShowHorzBar(bool on) {
    ShowHorzBar = on;
    SyncBars();
}

void THtmlEx::SetShowVertBar(bool on) {
    ShowVertBar = on;
    SyncBars();
}

void THtmlEx::LayOutBars(bool vertical, bool horizontal) {
    // The vertical bar is as wide as the horizontal one is high.
    const int extent = HorzBar->sizeHint().height();
    const int w = width(), h = height();
    const int viewWidth = std::max(0, w - (vertical ? extent : 0));
    const int viewHeight = std::max(0, h - (horizontal ? extent : 0));
    VertBar->setGeometry(viewWidth, 0, extent, viewHeight);
    HorzBar->setGeometry(0, viewHeight, viewWidth, extent);
    VertBar->setVisible(vertical);
    HorzBar->setVisible(horizontal);
    Viewer->setGeometry(0, 0, viewWidth, viewHeight);
    VertShown = vertical;
    HorzShown = horizontal;
}

void THtmlEx::SyncBars() {
    if (Syncing)
        return;
    Syncing = true;
    const QScrollBar* vOwn = Viewer->verticalScrollBar();
    const QScrollBar* hOwn = Viewer->horizontalScrollBar();
    // Showing a bar narrows the page, which may change what the other needs: settle in a few
    // rounds.
    for (int round = 0; round < 3; ++round) {
        const bool vertical = ShowVertBar && vOwn->maximum() > vOwn->minimum();
        const bool horizontal = ShowHorzBar && hOwn->maximum() > hOwn->minimum();
        if (vertical == VertShown && horizontal == HorzShown)
            break;
        LayOutBars(vertical, horizontal);
    }
    auto copy = [](QScrollBar* skinned, const QScrollBar* own) {
        const QSignalBlocker quiet(skinned);
        skinned->setRange(own->minimum(), own->maximum());
        skinned->setSingleStep(own->singleStep());
        skinned->setPageStep(own->pageStep());
        skinned->setValue(own->value());
    };
    copy(VertBar, vOwn);
    copy(HorzBar, hOwn);
    Syncing = false;
}

void THtmlEx::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOutBars(VertShown, HorzShown);
    SyncBars();
    update();
}

bool THtmlEx::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Viewer && watched != Viewer->viewport())
        return QWidget::eventFilter(watched, event);
    bool consumed = false;
    const QPointer<THtmlEx> alive(this);
    GuardedCall([&] { consumed = ViewerInput(event); });
    if (!alive)
        return true;
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease)
        SyncBars();
    return consumed;
}

// ---- TSkHtml ----

TSkHtml::TSkHtml(QWidget* parent) : THtmlEx(parent) {
    Viewer->setMouseTracking(true);
}

void TSkHtml::SetMoveCursor(bool on) {
    MoveCursor = on;
    // Dragging scrolls: the text cannot be selected, links still work.
    Viewer->setTextInteractionFlags(on ? Qt::LinksAccessibleByMouse : Qt::TextBrowserInteraction);
    Viewer->viewport()->setCursor(on ? Qt::OpenHandCursor : Qt::IBeamCursor);
}

void TSkHtml::SetContextMenuHandler(std::function<void(const QPoint&)> handler) {
    ContextMenu = std::move(handler);
    if (!ContextMenu) {
        Viewer->setContextMenuPolicy(Qt::PreventContextMenu);
        return;
    }
    Viewer->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(
        Viewer, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& at) {
            if (ContextMenu) {
                const std::function<void(const QPoint&)> hook = ContextMenu;
                const QPoint global = Viewer->viewport()->mapToGlobal(at);
                GuardedCall([&] { hook(global); });
            }
        },
        Qt::UniqueConnection);
}

std::string TSkHtml::Title() const {
    return FromQString(Viewer->documentTitle());
}

void TSkHtml::PageChanged(const std::string& previousFile, int previousPosition, bool fromFile) {
    if (Navigating)
        return;
    // The page left keeps where it was scrolled to.
    if (!HistoryList.empty() && !previousFile.empty() &&
        SameFile(HistoryList[static_cast<size_t>(HistoryPos)].File, previousFile))
        HistoryList[static_cast<size_t>(HistoryPos)].Position = previousPosition;
    if (!fromFile)
        return;
    THtmlHistoryEntry entry{CurrentFile(), Title(), Position()};
    // The same document shown again where it was is no new visit.
    if (!HistoryList.empty()) {
        THtmlHistoryEntry& current = HistoryList[static_cast<size_t>(HistoryPos)];
        if (SameFile(current.File, entry.File) && current.Position == entry.Position &&
            SameFile(previousFile, entry.File)) {
            current.Title = entry.Title;
            HistoryChanged();
            return;
        }
    }
    // A new visit drops the entries newer than the one shown, as going back and then elsewhere
    // does in every browser.
    HistoryList.erase(HistoryList.begin(), HistoryList.begin() + HistoryPos);
    HistoryList.insert(HistoryList.begin(), entry);
    if (static_cast<int>(HistoryList.size()) > kHtmlHistoryMax)
        HistoryList.resize(kHtmlHistoryMax);
    HistoryPos = 0;
    HistoryChanged();
}

void TSkHtml::SetHistoryIndex(int index) {
    if (index < 0 || index >= static_cast<int>(HistoryList.size()) || index == HistoryPos)
        return;
    THtmlHistoryEntry& current = HistoryList[static_cast<size_t>(HistoryPos)];
    if (SameFile(current.File, CurrentFile()))
        current.Position = Position();
    const THtmlHistoryEntry target = HistoryList[static_cast<size_t>(index)];
    Navigating = true;
    try {
        if (!SameFile(target.File, CurrentFile()))
            ShowFile(target.File, "");
    } catch (...) {
        Navigating = false;
        throw;
    }
    Navigating = false;
    SetPosition(target.Position);
    HistoryPos = index;
    HistoryChanged();
}

void TSkHtml::HistoryChanged() {
    if (TitleLabel && !HistoryList.empty())
        TitleLabel->SetFullCaption(HistoryList[static_cast<size_t>(HistoryPos)].Title);
    SyncBars();
}

void TSkHtml::FollowDocument(const std::string& link) {
    if (!LinkedTreeEx && !LinkedTree)
        return;
    // A tree names documents, never their anchors.
    const std::string name = TextBefore(link, "#");
    // The tree names documents relative to the program folder; a name relative to the shown
    // document is tried there when the program folder has no such file.
    std::string full = ExpandPath(name, ProgramDir());
    if (!PackFileExists(full))
        full = ExpandPath(name, BaseFolder());
    const std::string document = Backslashed(StripBasePath(full, ProgramDir()));
    if (LinkedTreeEx) {
        if (SameFile(LinkedTreeEx->SelectedDocument(), document))
            return;
        if (QTreeWidgetItem* item = LinkedTreeEx->FindItemByDocument(document)) {
            LinkedTreeEx->MakeVisible(item);
            LinkedTreeEx->SelectItem(item); // the checkable tree runs its action
        }
    } else if (!SameFile(LinkedTree->SelectedDocument(), document)) {
        LinkedTree->SelectNode(LinkedTree->FindNodeByDocument(document)); // fires no action
    }
}

bool TSkHtml::Find(const std::string& text) {
    if (text.empty())
        return false;
    QTextDocument* document = Viewer->document();
    const QString needle = ToQString(text);
    // Forward from the caret, then once more from the top; without a hit the selection stays.
    QTextCursor hit = document->find(needle, Viewer->textCursor());
    if (hit.isNull())
        hit = document->find(needle, 0);
    if (hit.isNull()) {
        SyncBars();
        return false;
    }
    QScrollBar* vertical = Viewer->verticalScrollBar();
    QScrollBar* horizontal = Viewer->horizontalScrollBar();
    const int top = vertical->value(), left = horizontal->value();
    Viewer->setTextCursor(hit);
    vertical->setValue(top); // Qt's own scrolling is replaced by the centring below
    horizontal->setValue(left);
    QTextCursor start(hit);
    start.setPosition(hit.selectionStart());
    const QRect at = Viewer->cursorRect(start);
    const QWidget* area = Viewer->viewport();
    if (at.top() < 0 || at.top() > area->height() - 20)
        vertical->setValue(top + at.top() - area->height() / 2);
    if (at.left() < 0 || at.left() > area->width() - 50)
        horizontal->setValue(left + at.left() - area->width() / 2);
    SyncBars();
    return true;
}

std::string TSkHtml::LoadPicturePage(const std::string& base, const std::string& picture) {
    const std::string full = ExpandPath(picture, FolderOf(base));
    LoadText("<img src=\"" + AttributeName(full) + "\">");
    return full;
}

void TSkHtml::CopySelection() {
    Viewer->copy();
}

void TSkHtml::SelectAll() {
    Viewer->setFocus();
    Viewer->selectAll();
}

void TSkHtml::Fire(const std::string& command) {
    if (!OnAction)
        return;
    RHelpAction action;
    action.Command = command;
    const std::function<void(const RHelpAction&)> hook = OnAction;
    hook(action);
}

bool TSkHtml::HandleLinkClick(const std::string& link) {
    return LinkClick(link);
}

bool TSkHtml::LinkClick(const std::string& link) {
    const std::string file = TextBefore(link, "#");
    const std::string ext = ExtensionOf(TextBefore(file, "?"));
    auto withAction = [this](const std::string& target) {
        return Action.empty() ? target : Action + "*" + target;
    };
    if (!link.empty() && link[0] == '$') {
        // A command link is the disc's own: it never reaches the viewer as a name to load.
        Fire(withAction(link.substr(1)));
        return true;
    }
    if (HasUrlScheme(file)) {
        OpenExternally(link);
        return true;
    }
    if (file.empty())
        return false; // an anchor of this page: the viewer scrolls there
    if (ext == ".swf") {
        Fire("swf*" + ResolveName(link));
        return true;
    }
    if (IsPictureExtension(ext)) {
        if (PictureWindow) {
            // The enlarged picture window comes with later work; until then the picture is
            // shown alone in the view, as a visit that "back" leaves again.
            LoadFile(ResolveName(file));
        } else {
            Fire(withAction(link));
        }
        return true;
    }
    if (IsDocumentExtension(ext)) {
        // Kept in the host's spelling: with its slashes turned round a host path is no longer
        // absolute.
        FollowDocument(TextBefore(ResolveName(file), "?"));
        return false;
    }
    OpenExternally(link);
    return false;
}

void TSkHtml::OpenExternally(const std::string& link) {
    const std::string lower = cp1251::Lower(link);
    if (lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0 ||
        lower.rfind("mailto:", 0) == 0) {
        ShellOpen(link, "", "open");
        return;
    }
    auto refuse = [&](const char* why) {
        Dialogs().ShowMessage(Ru("Ссылка не открыта: ") + Ru(why) + ": " + link);
    };
    if (HasUrlScheme(link)) {
        refuse("адреса такого вида не открываются");
        return;
    }
    // A file link opens only what the disc itself holds on disk, and never a program.
    const std::string full = ResolveName(TextBefore(TextBefore(link, "#"), "?"));
    const auto host = ResolveHostFile(full);
    if (!host) {
        refuse("файл не найден");
        return;
    }
    if (!InsideProgramFolder(full)) {
        refuse("файл вне папки программы");
        return;
    }
    if (LooksExecutable(*host)) {
        refuse("документ не может запускать программы");
        return;
    }
    ShellOpen(full, "", "open");
}

void TSkHtml::EditDocument() {
    if (CurrentFile().empty() || ProgramDriveKind() == dkCdRom)
        return;
    const auto editor = Settings().ReadString("\\Software\\Tavrel\\Marovind", "EditHtml");
    if (editor && !editor->empty())
        ShellOpen(*editor, CurrentFile(), "open");
    else
        ShellOpen(CurrentFile(), "", "edit");
}

bool TSkHtml::ViewerInput(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyRelease: {
        // Once per press: on the release, auto-repeat left out.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_E && key->modifiers() == Qt::AltModifier &&
            !key->isAutoRepeat()) {
            EditDocument();
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        const QPoint at = mouse->position().toPoint();
        if (MoveCursor) {
            DragX = at.x();
            DragY = at.y();
            Dragging = true;
            return false;
        }
        // "move": a press beside the links drags the window.
        if (Events.OnMouseDown && Viewer->anchorAt(at).isEmpty()) {
            FireEvent(Events.OnMouseDown, mouse);
            return true;
        }
        return false;
    }
    case QEvent::MouseMove: {
        if (!Dragging)
            return false;
        // The start point stays: the further the pointer, the faster the page moves.
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        SetHorzPosition(HorzPosition() + (DragX - at.x()) / 10);
        SetPosition(Position() + (DragY - at.y()) / 10);
        return true;
    }
    case QEvent::MouseButtonRelease:
        Dragging = false;
        return false;
    default:
        return false;
    }
}
