#pragma once

#include <QPainterPath>
#include <QString>
#include <QStringList>

#include <optional>

namespace kit {

// Marks a symbol name kept in a table or a metrics header, so that the test that checks every
// name the code uses finds it: it reads every string literal passed to Symbol or SymbolName.
constexpr const char *SymbolName(const char *name) { return name; }

// The design's symbol names mapped to glyphs of the Material Design Icons font, or to paths drawn
// here where the font has no fair match. Glyph outlines are in a unit em box (0..1 both ways, y
// down) so they scale to any size.
class SymbolTable {
public:
    static bool hasSymbol(const QString &name);
    static QStringList names();
    // The outline of `name` in a 1 x 1 box; nullopt for unknown names.
    static std::optional<QPainterPath> outline(const QString &name);
    // The visible stand-in for an unknown name: a dashed square with a question mark.
    static QPainterPath fallbackOutline();
    // The Material Design Icons code point of `name`, or 0 when it is drawn as a path or unknown.
    static char32_t codePoint(const QString &name);
    // Whether the icon font is installed and holds a glyph for `codePoint`.
    static bool fontHasGlyph(char32_t codePoint);
};

bool hasSymbol(const QString &name);

}  // namespace kit
