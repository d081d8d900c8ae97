#pragma once

#include "Kit/Font.h"

#include <QString>

#include <string>
#include <vector>

namespace vesk {

// The patch notes as the update card shows them: one paragraph of the notes, each ending in a full
// stop, joined by single spaces; at most three lines of the 12-point system font in the card's
// 356-point width, 10 points below the header. The island sizes its update page with these too,
// so the paragraph never overflows the card.
QString updateNotesParagraph(const std::vector<std::string> &notes);
kit::Font updateNotesFont();
inline constexpr double updateNotesWidth = 356;
inline constexpr int updateNotesMaxLines = 3;
inline constexpr double updateNotesGap = 10;

}  // namespace vesk
