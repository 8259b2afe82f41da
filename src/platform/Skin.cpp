#include "platform/Skin.h"

#include "archive/Archive.h"
#include "archive/BmpCodec.h"
#include "archive/JpegCodec.h"
#include "archive/ResourceLoaders.h"
#include "platform/Codec1251.h"
#include "platform/HostPath.h"
#include "platform/QtText.h"
#include "platform/Services.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QStyle>
#include <QTemporaryDir>
#include <QVariant>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

const char* const kThemeProperty = "theme";

// What one skin file gave.
struct TSkinData {
    QString Sheet;
    std::map<std::string, QImage> Images; // by lower-cased name
};

std::map<std::string, std::shared_ptr<const TSkinData>>& Cache() {
    static std::map<std::string, std::shared_ptr<const TSkinData>> cache;
    return cache;
}

std::string Text(const char* utf8) {
    return cp1251::FromUtf8(utf8);
}

// The folder the pictures of this process are written to, made on first use.
QTemporaryDir* PictureFolder() {
    static std::unique_ptr<QTemporaryDir> folder;
    if (!folder)
        folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                 QStringLiteral("/chitalka-skin-XXXXXX"));
    return folder->isValid() ? folder.get() : nullptr;
}

// A picture's name joined to the skin file's folder: "." and ".." resolved, "\" between the
// parts, so it is the archive's own spelling of a name below the disc's root.
std::string PictureName(const std::string& skinPath, const std::string& name) {
    std::string joined = name;
    if (!IsAbsolutePath(name)) {
        const size_t slash = skinPath.find_last_of("\\/");
        joined =
            (slash == std::string::npos ? std::string() : skinPath.substr(0, slash + 1)) + name;
    }
    const bool absolute = IsAbsolutePath(joined);
    std::vector<std::string> parts;
    std::string part;
    auto flush = [&] {
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (char c : joined) {
        if (IsPathSeparator(c))
            flush();
        else
            part += c;
    }
    flush();
    std::string result = absolute ? std::string(1, joined[0]) : std::string();
    for (size_t i = 0; i < parts.size(); ++i)
        result += (i ? "\\" : "") + parts[i];
    return result;
}

QImage DecodePicture(const std::string& bytes) {
    // Our own decoders for the formats the rest of the system reads, Qt's for the others.
    const bool bmp = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
    const bool jpeg = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                      static_cast<unsigned char>(bytes[1]) == 0xD8;
    if (bmp || jpeg) {
        const TBitmap bitmap = bmp ? DecodeBmp(bytes) : DecodeJpeg(bytes);
        return QImage(reinterpret_cast<const uchar*>(bitmap.Bits()), bitmap.Width(),
                      bitmap.Height(), bitmap.BytesPerLine(), QImage::Format_ARGB32)
            .copy();
    }
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                            static_cast<int>(bytes.size())))
        throw EPictureError(Text("формат картинки не распознан"));
    return image;
}

bool IsBlankOrComment(const std::string& line) {
    const std::string text = Trim(line);
    return text.empty() || text[0] == ';' || text[0] == '#';
}

// "[name]" made of letters, digits and "_" only, so no style sheet selector is taken for one.
bool SectionHeader(const std::string& line, std::string& name) {
    const std::string text = Trim(line);
    if (text.size() < 3 || text.front() != '[' || text.back() != ']')
        return false;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        const char c = text[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_'))
            return false;
    }
    name = cp1251::Lower(text.substr(1, text.size() - 2));
    return true;
}

