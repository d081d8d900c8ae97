#include "Island/NotchWindowController.h"

#include "Model/NotchViewModel.h"
#include "Diagnostics/LayerDump.h"
#include "Island/Cursor.h"
#include "Island/IslandAccessibility.h"
#include "Island/NotchView.h"
#include "Island/NotchViewModelBinding.h"
#include "Island/PeekView.h"
#include "Kit/Kit.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QProcessEnvironment>

namespace vesk {

namespace {
Qt::MouseButton qtButton(int button)
{
    switch (button) {
    case 1: return Qt::LeftButton;
    case 2: return Qt::MiddleButton;
    case 3: return Qt::RightButton;
    default: return Qt::NoButton;
    }
}

// A symbol of the toolkit's table as a menu icon, in the menu's text colour.
QIcon menuIcon(const QString &symbol)
{
    const QPainterPath outline = kit::SymbolTable::outline(symbol).value_or(kit::SymbolTable::fallbackOutline());
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(32, 32);
    painter.fillPath(outline, QApplication::palette().color(QPalette::Text));
    painter.end();
    return QIcon(pixmap);
}

// A menu of the island at a desktop position; it deletes itself once dismissed.
void popUpMenu(const std::vector<kit::MenuItem> &items, QPointF at)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;  // no widgets, no menu
    auto *menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const kit::MenuItem &item : items) {
        if (item.isDivider) {
            menu->addSeparator();
            continue;
        }
        // Titles are shown as they are: "&" would otherwise mark a shortcut, and a device or
        // track name may hold anything.
        QString title = oneLine(item.title);
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *action = item.symbol.isEmpty() ? menu->addAction(title) : menu->addAction(menuIcon(item.symbol), title);
        if (item.action)
            QObject::connect(action, &QAction::triggered, menu, item.action);
    }
    menu->popup(at.toPoint());
}
}  // namespace

std::unique_ptr<NotchWindowController> NotchWindowController::forIsland(std::shared_ptr<NotchViewModel> model,
                                                                        uint32_t display, IslandStyle style,
                                                                        Services services, bool hidden)
{
    auto binding = std::make_shared<NotchViewModelBinding>(model);
    binding->sendSkipCommand = services.sendSkipCommand;
    if (!services.performHaptic) {
        NotchViewModel *performer = model.get();
        services.performHaptic = [performer](HapticPattern pattern) {
            performer->services().haptics->perform(pattern, performer);
        };
    }
    NotchViewModel *island = model.get();
    return std::make_unique<NotchWindowController>(
        std::move(binding), [island] { return kit::view(NotchView{island}); }, display, style, std::move(services),
        hidden);
}

NotchViewModel &NotchWindowController::model() const { return model_->islandModel(); }

std::shared_ptr<IslandWindow> NotchWindowFactory::makeIsland(std::shared_ptr<NotchViewModel> model, uint32_t display,
                                                             IslandStyle style)
{
    // The first appearance waits a turn, so an island the application hides at once (the screen is
    // locked) never flashes up.
    return NotchWindowController::forIsland(std::move(model), display, style, services_, false);
}

NotchWindowController::NotchWindowController(std::shared_ptr<NotchWindowModel> model, RootView rootView,
                                             uint32_t display, IslandStyle style, Services services, bool hidden)
    : model_(std::move(model)), rootView_(std::move(rootView)), display_(display), style_(style),
      services_(std::move(services)), panel_(std::make_shared<NotchPanel>(services_.makeWindow())),
      tree_(QSizeF(NotchPanel::width, NotchPanel::height)), input_(*model_),
      scrollPhases_([this](const IslandScrollEvent &event) { input_.scrolled(event); }), hidden_(hidden)
{
    input_.setCursor = [this](Qt::CursorShape shape) { panel_->window().setCursor(shape); };
    input_.performHaptic = services_.performHaptic;

    // The panel follows the pointer shape the island's controls ask for.
    panel_->window().setCursor(Cursor::current());
    viewConnections_.push_back(
        Cursor::changed().connect([this](Qt::CursorShape shape) { panel_->window().setCursor(shape); }));
    viewConnections_.push_back(tree_.needsDisplay.connect([this] { needsPaint(); }));
    viewConnections_.push_back(tree_.contextMenuRequested.connect(
        [this](const std::vector<kit::MenuItem> &items, QPointF at) { showMenu(items, at); }));

    accessibility_ = std::make_unique<IslandAccessibility>(
        QStringLiteral("Vesk"), [this] { return panel_->window().frame(); }, [this] { return accessibleControls(); });

    // Loops (the bars' bounce) run only while the panel is up.
    tree_.setShown(false);
    reposition();
    kit::withoutAnimation([this] { tree_.setRoot(rootView_()); });
    if (hidden_) {
        paint();  // the first frame is there before the panel first shows
    } else {
        // The panel fades in from nothing, so it is put on the screen first and its first frame
        // drawn right after, before the fade's first step shows any of it.
        paint_.cancel();
        appear_ = mainQueue().after(0, [this] {
            panel_->fadeIn();
            tree_.setShown(true);
            paint();
        });
    }
    trackIslandSize();
    // Recording runs drive the island's frames themselves; the pointer must not disturb them.
    if (qEnvironmentVariableIsSet("VESK_DEBUG_RECORD"))
        return;
    installMonitors();
}

