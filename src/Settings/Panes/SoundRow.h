#pragma once

#include "LockScreen/LockSounds.h"
#include "Settings/PaneKit/Binding.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace vesk {

// A lock or unlock sound: its name ("Built-in" or the file's), a button that plays it, one that
// chooses a file of the user's and, while one is chosen, one that goes back to the built-in sound.
class SoundRow : public QWidget {
public:
    SoundRow(QString title, Binding<QString> path, LockSounds::Sound sound, QWidget *parent = nullptr);

    const QString &title() const { return title_; }
    // The sound's full name; the row shows it cut in the middle to fit `nameWidth`.
    QString name() const { return nameFor(path_.get()); }
    static QString nameFor(const QString &path);
    static constexpr int nameWidth = 160;

    // Runs the chooser; an existing audio file becomes the path, anything else changes nothing.
    void choose();
    // The chooser's title: "Choose a " and the title in lower case.
    QString chooserTitle() const;
    // Whether `path` names an existing regular file whose type is, or comes from, audio/*.
    static bool isAudioFile(const QString &path);

    // What the chooser answers: a path, or none when cancelled. Tools install their own; by
    // default a file dialog for one existing file.
    using Chooser = std::function<std::optional<QString>(QWidget *parent, const QString &title)>;
    static void setChooser(Chooser chooser);

    void refresh();

    QLabel *nameLabel() const { return name_; }
    QPushButton *playButton() const { return play_; }
    QPushButton *chooseButton() const { return choose_; }
    QPushButton *resetButton() const { return reset_; }

private:
    QString title_;
    Binding<QString> path_;
    LockSounds::Sound sound_;
    QLabel *name_;
    QPushButton *play_;
    QPushButton *choose_;
    QPushButton *reset_;
};

}  // namespace vesk
