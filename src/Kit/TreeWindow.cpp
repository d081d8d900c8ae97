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
    repaint_ = tree_.needsDisplay.connect([this] { update(); });
    cursor_ = tree_.cursorChanged.connect([this](Qt::CursorShape shape) { setCursor(shape); });
}

void TreeWindow::paintEvent(QPaintEvent *)
{
    // The backing store is already scaled to the device pixel ratio: user units are points.
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(QPoint(0, 0), size()), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    tree_.paint(painter, devicePixelRatio());
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
