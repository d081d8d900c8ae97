#pragma once

#include "Base/Signal.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QPushButton;

namespace vesk {

class ClaudeCodeExtension;

// The Claude Code options under its switch in the Extensions pane: whether this program's hook
// and status line stand in Claude Code's settings, the one button that installs or removes them,
// and the error of the last failed attempt (kept until a press succeeds, never stored).
class ClaudeCodeSettings final : public QWidget {
public:
    explicit ClaudeCodeSettings(std::shared_ptr<ClaudeCodeExtension> ext, QWidget *parent = nullptr);
    ~ClaudeCodeSettings() override;

    QLabel *status() const { return status_; }
    QLabel *explanation() const { return explanation_; }
    QPushButton *button() const { return button_; }
    QLabel *errorLine() const { return error_; }
    const std::optional<QString> &error() const { return errorText_; }

    // A pane gives the view its width and takes this height.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

private:
    void press();
    void update();

    std::shared_ptr<ClaudeCodeExtension> ext_;
    QLabel *status_;
    QLabel *explanation_;
    QPushButton *button_;
    QLabel *error_;
    std::optional<QString> errorText_;
    Connection observer_;
};

}  // namespace vesk
