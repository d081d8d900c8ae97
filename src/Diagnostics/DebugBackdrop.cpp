#include "Diagnostics/DebugBackdrop.h"

#include "Kit/Blur.h"
#include "Kit/Palette.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

#include <cmath>

namespace vesk {

namespace {

// Draws the picture painted for its device pixel ratio; nothing in it ever changes.
class BackdropWidget final : public QWidget {
public:
    explicit BackdropWidget(bool monochrome) : monochrome_(monochrome)
    {
        Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint
                                | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput;
        if (monochrome)
            flags |= Qt::WindowStaysOnTopHint;
        setWindowFlags(flags);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setWindowTitle(QStringLiteral("Vesk backdrop"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const double scale = devicePixelRatioF();
        if (picture_.isNull() || scale != pictureScale_) {
            picture_ = DebugBackdrop::paint(monochrome_, size(), scale);
            pictureScale_ = scale;
        }
        QPainter painter(this);
        painter.drawImage(rect(), picture_);
    }

private:
    bool monochrome_;
    QImage picture_;
    double pictureScale_ = 0;
};

QColor grey(double white, double alpha = 1) { return QColor::fromRgbF(white, white, white, alpha); }

}  // namespace

QRect DebugBackdrop::placement(bool monochrome, const QRect &screen)
{
    const QRectF f = screen.isValid() ? QRectF(screen) : QRectF();
    const double midX = f.x() + f.width() / 2, bottom = f.y() + f.height();
    if (monochrome)
        return QRect(int(std::lround(midX - 460)), int(std::lround(bottom - 600)), 920, 600);
    return QRect(int(std::lround(midX - 320)), int(std::lround(bottom - 560)), 640, 520);
}

QImage DebugBackdrop::paint(bool monochrome, QSize size, double scale)
{
    const double W = size.width(), H = size.height();
    QImage image(int(std::ceil(W * scale)), int(std::ceil(H * scale)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // The diagonal runs from the bottom-left corner (first colour) to the top-right one.
    QLinearGradient gradient(QPointF(0, H), QPointF(W, 0));
    if (monochrome) {
        gradient.setColorAt(0, grey(0.08));
        gradient.setColorAt(0.5, grey(0.32));
        gradient.setColorAt(1, grey(0.62));
    } else {
        gradient.setColorAt(0, kit::palette::light::blue.toQColor());
        gradient.setColorAt(0.5, kit::palette::light::pink.toQColor());
        gradient.setColorAt(1, kit::palette::light::yellow.toQColor());
    }
    painter.fillRect(QRectF(0, 0, W, H), gradient);

    if (!monochrome) {
        // Sixteen stripes, counted from the bottom: stripe i spans H - 11 - 34 i to H - 6 - 34 i.
        for (int i = 0; i < 16; ++i)
            painter.fillRect(QRectF(0, H - 11 - 34 * i, W, 5), grey(1, 0.85));
        return image;
    }

    // Three soft discs, blurred as one layer; the gradient beneath stays sharp. A wide blur loses
    // nothing at a low resolution, so the layer is drawn at a quarter of the pixels per point.
    struct Disc {
        double side, cx, cy;
        QColor colour;
    };
    const Disc discs[] = {{520, 0.22 * W, 0.65 * H, grey(0.85, 0.55)},
                          {400, 0.78 * W, 0.75 * H, grey(0.15, 0.55)},
                          {640, 0.6 * W, 0.3 * H, grey(0.55, 0.55)}};
    const double reduced = scale / 4;
    QImage layer(int(std::ceil(W * reduced)), int(std::ceil(H * reduced)), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter discPainter(&layer);
        discPainter.setRenderHint(QPainter::Antialiasing);
        discPainter.scale(reduced, reduced);
        discPainter.setPen(Qt::NoPen);
        for (const Disc &disc : discs) {
            discPainter.setBrush(disc.colour);
            discPainter.drawEllipse(QPointF(disc.cx, disc.cy), disc.side / 2, disc.side / 2);
        }
    }
    kit::gaussianBlur(layer, 60 * reduced);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, W, H), layer);
    return image;
}

DebugBackdrop::DebugBackdrop(bool monochrome, const QRect &mainScreen)
    : monochrome_(monochrome), frame_(placement(monochrome, mainScreen))
{
}

DebugBackdrop::~DebugBackdrop() = default;

void DebugBackdrop::ensureWindow()
{
    // Only an application with widgets can show one; elsewhere the backdrop is a state alone.
    if (window_ || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    window_ = std::make_unique<BackdropWidget>(monochrome_);
    window_->setGeometry(frame_);
}

void DebugBackdrop::show()
{
    visible_ = true;
    ensureWindow();
    if (!window_)
        return;
    window_->show();
    window_->raise();
}

void DebugBackdrop::hide()
{
    visible_ = false;
    if (window_)
        window_->hide();
}

}  // namespace vesk
