#include "Extensions/Views/ClaudeCodeSettings.h"

#include "Extensions/ClaudeCodeExtension.h"
#include "Kit/Palette.h"
#include "Settings/PaneKit/PaneStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vesk {

namespace {

void setTextColor(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

}  // namespace

ClaudeCodeSettings::ClaudeCodeSettings(std::shared_ptr<ClaudeCodeExtension> ext, QWidget *parent)
    : QWidget(parent),
      ext_(std::move(ext)),
      status_(new QLabel(this)),
      explanation_(new QLabel(this)),
      button_(new QPushButton(this)),
      error_(new QLabel(this))
{
    using pane_style::TextStyle;
    explanation_->setWordWrap(true);
    explanation_->setFont(pane_style::font(TextStyle::caption));
    setTextColor(explanation_, QPalette::WindowText, pane_style::secondary());
    error_->setWordWrap(true);
    error_->setFont(pane_style::font(TextStyle::caption));
    setTextColor(error_, QPalette::WindowText, kit::palette::red.toQColor());
    error_->hide();

    auto *label = new QVBoxLayout;
    label->setSpacing(2);
    label->setContentsMargins(0, 0, 0, 0);
    label->addWidget(status_);
    label->addWidget(explanation_);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(label, 1);
    row->addWidget(button_, 0, Qt::AlignVCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addLayout(row);
    layout->addWidget(error_);

    QObject::connect(button_, &QPushButton::clicked, this, [this] { press(); });
    observer_ = ext_->isConnected.observe([this] { update(); });
    update();
}

ClaudeCodeSettings::~ClaudeCodeSettings() = default;

void ClaudeCodeSettings::press()
{
    try {
        if (ext_->isConnected.peek())
            ext_->disconnect();
        else
            ext_->connect();
        errorText_.reset();
    } catch (const std::exception &error) {
        // ConnectError's sentence, or "<path>: <the system's reason>" for a file error.
        errorText_ = QString::fromUtf8(error.what());
    }
    update();
}

void ClaudeCodeSettings::update()
{
    const bool connected = ext_->isConnected.peek();
    status_->setText(connected ? QStringLiteral("Connected") : QStringLiteral("Not connected"));
    explanation_->setText(connected ? QStringLiteral("Claude Code reports its sessions and limits to Vesk. Your status line "
                                                     "keeps working as before.")
                                    : QStringLiteral("Adds a small hook and a status-line wrapper to ~/.claude/settings.json "
                                                     "(a backup is kept). Your own status line keeps working."));
    button_->setText(connected ? QStringLiteral("Disconnect") : QStringLiteral("Connect to Claude Code"));
    // Connecting is the prominent action: a button filled with the accent.
    if (connected) {
        button_->setStyleSheet(QString());
    } else {
        const QColor text = palette().color(QPalette::HighlightedText);
        button_->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; border: none; border-radius: 5px;"
                                              " padding: 3px 10px; }")
                                   .arg(pane_style::accent().name(), text.name()));
    }
    error_->setText(errorText_.value_or(QString()));
    error_->setVisible(errorText_.has_value());
    updateGeometry();
}

int ClaudeCodeSettings::heightForWidth(int width) const { return layout()->totalHeightForWidth(width); }

}  // namespace vesk
