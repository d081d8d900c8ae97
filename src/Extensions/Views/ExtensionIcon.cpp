#include "Extensions/Views/ExtensionIcon.h"

#include "Kit/Tree.h"

namespace vesk {

using namespace kit;

Element ExtensionIcon::body(const Env &) const
{
    return ZStack(StackOptions{},
                  Fill(RoundedRectangle(0.26 * size, CornerStyle::continuous), Color::fromQColor(info.tint)),
                  Symbol(QString::fromStdString(info.symbol), 0.5 * size, Weight::bold, Color::white()))
        .frame(size, size);
}

QImage ExtensionIcon::image(const ExtensionInfo &info, double size, double scale)
{
    Tree tree(QSizeF(size, size));
    tree.setRoot(view(ExtensionIcon{info, size}));
    QImage image = tree.render(scale);
    image.setDevicePixelRatio(scale);
    return image;
}

}  // namespace vesk
