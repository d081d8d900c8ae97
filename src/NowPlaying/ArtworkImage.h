#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>

#include <optional>

namespace vesk::artwork {

// The longer side of artwork as it is kept and shown, in pixels.
constexpr int thumbnailLimit = 192;

// Decodes artwork bytes (orientation applied) into an image whose longer side is at most 192
// pixels, never enlarged; none when the bytes are no image.
std::optional<QImage> image(const QByteArray &bytes);

// The accent colour of artwork: the mean of its premultiplied pixels (transparent counts as black)
// with saturation raised by 30 % up to 0.8 and brightness at least 0.85. White for a null image.
QColor accent(const QImage &image);

}  // namespace vesk::artwork
