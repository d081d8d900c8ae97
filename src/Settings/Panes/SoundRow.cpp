#include "Settings/Panes/SoundRow.h"

#include "Settings/PaneKit/PaneStyle.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeDatabase>
#include <QPushButton>

#include <sys/stat.h>

namespace vesk {

namespace {

std::optional<QString> runFileDialog(QWidget *parent, const QString &title)
{
    QFileDialog dialog(parent, title);
    dialog.setObjectName(QStringLiteral("soundChooser"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("Audio files (*.wav *.wave *.aif *.aiff *.aifc *.flac *.ogg *.oga *.opus "
                                        "*.mp3 *.m4a *.aac *.caf *.au *.snd)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

SoundRow::Chooser &installedChooser()
{
    static SoundRow::Chooser chooser;
    return chooser;
}

}  // namespace

void SoundRow::setChooser(Chooser chooser) { installedChooser() = std::move(chooser); }

SoundRow::SoundRow(QString title, Binding<QString> path, LockSounds::Sound sound, QWidget *parent)
    : QWidget(parent),
      title_(std::move(title)),
      path_(path),
      sound_(sound),
      name_(new QLabel(this)),
      play_(new QPushButton(this)),
      choose_(new QPushButton(QStringLiteral("Choose\u2026"), this)),
      reset_(new QPushButton(QStringLiteral("Reset"), this))
{
    auto *line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    line->addWidget(new QLabel(title_, this), 1);
    name_->setMaximumWidth(nameWidth);
    name_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette p = name_->palette();
    p.setColor(QPalette::WindowText, pane_style::secondary());
    name_->setPalette(p);
    line->addWidget(name_);
    play_->setIcon(QIcon(pane_style::symbolPixmap(QStringLiteral("play.fill"), 12, pane_style::primary(),
                                                  devicePixelRatioF())));
    play_->setToolTip(QStringLiteral("Play"));
    play_->setAccessibleName(QStringLiteral("Play"));
    line->addWidget(play_);
    line->addWidget(choose_);
    line->addWidget(reset_);
    connect(play_, &QPushButton::clicked, this, [this] { LockSounds::play(sound_); });
    connect(choose_, &QPushButton::clicked, this, [this] { choose(); });
    connect(reset_, &QPushButton::clicked, this, [this] {
        path_.set(QString());
        refresh();  // a row outside a form follows its own writes too
    });
    refresh();
}

QString SoundRow::nameFor(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("Built-in");
    // The last component of the path as a file address: trailing slashes do not count.
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    if (trimmed == QLatin1String("/"))
        return trimmed;
    return trimmed.section(QLatin1Char('/'), -1);
}

QString SoundRow::chooserTitle() const { return QStringLiteral("Choose a ") + title_.toLower(); }

bool SoundRow::isAudioFile(const QString &path)
{
    // Only a regular file is looked into: reading a FIFO or a device to learn its type could block.
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchDefault);
    if (type.name().startsWith(QLatin1String("audio/")))
        return true;
    for (const QString &parent : type.allAncestors())
        if (parent.startsWith(QLatin1String("audio/")))
            return true;
    return false;
}

void SoundRow::choose()
{
    const Chooser &chooser = installedChooser();
    const auto answer = chooser ? chooser(this, chooserTitle()) : runFileDialog(window(), chooserTitle());
    // The dialog lets a typed name through whatever its filter says: the type is checked here.
    if (!answer || !isAudioFile(*answer))
        return;
    path_.set(QFileInfo(*answer).absoluteFilePath());
    refresh();
}

void SoundRow::refresh()
{
    const QString full = name();
    // Cut in the middle so that a long name never widens the row.
    name_->setText(name_->fontMetrics().elidedText(full, Qt::ElideMiddle, nameWidth));
    name_->setToolTip(full);
    reset_->setVisible(!path_.get().isEmpty());
}

}  // namespace vesk