std::shared_ptr<const TSkinData> ReadSkin(const std::string& path) {
    auto data = std::make_shared<TSkinData>();
    if (path.empty())
        return data;
    const TPack pack(path);
    if (pack.Empty() && !PackFileExists(path))
        return data; // the archive has said so

    std::vector<std::string> faults;
    auto lineFault = [&faults](size_t number, const std::string& text) {
        faults.push_back(Text("строка ") + std::to_string(number) + ": " + text);
    };
    bool fatal = false;
    bool hasStyle = false;
    std::string section;
    std::string sheet;
    std::vector<std::pair<std::string, std::string>> pictures; // name, file
    size_t number = 0;
    ForEachTextLine(pack.View(), [&](std::string_view view) {
        ++number;
        const std::string line(view);
        std::string name;
        if (SectionHeader(line, name)) {
            section = name;
            if (name == "style")
                hasStyle = true;
            else if (name != "pictures")
                lineFault(number, Text("неизвестный раздел [") + name + "]");
            return;
        }
        if (section == "style") {
            sheet += line;
            sheet += '\n';
        } else if (section == "pictures") {
            if (IsBlankOrComment(line))
                return;
            const size_t eq = line.find('=');
            const std::string key = eq == std::string::npos ? "" : Trim(line.substr(0, eq));
            const std::string file = eq == std::string::npos ? "" : Trim(line.substr(eq + 1));
            if (key.empty() || file.empty())
                lineFault(number, Text("ожидается имя=файл картинки"));
            else
                pictures.emplace_back(cp1251::Lower(key), file);
        } else if (section.empty() && !IsBlankOrComment(line) && !fatal) {
            lineFault(number, Text("текст вне раздела"));
            fatal = true;
        }
    });
    if (!hasStyle && !fatal) {
        faults.push_back(Text("нет раздела [style]"));
        fatal = true;
    }

    if (!fatal) {
        for (const auto& [name, file] : pictures) {
            const std::string archiveName = PictureName(path, file);
            if (!PackFileExists(archiveName)) {
                faults.push_back(Text("картинка ") + name + Text(": не найден файл ") +
                                 archiveName);
                continue;
            }
            try {
                QImage image = DecodePicture(TPack(archiveName).Content());
                if (image.isNull())
                    throw EPictureError(Text("пустая картинка"));
                data->Images[name] = std::move(image);
            } catch (const EPictureError& error) {
                faults.push_back(Text("картинка ") + name + ": " + archiveName + ": " +
                                 error.what());
            }
        }
        data->Sheet = ToQString(sheet);
        // url(picture:NAME), the name quoted or not, becomes the path of the picture's file.
        static const QRegularExpression reference(
            QStringLiteral(R"(url\(\s*(["']?)picture:([^"')]*)\1\s*\))"),
            QRegularExpression::CaseInsensitiveOption);
        QString resolved;
        qsizetype done = 0;
        std::map<std::string, QString> files;
        for (auto match = reference.globalMatch(data->Sheet); match.hasNext();) {
            const QRegularExpressionMatch m = match.next();
            const std::string name = cp1251::Lower(Trim(FromQString(m.captured(2))));
            QString file;
            if (const auto known = files.find(name); known != files.end()) {
                file = known->second;
            } else if (const auto image = data->Images.find(name); image != data->Images.end()) {
                if (QTemporaryDir* folder = PictureFolder()) {
                    static int serial = 0;
                    file = folder->filePath(QStringLiteral("%1.png").arg(++serial));
                    if (!image->second.save(file, "PNG"))
                        file.clear();
                }
                if (file.isEmpty())
                    faults.push_back(Text("картинка ") + name +
                                     Text(": не удалось записать во временную папку"));
                files[name] = file;
            } else {
                faults.push_back(Text("неизвестная картинка ") + name);
                files[name] = QString();
            }
            resolved += QStringView(data->Sheet).mid(done, m.capturedStart() - done);
            resolved += QStringLiteral("url(\"%1\")").arg(file);
            done = m.capturedEnd();
        }
        resolved += QStringView(data->Sheet).mid(done);
        data->Sheet = resolved;
    }

    if (!faults.empty()) {
        std::string message = Text("Ошибка в файле скина ") + path;
        if (fatal)
            message += Text(" (скин не загружен)");
        message += ":";
        for (const std::string& fault : faults)
            message += "\r\n" + fault;
        Dialogs().ShowMessage(message);
    }
    if (fatal)
        return std::make_shared<TSkinData>();
    return data;
}

} // namespace

TThemeLink::TThemeLink(const std::string& path) : FilePath(path) {
    const std::string key = cp1251::Lower(path);
    auto& cache = Cache();
    auto found = cache.find(key);
    if (found == cache.end())
        found = cache.emplace(key, ReadSkin(path)).first;
    Sheet = found->second->Sheet;
    for (const auto& [name, image] : found->second->Images)
        Pictures[name] = QPixmap::fromImage(image);
}

QPixmap TThemeLink::Picture(const std::string& name) const {
    const auto found = Pictures.find(cp1251::Lower(name));
    return found == Pictures.end() ? QPixmap() : found->second;
}

void TThemeLink::ApplyTo(QWidget* widget) const {
    if (widget && widget->styleSheet() != Sheet)
        widget->setStyleSheet(Sheet);
}

void SetThemeObject(QWidget* control, const std::string& themeObject) {
    if (!control)
        return;
    const QString value = ToQString(themeObject);
    if (control->property(kThemeProperty).toString() == value &&
        control->property(kThemeProperty).isValid())
        return;
    control->setProperty(kThemeProperty, value);
    // Property selectors are matched when a widget is polished.
    control->style()->unpolish(control);
    control->style()->polish(control);
    control->update();
}

std::string ThemeObject(const QWidget* control) {
    return control ? FromQString(control->property(kThemeProperty).toString()) : std::string();
}

void ClearSkinCache() {
    Cache().clear();
}
