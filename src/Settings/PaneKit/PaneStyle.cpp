#include "Settings/PaneKit/PaneStyle.h"

#include "Kit/Kit.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QPalette>

#include <cmath>

namespace vesk::pane_style {

namespace {
QColor textAt(double alpha)
{
    QColor c = QGuiApplication::palette().color(QPalette::WindowText);
    c.setAlphaF(float(alpha));
    return c;
}

double ratio(TextStyle style)
{
    switch (style) {
    case TextStyle::callout: return 12.0 / 13.0;
    case TextStyle::caption: return 10.0 / 13.0;
    case TextStyle::title3: return 15.0 / 13.0;
    case TextStyle::largeTitle: return 26.0 / 13.0;
    case TextStyle::body: break;
    }
    return 1;
}

QPixmap render(kit::Element element, QSizeF size, double devicePixelRatio)
{
    kit::Tree tree(size);
    tree.setRoot(std::move(element));
    tree.update();
    QPixmap pixmap = QPixmap::fromImage(tree.render(devicePixelRatio));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}
}  // namespace

QColor primary() { return textAt(1); }
QColor secondary() { return textAt(0.55); }
QColor quaternary() { return textAt(0.10); }
QColor accent() { return QGuiApplication::palette().color(QPalette::Highlight); }

QFont font(TextStyle style, QFont::Weight weight)
{
    QFont f = QGuiApplication::font();
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * ratio(style));
    else
        f.setPixelSize(std::max(1, int(std::lround(f.pixelSize() * ratio(style)))));
    f.setWeight(weight);
    return f;
}

kit::Font kitFont(TextStyle style, kit::Weight weight)
{
    const double pixels = QFontInfo(QGuiApplication::font()).pixelSize();
    return kit::Font::system((pixels > 0 ? pixels : 13) * ratio(style), weight);
}

QPixmap symbolPixmap(const QString &name, double size, const QColor &color, double devicePixelRatio, kit::Weight weight)
{
    return render(kit::Symbol(name, size, weight, kitColor(color)), QSizeF(size, size), devicePixelRatio);
}

}  // namespace vesk::pane_style

namespace vesk {

kit::Element PaneIcon::body(const kit::Env &) const
{
    using namespace kit;
    return Symbol(SettingsView::symbol(pane), size * 0.55, Weight::semibold, Color::white())
        .frame(size, size)
        .background(Fill(RoundedRectangle(size * 0.24, CornerStyle::continuous), SettingsView::tint(pane)));
}

QPixmap PaneIcon::pixmap(double devicePixelRatio) const
{
    return pane_style::render(kit::view(*this), QSizeF(size, size), devicePixelRatio);
}

}  // namespace vesk
