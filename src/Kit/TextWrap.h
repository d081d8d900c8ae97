#pragma once

#include "Kit/Font.h"

#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

namespace kit {

// How the lines of a multi-line text sit in the width the text was given.
enum class TextAlignment { leading, center };

// A text broken into lines for one width.
struct TextBlock {
    std::vector<TextLine> lines;      // each line laid out from x 0, trailing spaces dropped
    std::vector<qsizetype> starts;    // where each line begins in the text
    double width = 0;                 // the widest line, unrounded
    double height = 0;                // lines × the font's line height
    bool truncated = false;           // the last allowed line was cut with an ellipsis
    QString shown;                    // the text as drawn: the text itself, or its cut form
};

// Breaks `text` into lines no wider than `maxWidth` (negative or infinite: only at its line
// breaks). Lines break at word boundaries; a word wider than the whole width breaks between
// characters. With `lineLimit` n, at most n lines are made and, when text remains, the last one
// holds the rest of its paragraph cut with an ellipsis. This is the one measure of multi-line
// text: views that size themselves around a paragraph measure with it.
TextBlock layoutText(const QString &text, const Font &font, double maxWidth = -1,
                     std::optional<int> lineLimit = std::nullopt);

// The size a multi-line text takes when offered `maxWidth`: its widest line rounded up to a whole
// point, and lines × line height.
QSizeF measureText(const QString &text, const Font &font, double maxWidth = -1,
                   std::optional<int> lineLimit = std::nullopt);

}  // namespace kit
