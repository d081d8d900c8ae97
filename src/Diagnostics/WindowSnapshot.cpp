#include "Diagnostics/WindowSnapshot.h"

#include "Kit/Tree.h"
#include "Platform/AtomicFile.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <cmath>

namespace vesk {

namespace {
WindowSnapshot::Grabber installedGrabber;
}

void WindowSnapshot::setGrabber(Grabber grabber)
{
    installedGrabber = std::move(grabber);
}

QImage WindowSnapshot::screenImage(const QRect &frame, double scale)
{
    if (installedGrabber)
        return installedGrabber(frame, scale);
    if (!qGuiApp)
        return {};
    QScreen *screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        return {};
    // Window 0 is the whole screen; its coordinates start at the screen's own corner.
    const QRect local = frame.translated(-screen->geometry().topLeft());
    const QPixmap grab = screen->grabWindow(0, local.x(), local.y(), local.width(), local.height());
    if (grab.isNull())
        return {};
    return grab.toImage().scaled(static_cast<int>(std::ceil(frame.width() * scale)),
                                 static_cast<int>(std::ceil(frame.height() * scale)), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
}

QImage WindowSnapshot::image(const Window &window, bool withBackground)
{
    if (!window.isVisible || !window.tree || !window.tree->root())
        return {};
    QImage island = window.tree->render(window.scale);
    if (!withBackground)
        return island;
    QImage composed = screenImage(window.frame, window.scale);
    if (composed.isNull())
        return {};
    composed = composed.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                   .scaled(island.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&composed);
    painter.drawImage(0, 0, island);
    painter.end();
    return composed;
}

void WindowSnapshot::write(const Window &window, const std::string &path, bool withBackground)
{
    const QImage picture = image(window, withBackground);
    if (picture.isNull())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        return;
    replaceFileAtomically(path, std::string_view(png.constData(), static_cast<size_t>(png.size())), 0644);
}

}  // namespace vesk