NotchWindowController::~NotchWindowController() = default;

void NotchWindowController::installMonitors()
{
    monitor_ = services_.makeMonitor();
    // Only a window that hears the pointer takes it; it starts with the pass-through the input
    // rules hold, and its hit area is the island's rectangle from then on, wherever the pointer is.
    input_.setIgnoresMouseEvents = [this](bool ignores) { panel_->setIgnoresMouseEvents(ignores); };
    panel_->setIgnoresMouseEvents(input_.ignoresMouseEvents());
    input_.mouseLocation = [this] { return toPoints(monitor_->position()); };
    input_.anyButtonHeld = [this] { return monitor_->anyButtonHeld(); };
    monitors_.push_back(monitor_->activity.connect([this](const PointerActivity &a) { onActivity(a); }));

    // Presses and scrolling that the panel itself receives (only over the island: elsewhere they
    // pass through it). Hover, presses and scrolling of the island itself are decided here; the
    // island view gets the pointer for its controls' hover and clicks and its context menu.
    monitors_.push_back(panel_->window().pointer.connect([this](const PanelPointerEvent &e) {
        routeToView(e);
        followTooltip(e);
        switch (e.kind) {
        case PanelPointerEvent::Kind::press:
            if (e.button == 1)
                input_.pressOnPanel();
            break;
        case PanelPointerEvent::Kind::move:
        case PanelPointerEvent::Kind::leave:
            input_.pointerMoved(false);
            break;
        case PanelPointerEvent::Kind::release:
            break;  // the pointer monitor reports every release, over the panel or not
        }
    }));
    monitors_.push_back(panel_->window().scroll.connect([this](const PanelScrollEvent &e) {
        scrollPhases_.feed(e.timestamp, e.dx, e.dy, e.precise, e.inverted);
    }));
}

void NotchWindowController::onActivity(const PointerActivity &activity)
{
    // Events over other applications may be clicks outside the island; events over the
    // application's own windows (this panel, the settings window) never are.
    const bool leftPress = activity.kind == PointerActivity::Kind::press && activity.button == 1;
    input_.pointerMoved(leftPress && !activity.overOwnWindow);
    if (activity.kind == PointerActivity::Kind::release && activity.button == 1)
        input_.leftReleased();
}

void NotchWindowController::routeToView(const PanelPointerEvent &e)
{
    const QPointF local = e.position / panel_->scale();
    kit::PointerEvent event;
    switch (e.kind) {
    case PanelPointerEvent::Kind::move: event = kit::PointerEvent::move(local); break;
    case PanelPointerEvent::Kind::press: event = kit::PointerEvent::press(local, qtButton(e.button)); break;
    case PanelPointerEvent::Kind::release: event = kit::PointerEvent::release(local, qtButton(e.button)); break;
    case PanelPointerEvent::Kind::leave: event = kit::PointerEvent::leave(); break;
    }
    const bool button = e.kind == PanelPointerEvent::Kind::press || e.kind == PanelPointerEvent::Kind::release;
    if (button && event.button == Qt::NoButton)
        return;  // a button the view knows nothing of
    event.globalPosition = panel_->frame().topLeft() + local;
    tree_.handlePointer(event);
}

void NotchWindowController::followTooltip(const PanelPointerEvent &e)
{
    auto hide = [this] {
        tooltipRest_.cancel();
        if (tooltipShown_) {
            tooltipShown_.reset();
            panel_->window().hideTooltip();
        }
    };
    if (e.kind != PanelPointerEvent::Kind::move) {
        hide();
        return;
    }
    const QPointF pixel = e.position;
    const std::optional<QString> text = tree_.tooltipAt(pixel / panel_->scale());
    if (tooltipShown_ && text != tooltipShown_)
        hide();
    if (!text || tooltipShown_)
        return;
    // Every move starts the rest again.
    tooltipRest_ = mainQueue().after(tooltipRestSeconds, [this, pixel] {
        const std::optional<QString> now = tree_.tooltipAt(pixel / panel_->scale());
        if (!now || plainTooltipText(*now).isEmpty())
            return;
        tooltipShown_ = now;
        panel_->window().showTooltip(*now, pixel);
    });
}

std::vector<IslandAccessibility::Control> NotchWindowController::accessibleControls() const
{
    std::vector<IslandAccessibility::Control> controls;
    if (!panel_->isVisible())
        return controls;
    const QPoint origin = panel_->window().frame().topLeft();
    const double scale = panel_->scale();
    for (const kit::DrawnItem &item : kit::drawnItems(tree_)) {
        if (item.kind != kit::DrawnItem::Kind::control || !item.isVisible() || !item.takesHits || item.spokenName.isEmpty())
            continue;
        const QRectF r(item.rect.x() * scale, item.rect.y() * scale, item.rect.width() * scale, item.rect.height() * scale);
        IslandAccessibility::Control control{item.spokenName, r.toAlignedRect().translated(origin)};
        // A menu around a button is one control for the listener, not two.
        if (!controls.empty() && controls.back() == control)
            continue;
        controls.push_back(std::move(control));
    }
    return controls;
}

