#include "Updater/UpdateNotes.h"

namespace vesk {

QString updateNotesParagraph(const std::vector<std::string> &notes)
{
    QString text;
    for (const auto &note : notes) {
        QString line = QString::fromStdString(note);
        if (!line.endsWith(QLatin1Char('.')))
            line += QLatin1Char('.');
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += line;
    }
    return text;
}

kit::Font updateNotesFont() { return kit::Font::system(12); }

}  // namespace vesk
