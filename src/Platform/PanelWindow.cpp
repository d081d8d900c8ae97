#include "Platform/PanelWindow.h"

namespace vesk {

QString plainTooltipText(const QString &text)
{
    QString line = text;
    for (QChar &c : line)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return line.trimmed();
}

}  // namespace vesk