void NotchWindowController::showMenu(const std::vector<kit::MenuItem> &items, QPointF at)
{
    if (services_.showMenu)
        services_.showMenu(items, at);
    else
        popUpMenu(items, at);
}

void NotchWindowController::needsPaint()
{
    // Changes and animation frames may each ask within one turn; the panel is painted once.
    if (paint_.isPending())
        return;
    paint_ = mainQueue().after(0, [this] { paint(); });
}

void NotchWindowController::paint()
{
    paint_.cancel();
    // Only what changed since the last frame is repainted and sent: the bars' few points while
    // the closed island plays, nothing at all when nothing moved. The tree draws straight into
    // the window's pixels, which it keeps from frame to frame: a second copy of the panel would
    // cost as much memory again.
    bool painted = false;
    panel_->drawContent([&](QImage &pixels) {
        const QRegion changed = tree_.paintChanges(pixels, panel_->scale());
        painted = !changed.isEmpty();
        // One rectangle a frame goes to the window: each one sent is a request to the X server and
        // a damage event for the compositor, and the pixels between the changed parts are as they
        // were.
        return painted ? QRegion(changed.boundingRect()) : QRegion();
    });
    if (painted)
        ++paintCount_;
}

WindowSnapshot::Window NotchWindowController::snapshotWindow() const
{
    return {&tree_, panel_->isVisible(), panel_->frame().toRect(), panel_->scale()};
}

void NotchWindowController::writeSnapshot(const std::string &path, bool withBackground) const
{
    WindowSnapshot::write(snapshotWindow(), path, withBackground);
}

void NotchWindowController::writeLayerTree(const std::string &path) const
{
    LayerDump::write(&tree_, path);
}

QPointF NotchWindowController::toPoints(QPointF pixel) const
{
    if (!screen_ || screen_->scale <= 0)
        return pixel;
    return screen_->frame.topLeft() + (pixel - screen_->pixelFrame.topLeft()) / screen_->scale;
}

void NotchWindowController::reposition()
{
    Screens &screens = services_.screens ? *services_.screens : vesk::screens();
    const auto found = screens.screen(display_);
    if (!found)
        return;  // a departed display: the layout closes this island soon
    screen_ = found;
    input_.setScreen(found->frame);
    model_->updateNotch(*found, style_, /*staged*/ true);
    const QRectF frame(found->frame.center().x() - NotchPanel::width / 2, found->frame.top(), NotchPanel::width,
                       NotchPanel::height);
    const QPointF pixels(found->pixelFrame.center().x() - NotchPanel::width / 2 * found->scale,
                         found->pixelFrame.top());
    panel_->setFrame(frame, found->scale, pixels);
    panel_->setHitArea(input_.islandRect());
    needsPaint();  // the display's scale may have changed
}

void NotchWindowController::trackIslandSize()
{
    sizeTracking_ = trackObservation([this] { model_->readTrackedFields(); },
                                     [this] {
                                         // A tracking fires once; the step re-arms it after the change settles.
                                         sizeStep_ = mainQueue().after(0, [this] { sizeChanged(); });
                                     });
}

void NotchWindowController::sizeChanged()
{
    if (isClosed_)
        return;
    panel_->setHitArea(input_.islandRect());
    tree_.setRoot(rootView_());
    input_.pointerMoved(false);  // pass-through and hover follow the new shape
    updateKeyStatus();
    trackIslandSize();
}

void NotchWindowController::updateKeyStatus()
{
    if (model_->isOnboarding()) {
        // The tour's buttons and fields take the keyboard.
        if (!panel_->isKey())
            panel_->makeKey();
        return;
    }
    // Back to whichever window had the focus before the tour.
    if (panel_->isKey())
        panel_->resignKey();
}

void NotchWindowController::close()
{
    if (isClosed_)
        return;
    isClosed_ = true;
    monitors_.clear();
    monitor_.reset();
    scrollPhases_.cancel();
    sizeTracking_.cancel();
    model_->close(false);
    tree_.setShown(false);
    // The layout usually drops a closed island at once; the panel stays until it has faded out,
    // and goes on a later turn rather than from inside its own fade.
    panel_->fadeOut([keep = panel_]() mutable { mainQueue().post([keep = std::move(keep)] {}); });
}

void NotchWindowController::setHiddenWhileLocked(bool hidden)
{
    if (hidden) {
        hidden_ = true;
        appear_.cancel();
        panel_->orderOut();
        tree_.setShown(false);
        return;
    }
    if (!hidden_ || isClosed_)
        return;
    hidden_ = false;
    panel_->orderFront();
    tree_.setShown(true);
}

}  // namespace vesk
