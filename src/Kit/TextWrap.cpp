// Multi-line text: greedy breaking at word boundaries, a line limit with a cut last line.
#include "Kit/TextWrap.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace kit {

namespace {

QStringView trimmedRight(QStringView view)
{
    while (!view.isEmpty() && view.back().isSpace())
        view.chop(1);
    return view;
}

// Positions inside [0, size] where a line may break, in order, the end included.
std::vector<qsizetype> boundaries(const QString &paragraph, QTextBoundaryFinder::BoundaryType type)
{
    std::vector<qsizetype> out;
    QTextBoundaryFinder finder(type, paragraph);
    for (qsizetype pos = finder.toNextBoundary(); pos > 0; pos = finder.toNextBoundary())
        out.push_back(pos);
    if (out.empty() || out.back() != paragraph.size())
        out.push_back(paragraph.size());
    return out;
}

// The last of `candidates` (all after `start`) whose line from `start` fits, or -1.
qsizetype lastFitting(const QString &paragraph, qsizetype start, const std::vector<qsizetype> &candidates,
                      const Font &font, double maxWidth)
{
    auto fits = [&](qsizetype end) {
        return font.advance(trimmedRight(QStringView(paragraph).mid(start, end - start))) <= maxWidth + 1e-6;
    };
    // Widths grow with the line, so the candidates that fit come first.
    auto first = std::upper_bound(candidates.begin(), candidates.end(), start);
    auto lo = first, hi = candidates.end();
    while (lo < hi) {
        auto mid = lo + (hi - lo) / 2;
        if (fits(*mid))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo == first ? -1 : *(lo - 1);
}

}  // namespace

TextBlock layoutText(const QString &text, const Font &font, double maxWidth, std::optional<int> lineLimit)
{
    const bool bounded = maxWidth >= 0 && std::isfinite(maxWidth);
    const int limit = lineLimit ? std::max(1, *lineLimit) : -1;
    const QStringList paragraphs = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n');
    TextBlock block;
    qsizetype offset = 0;  // where the paragraph begins in `text` (a "\r\n" counts two)
    auto addLine = [&](TextLine line, qsizetype start) {
        block.width = std::max(block.width, line.width);
        block.lines.push_back(std::move(line));
        block.starts.push_back(start);
    };
    for (qsizetype p = 0; p < paragraphs.size(); ++p) {
        const QString &paragraph = paragraphs[p];
        const bool moreParagraphs = p + 1 < paragraphs.size();
        std::vector<qsizetype> breaks, graphemes;
        if (bounded)
            breaks = boundaries(paragraph, QTextBoundaryFinder::Line);
        qsizetype start = 0;
        do {
            const QStringView rest = trimmedRight(QStringView(paragraph).mid(start));
            const bool lastAllowed = limit > 0 && int(block.lines.size()) == limit - 1;
            const bool restFits = !bounded || font.advance(rest) <= maxWidth + 1e-6;
            if (lastAllowed && (!restFits || moreParagraphs)) {
                // The last line the limit allows: the rest of this paragraph, cut so that the
                // ellipsis fits; text that follows on later lines is dropped behind it.
                QString shown = rest.toString();
                if (restFits)
                    shown += QStringLiteral("\u2026");
                TextLine line = layoutLine(shown, font, bounded ? maxWidth : -1);
                line.truncated = true;
                addLine(std::move(line), offset + start);
                block.truncated = true;
                break;
            }
            qsizetype end = paragraph.size();
            if (!restFits) {
                end = lastFitting(paragraph, start, breaks, font, maxWidth);
                if (end < 0) {
                    // Not even the first word fits: break it between characters, at least one.
                    if (graphemes.empty())
                        graphemes = boundaries(paragraph, QTextBoundaryFinder::Grapheme);
                    end = lastFitting(paragraph, start, graphemes, font, maxWidth);
                    if (end < 0)
                        end = *std::upper_bound(graphemes.begin(), graphemes.end(), start);
                }
            }
            addLine(layoutLine(trimmedRight(QStringView(paragraph).mid(start, end - start)).toString(), font),
                    offset + start);
            start = end;
        } while (start < paragraph.size());
        if (block.truncated)
            break;
        offset += paragraph.size();
        offset += offset < text.size() && text[offset] == u'\r' ? 2 : 1;
    }
    block.height = double(block.lines.size()) * font.lineHeight();
    block.shown = block.truncated ? text.left(block.starts.back()) + block.lines.back().shown : text;
    return block;
}

QSizeF measureText(const QString &text, const Font &font, double maxWidth, std::optional<int> lineLimit)
{
    const TextBlock block = layoutText(text, font, maxWidth, lineLimit);
    return {std::ceil(block.width - 1e-9), block.height};
}

}  // namespace kit
