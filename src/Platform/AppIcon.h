#pragma once

#include <QIcon>
#include <QImage>

namespace vesk {

// The application's icon (data/vesk.svg, installed as "vesk" in the hicolor theme), drawn at
// `side` points and `scale` pixels per point.
QImage appIconImage(double side, double scale = 1);
QIcon appIcon();

}  // namespace vesk
