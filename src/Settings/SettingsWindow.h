#pragma once

#include "Base/MainQueue.h"
#include "Base/Signal.h"
#include "Settings/Panes/Panes.h"
#include "Settings/SettingsView.h"

#include <QMainWindow>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QSlider;
class QToolButton;

namespace vesk {

class PaneScaffold;

// The settings window: a sidebar of the panes under a search field, the selected pane beside it,
// and a toolbar with back and forward, the pane's icon and title and, on Notch only, the island's
// frost slider. The window title follows the pane. It owns its selection; closing it is the
// host's business.
class SettingsWindow : public QMainWindow {
public:
    SettingsWindow(std::unique_ptr<SettingsView::Selection> selection, PaneContext context, QWidget *parent = nullptr);
    ~SettingsWindow() override;

    SettingsView::Selection &selection() const { return *selection_; }
    PaneScaffold *pane() const { return pane_; }
    // The panes listed in the sidebar now, and the one selected there (none when filtered out).
    std::vector<SettingsView::Pane> listedPanes() const;
    std::optional<SettingsView::Pane> sidebarSelection() const;
    bool backEnabled() const;
    bool forwardEnabled() const;
    bool frostShown() const;

    // As the user does it.
    void search(const QString &text);
    // A click on a row of the sidebar; false when the pane is not listed.
    bool clickSidebar(SettingsView::Pane pane);
    void clickBack();
    void clickForward();
    void dragFrost(double value);

    // Runs when the window is asked to close, before it goes (the host keeps it or not).
    std::function<void()> onClose;

    static constexpr int sidebarWidth = 215;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *makeSidebar();
    void makeToolbar();
    void fillList();
    void selectListRow();
    void paneChanged();
    void historyChanged();
    void showPane();
    void refreshFrost();

    std::unique_ptr<SettingsView::Selection> selection_;
    PaneContext context_;
    QLineEdit *search_ = nullptr;
    QListWidget *list_ = nullptr;
    bool filling_ = false;
    QToolButton *back_ = nullptr;
    QToolButton *forward_ = nullptr;
    QLabel *titleIcon_ = nullptr;
    QLabel *titleText_ = nullptr;
    QAction *frostAction_ = nullptr;
    QSlider *frost_ = nullptr;
    QWidget *page_ = nullptr;
    PaneScaffold *pane_ = nullptr;
    std::vector<Connection> observers_;
    Connection settings_;
    WorkItem update_;
};

}  // namespace vesk
