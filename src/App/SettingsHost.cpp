#include "App/SettingsHost.h"

#include "Model/NotchViewModel.h"
#include "Platform/AppIcon.h"
#include "Platform/UserDefaults.h"
#include "Platform/WindowWorkspace.h"
#include "Settings/PaneKit/PaneScaffold.h"
#include "Settings/Panes/AboutPane.h"
#include "Settings/SettingsWindow.h"
#include "Updater/Updater.h"

#include "VeskVersion.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QMetaObject>
#include <QScreen>

#include <cmath>

namespace vesk {

SettingsHost::SettingsHost(NotchViewModel &model, QProcessEnvironment environment)
    : model_(model), environment_(std::move(environment))
{
}

SettingsHost::~SettingsHost()
{
    // Quitting with the window open keeps where it stood.
    if (window_)
        saveFrame();
    window_.reset();
}

int SettingsHost::onboardingStartPage(const QProcessEnvironment &environment)
{
    // An optional sign and digits, the whole string: Qt's own parse would also take spaces.
    const QString text = environment.value(QStringLiteral("VESK_DEBUG_ONBOARDING"));
    static const QRegularExpression form(QStringLiteral("^[+-]?[0-9]+$"));
    if (!form.match(text).hasMatch())
        return 0;
    bool ok = false;
    const int page = text.toInt(&ok, 10);
    return ok ? page : 0;
}

std::optional<QRect> SettingsHost::savedFrame()
{
    const auto stored = UserDefaults::standard().object(frameKey);
    if (!stored || !stored->is_array() || stored->size() != 4)
        return std::nullopt;
    double v[4];
    for (size_t i = 0; i < 4; ++i) {
        const auto &n = (*stored)[i];
        if (!n.is_number() || !std::isfinite(n.get<double>()) || std::abs(n.get<double>()) > 1e6)
            return std::nullopt;
        v[i] = n.get<double>();
    }
    const QRect frame(int(std::lround(v[0])), int(std::lround(v[1])), int(std::lround(v[2])), int(std::lround(v[3])));
    if (frame.width() <= 0 || frame.height() <= 0)
        return std::nullopt;
    for (QScreen *screen : QGuiApplication::screens()) {
        const QRect on = frame.intersected(screen->geometry());
        if (on.width() >= 100 && on.height() >= 100)
            return frame;
    }
    return std::nullopt;
}

void SettingsHost::saveFrame()
{
    if (!window_)
        return;
    const QRect g = window_->geometry();
    UserDefaults::standard().set(frameKey, nlohmann::json::array({g.x(), g.y(), g.width(), g.height()}));
}

void SettingsHost::showSettings()
{
    if (closing_) {
        // Asked again while the last one is still closing: that one goes now, a new one comes.
        drop_.cancel();
        closing_ = false;
        window_.reset();
    }
    if (!window_) {
        std::optional<QString> debugPane;
        if (environment_.contains(QStringLiteral("VESK_DEBUG_PANE")))
            debugPane = environment_.value(QStringLiteral("VESK_DEBUG_PANE"));
        PaneContext context{&model_, [this] { showOnboarding(); }, [this] {
                                if (terminate)
                                    terminate();
                            }};
        window_ = std::make_unique<SettingsWindow>(std::make_unique<SettingsView::Selection>(debugPane), context);
        window_->setWindowIcon(appIcon());
        window_->setMenuBar(makeMainMenu(*window_));
        if (const auto frame = savedFrame()) {
            window_->setGeometry(*frame);
        } else if (QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), QSize(760, 640));
            frame.moveCenter(screen->availableGeometry().center());
            window_->setGeometry(frame);
        }
        window_->onClose = [this] { windowClosing(); };
    }
    becomeRegularApp([this] {
        if (!window_)
            return;
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) {  // nothing to raise there
            window_->raise();
            window_->activateWindow();
        }
        // Qt gives the search field the focus; nothing should start out focused.
        focus_ = mainQueue().after(0, [this] {
            if (window_ && window_->focusWidget())
                window_->focusWidget()->clearFocus();
        });
    });
}

void SettingsHost::becomeRegularApp(std::function<void()> then)
{
    // No activation policy to switch here: show the window where the user is, then activate.
    if (window_) {
        window_->show();
        moveToCurrentWorkspace(window_.get());
    }
    then();
}

