#include "Platform/linux/XdgDesktopApps.h"

#include "Platform/ImageFormat.h"
#include "Platform/XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTextStream>

#include <algorithm>
#include <cstdlib>

namespace vesk {

namespace {

QString environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? QString::fromLocal8Bit(value) : QString();
}

// An absolute folder from the variable, else the fallback under the home folder.
QString homeFolder(const char *variable, const char *fallback)
{
    return QString::fromStdString(xdgUserFolder(variable, fallback));
}

QStringList folderList(const char *variable, const QStringList &fallback)
{
    QStringList folders;
    for (const QString &folder : environment(variable).split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder))
            folders << folder;
    }
    return folders.isEmpty() ? fallback : folders;
}

QStringList dataFolders()
{
    return QStringList{homeFolder("XDG_DATA_HOME", ".local/share")}
        + folderList("XDG_DATA_DIRS", {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
}

// The values of one key in one group of a desktop-entry style file.
QString entryValue(const QString &path, const QString &group, const QString &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        if (!inGroup)
            continue;
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && line.left(equals).trimmed() == key)
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

std::optional<QImage> loadScaled(const QString &path, int pixels)
{
    QImageReader reader(path);
    nameImageFormat(reader, QFileInfo(path).suffix().toLatin1());
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && !size.isEmpty())
        reader.setScaledSize(size.scaled(pixels, pixels, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if (std::max(image.width(), image.height()) != pixels)
        image = image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

// A themed icon name: the desktop theme's folders, hicolor, then /usr/share/pixmaps. Qt itself
// searches no icon folder without a desktop platform theme, so the folders are searched here.
std::optional<QString> findThemedIcon(const QString &name)
{
    QStringList themes;
    // The desktop's own theme, as GTK desktops and KDE write it down.
    const QString config = homeFolder("XDG_CONFIG_HOME", ".config");
    for (const QString &theme : {entryValue(config + QStringLiteral("/gtk-3.0/settings.ini"), QStringLiteral("Settings"),
                                            QStringLiteral("gtk-icon-theme-name")),
                                 entryValue(config + QStringLiteral("/kdeglobals"), QStringLiteral("Icons"),
                                            QStringLiteral("Theme"))}) {
        if (!theme.isEmpty() && !theme.contains(QLatin1Char('/')) && !themes.contains(theme))
            themes << theme;
    }
    themes << QStringLiteral("hicolor");
    static const QStringList sizes = {QStringLiteral("128x128"), QStringLiteral("256x256"), QStringLiteral("512x512"),
                                      QStringLiteral("scalable"), QStringLiteral("96x96"),  QStringLiteral("64x64"),
                                      QStringLiteral("48x48"),    QStringLiteral("32x32"),  QStringLiteral("24x24"),
                                      QStringLiteral("16x16")};
    static const QStringList extensions = {QStringLiteral(".png"), QStringLiteral(".svg"), QStringLiteral(".xpm")};
    QStringList bases;
    for (const QString &folder : dataFolders())
        bases << folder + QStringLiteral("/icons");
    for (const QString &theme : themes) {
        for (const QString &size : sizes) {
            for (const QString &base : bases) {
                for (const QString &extension : extensions) {
                    const QString path = base + QLatin1Char('/') + theme + QLatin1Char('/') + size + QStringLiteral("/apps/")
                        + name + extension;
                    if (QFileInfo(path).isFile())
                        return path;
                }
            }
        }
    }
    for (const QString &extension : extensions) {
        const QString path = QStringLiteral("/usr/share/pixmaps/") + name + extension;
        if (QFileInfo(path).isFile())
            return path;
    }
    return std::nullopt;
}

}  // namespace

QStringList XdgDesktopApps::mimeappsFiles()
{
    QStringList desktops;
    for (const QString &desktop : environment("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops << desktop.toLower();
    QStringList folders;
    folders << homeFolder("XDG_CONFIG_HOME", ".config");
    folders << folderList("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")});
    for (const QString &folder : dataFolders())
        folders << folder + QStringLiteral("/applications");
    QStringList files;
    for (const QString &folder : folders) {
        for (const QString &desktop : desktops)
            files << folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        files << folder + QStringLiteral("/mimeapps.list");
    }
    return files;
}

QString XdgDesktopApps::desktopFile(const QString &id)
{
    if (id.isEmpty() || id.contains(QLatin1Char('/')))
        return {};
    const QString file = id + QStringLiteral(".desktop");
    for (const QString &folder : dataFolders()) {
        const QString applications = folder + QStringLiteral("/applications/");
        if (QFileInfo(applications + file).isFile())
            return applications + file;
        // "kde-org.foo.desktop" may live at applications/kde/org.foo.desktop.
        QString nested = file;
        nested.replace(QLatin1Char('-'), QLatin1Char('/'));
        if (nested != file && QFileInfo(applications + nested).isFile())
            return applications + nested;
    }
    return {};
}

std::optional<QString> XdgDesktopApps::defaultApplication(const QString &mimeType) const
{
    for (const QString &path : mimeappsFiles()) {
        const QString value = entryValue(path, QStringLiteral("Default Applications"), mimeType);
        for (QString id : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            id = id.trimmed();
            if (id.endsWith(QStringLiteral(".desktop")))
                id.chop(8);
            if (!desktopFile(id).isEmpty())
                return id;
        }
    }
    return std::nullopt;
}

std::optional<QImage> XdgDesktopApps::icon(const QString &id, int pixels) const
{
    const QString file = desktopFile(id);
    if (file.isEmpty())
        return std::nullopt;
    const QString name = entryValue(file, QStringLiteral("Desktop Entry"), QStringLiteral("Icon"));
    if (name.isEmpty())
        return std::nullopt;
    if (QDir::isAbsolutePath(name))
        return loadScaled(name, pixels);
    const auto path = findThemedIcon(name);
    return path ? loadScaled(*path, pixels) : std::nullopt;
}

}  // namespace vesk
