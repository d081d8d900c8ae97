#include "Platform/PanelWindow.h"

#include <cstring>

namespace vesk {

QRegion takeChangedPixels(QImage &shown, const QImage &image, const QRegion &changed)
{
    const QImage source = image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (shown.size() != source.size() || shown.format() != source.format()) {
        shown = source.copy();
        return source.isNull() ? QRegion() : QRegion(source.rect());
    }
    QRegion copied;
    for (const QRect &r : changed & QRegion(source.rect())) {
        const size_t offset = size_t(r.x()) * 4, bytes = size_t(r.width()) * 4;
        const auto same = [&](int y) {
            return std::memcmp(shown.constScanLine(y) + offset, source.constScanLine(y) + offset, bytes) == 0;
        };
        int first = r.top(), last = r.bottom();
        while (first <= last && same(first))
            ++first;
        while (last > first && same(last))
            --last;
        if (first > last)
            continue;
        for (int y = first; y <= last; ++y)
            std::memcpy(shown.scanLine(y) + offset, source.constScanLine(y) + offset, bytes);
        copied += QRect(r.x(), first, r.width(), last - first + 1);
    }
    return copied;
}

QString plainTooltipText(const QString &text)
{
    QString line = text;
    for (QChar &c : line)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return line.trimmed();
}

}  // namespace vesk