void SettingsHost::closeSettings()
{
    if (window_)
        window_->close();
}

void SettingsHost::windowClosing()
{
    saveFrame();
    window_->onClose = nullptr;
    closing_ = true;
    // The window goes on the next turn, once Qt is done closing it.
    drop_ = mainQueue().after(0, [this] {
        focus_.cancel();
        closing_ = false;
        window_.reset();
    });
}

void SettingsHost::showOnboarding()
{
    const int page = onboardingStartPage(environment_);
    closeSettings();
    model_.onOnboardingFinished = [] { UserDefaults::standard().set(hasSeenOnboarding, true); };
    model_.startOnboarding(page);
}

QMenuBar *SettingsHost::makeMainMenu(SettingsWindow &window)
{
    auto *bar = new QMenuBar(&window);
    SettingsWindow *w = &window;
    auto item = [](QMenu *menu, const QString &title, QKeySequence key, std::function<void()> action) {
        QAction *a = menu->addAction(title);
        if (!key.isEmpty())
            a->setShortcut(key);
        QObject::connect(a, &QAction::triggered, a, [action] { action(); });
        return a;
    };
    // Edit items act on the focused widget, as the first responder would.
    auto onFocus = [w](const char *slot) {
        return [w, slot] {
            if (QWidget *focused = w->focusWidget())
                QMetaObject::invokeMethod(focused, slot);
        };
    };

    QMenu *app = bar->addMenu(QStringLiteral("Vesk"));
    item(app, QStringLiteral("About Vesk"), {}, [w] {
        auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("About Vesk"), QStringLiteral("Vesk"),
                                    QMessageBox::Ok, w);
        box->setIconPixmap(QPixmap::fromImage(appIconImage(64, w->devicePixelRatioF())));
        box->setInformativeText(AboutPane::versionLine(QStringLiteral(VESK_VERSION), Updater::shared().currentBuild()));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    app->addSeparator();
    item(app, QStringLiteral("Settings\u2026"), QKeySequence(Qt::CTRL | Qt::Key_Comma), [this] { showSettings(); });
    item(app, QStringLiteral("Welcome Tour"), {}, [this] { showOnboarding(); });
    app->addSeparator();
    item(app, QStringLiteral("Hide Vesk"), QKeySequence(Qt::CTRL | Qt::Key_H), [w] { w->showMinimized(); });
    app->addSeparator();
    item(app, QStringLiteral("Quit Vesk"), QKeySequence(Qt::CTRL | Qt::Key_Q), [this] {
        if (terminate)
            terminate();
    });

    QMenu *edit = bar->addMenu(QStringLiteral("Edit"));
    item(edit, QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), onFocus("undo"));
    item(edit, QStringLiteral("Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), onFocus("redo"));
    edit->addSeparator();
    item(edit, QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X), onFocus("cut"));
    item(edit, QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), onFocus("copy"));
    item(edit, QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), onFocus("paste"));
    item(edit, QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A), onFocus("selectAll"));

    QMenu *windows = bar->addMenu(QStringLiteral("Window"));
    item(windows, QStringLiteral("Minimize"), QKeySequence(Qt::CTRL | Qt::Key_M), [w] { w->showMinimized(); });
    item(windows, QStringLiteral("Close"), QKeySequence(Qt::CTRL | Qt::Key_W), [w] { w->close(); });
    windows->addSeparator();
    item(windows, QStringLiteral("Bring All to Front"), {}, [w] {
        w->showNormal();
        w->raise();
        w->activateWindow();
    });
    // The shortcuts work wherever the focus is in the window.
    for (QAction *a : bar->findChildren<QAction *>())
        a->setShortcutContext(Qt::WindowShortcut);
    return bar;
}

bool SettingsHost::runMenuItem(const QString &title)
{
    if (!window_ || !window_->menuBar())
        return false;
    for (QAction *menu : window_->menuBar()->actions()) {
        if (!menu->menu())
            continue;
        for (QAction *a : menu->menu()->actions()) {
            if (!a->isSeparator() && a->text() == title) {
                a->trigger();
                return true;
            }
        }
    }
    return false;
}

}  // namespace vesk
