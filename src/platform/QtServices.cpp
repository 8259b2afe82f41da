#include "platform/QtServices.h"

#include "platform/HostPath.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace {

QWidget* DialogOwner() { return QApplication::activeWindow(); }

QString Caption() {
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Chitalka") : name;
}

// "\r\n" in the system's texts is one line break on screen.
QString MessageText(const std::string& text) {
    QString out = ToQString(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

QString NameFilter(const std::string& filter) {
    const QString f = ToQString(filter);
    if (f.isEmpty() || f == QStringLiteral("*") || f == QStringLiteral("*.*"))
        return QString();
    return f + QStringLiteral(";;*");
}

QString SettingsKey(const std::string& key, const std::string& name) {
    return ToQString(SettingsPath(key, name));
}

} // namespace

void TQtDialogs::ShowMessage(const std::string& text, const TFontSpec*) {
    QMessageBox box(QMessageBox::NoIcon, Caption(), MessageText(text), QMessageBox::Ok,
                    DialogOwner());
    box.exec();
}

void TQtDialogs::ShowError(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, Caption(), MessageText(text), QMessageBox::Yes,
                    DialogOwner());
    box.exec();
}

bool TQtDialogs::Confirm(const std::string& text) {
    return QMessageBox::question(DialogOwner(), Caption(), MessageText(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::string TQtDialogs::OpenFileDialog(const std::string& filter) {
    const QString chosen =
        QFileDialog::getOpenFileName(DialogOwner(), QString(), QString(), NameFilter(filter));
    return FromQString(QDir::toNativeSeparators(chosen));
}

std::string TQtDialogs::SaveFileDialog(const std::string& fileName, const std::string& defaultExt,
                                       const std::string& filter) {
    QFileDialog dialog(DialogOwner(), QString(), ToQString(fileName), NameFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(ToQString(defaultExt));
    dialog.selectFile(ToQString(fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return FromQString(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

TQtSettingsStore::TQtSettingsStore()
    : TQtSettingsStore(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                       QStringLiteral("/chitalka/registry.ini")) {}

TQtSettingsStore::TQtSettingsStore(const QString& fileName)
    : Store(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

TQtSettingsStore::~TQtSettingsStore() = default;

bool TQtSettingsStore::WriteString(const std::string& key, const std::string& name,
                                   const std::string& value) {
    Store->setValue(SettingsKey(key, name), ToQString(value));
    Store->sync();
    return Store->status() == QSettings::NoError;
}

std::optional<std::string> TQtSettingsStore::ReadString(const std::string& key,
                                                        const std::string& name) {
    const QVariant value = Store->value(SettingsKey(key, name));
    if (!value.isValid())
        return std::nullopt;
    return FromQString(value.toString());
}

bool TQtSettingsStore::DeleteValue(const std::string& key, const std::string& name) {
    const QString path = SettingsKey(key, name);
    if (!Store->contains(path))
        return false;
    Store->remove(path);
    Store->sync();
    return true;
}

QString TQtSettingsStore::FileName() const { return Store->fileName(); }

bool TQtShell::ShellOpen(const std::string& file, const std::string& parameters,
                         const std::string& verb) {
    const auto resolved = ResolveHostFile(file);
    const QString target = resolved ? QString::fromStdString(*resolved) : ToQString(file);
    if (verb == "edit") {
        // The user's editor when one is named, else the desktop's handler for the file.
        QString editor = qEnvironmentVariable("VISUAL");
        if (editor.isEmpty())
            editor = qEnvironmentVariable("EDITOR");
        if (!editor.isEmpty())
            return QProcess::startDetached(editor, {target});
    }
    const QFileInfo info(target);
    if (info.isFile() && info.isExecutable())
        return QProcess::startDetached(
            target, QProcess::splitCommand(ToQString(parameters)), QString());
    const QUrl url = info.exists() ? QUrl::fromLocalFile(info.absoluteFilePath())
                                   : QUrl::fromUserInput(target);
    return QDesktopServices::openUrl(url);
}

std::string TQtShell::DefaultPrinter() {
    return FromQString(QPrinterInfo::defaultPrinterName()).substr(0, 255);
}

bool TQtShell::ApplyWallpaper(const std::string& fileName, bool tile) {
    // GNOME and its relatives keep the wallpaper in gsettings; elsewhere the values stay in the
    // settings store only. gsettings exits 0 without a session bus, so read the value back.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return false;
    const auto host = ResolveHostFile(fileName);
    if (!host)
        return false;
    const QString uri = QUrl::fromLocalFile(QString::fromStdString(*host)).toString();
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    bool ok = QProcess::execute(QStringLiteral("gsettings"),
                                {QStringLiteral("set"), schema, QStringLiteral("picture-uri"),
                                 uri}) == 0;
    QProcess::execute(QStringLiteral("gsettings"),
                      {QStringLiteral("set"), schema, QStringLiteral("picture-uri-dark"), uri});
    QProcess::execute(QStringLiteral("gsettings"),
                      {QStringLiteral("set"), schema, QStringLiteral("picture-options"),
                       tile ? QStringLiteral("wallpaper") : QStringLiteral("zoom")});
    if (!ok)
        return false;
    QProcess check;
    check.start(QStringLiteral("gsettings"), {QStringLiteral("get"), schema,
                                              QStringLiteral("picture-uri")});
    check.waitForFinished(3000);
    return QString::fromUtf8(check.readAllStandardOutput()).contains(uri);
}

TQtPlatform::TQtPlatform() {
    SetDialogs(&DialogService);
    SetSettings(&SettingsService);
    SetShell(&ShellService);
}

TQtPlatform::~TQtPlatform() {
    SetDialogs(nullptr);
    SetSettings(nullptr);
    SetShell(nullptr);
}
