#include "Kit/TreeWindow.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kit {

std::optional<PointerEvent> pointerEventFrom(const QEvent &event)
{
    switch (event.type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        const auto &mouse = static_cast<const QMouseEvent &>(event);
        PointerEvent out;
        out.type = event.type() == QEvent::MouseMove           ? PointerEvent::Type::move
                   : event.type() == QEvent::MouseButtonPress ? PointerEvent::Type::press
                                                              : PointerEvent::Type::release;
        out.position = mouse.position();
        out.globalPosition = mouse.globalPosition();
        out.button = event.type() == QEvent::MouseMove ? Qt::NoButton : mouse.button();
        return out;
    }
    case QEvent::Enter: {
        const auto &enter = static_cast<const QEnterEvent &>(event);
        return PointerEvent::move(enter.position());
    }
    case QEvent::Leave:
        return PointerEvent::leave();
    default:
        return std::nullopt;
    }
}

TreeWindow::TreeWindow(QSizeF size, QWindow *parent) : QRasterWindow(parent), tree_(size)
{
    resize(size.toSize());
    repaint_ = tree_.needsDisplay.connect([this] { requestRepaint(); });
    cursor_ = tree_.cursorChanged.connect([this](Qt::CursorShape shape) { setCursor(shape); });
}

QRegion TreeWindow::toPoints(const QRegion &device) const
{
    const double ratio = devicePixelRatio();
    QRegion points;
    for (const QRect &r : device)
        points += QRectF(r.x() / ratio, r.y() / ratio, r.width() / ratio, r.height() / ratio).toAlignedRect();
    return points;
}

void TreeWindow::requestRepaint(const QRegion &painting)
{
    // Only the part of the window whose drawing changed is asked for (the backing store keeps
    // the rest), and nothing when nothing did.
    const QRegion damage = toPoints(tree_.takeDamage(devicePixelRatio())) - painting;
    if (!damage.isEmpty())
        update(damage);
}

void TreeWindow::paintEvent(QPaintEvent *event)
{
    const QRegion region = event->region();
    // What changed without asking (a first expose, a new scale) and lies outside this paint is
    // asked for, for the next one.
    requestRepaint(region);
    // The backing store is already scaled to the device pixel ratio: user units are points.
    const double ratio = devicePixelRatio();
    QRegion device;
    for (const QRect &r : region)
        device += QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio).toAlignedRect();
    QPainter painter(this);
    beginRepaint(painter, region, region);
    tree_.paintDamage(painter, ratio, device);
}

bool TreeWindow::event(QEvent *event)
{
    if (const auto pointer = pointerEventFrom(*event)) {
        tree_.handlePointer(*pointer);
        return true;
    }
    return QRasterWindow::event(event);
}

void TreeWindow::resizeEvent(QResizeEvent *event)
{
    tree_.setSize(QSizeF(size()));
    QRasterWindow::resizeEvent(event);
}

}  // namespace kit
