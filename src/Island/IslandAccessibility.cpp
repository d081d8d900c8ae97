#include "Island/IslandAccessibility.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QGuiApplication>
#include <QWindow>

namespace vesk {

namespace {

// The stand-in window; never shown.
class AccessibleIslandWindow final : public QWindow {
public:
    AccessibleIslandWindow(QString title, IslandAccessibility::FrameFn frame, IslandAccessibility::ControlsFn controls)
        : frame(std::move(frame)), controls(std::move(controls))
    {
        setTitle(title);
        setFlags(Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    }
    // What the application's accessible root lists for this window.
    QAccessibleInterface *accessibleRoot() const override
    {
        return QAccessible::queryAccessibleInterface(const_cast<AccessibleIslandWindow *>(this));
    }
    IslandAccessibility::FrameFn frame;
    IslandAccessibility::ControlsFn controls;
};

class ControlInterface;

// The island: a window whose children are its controls, read afresh on every query.
class IslandInterface final : public QAccessibleInterface {
public:
    explicit IslandInterface(AccessibleIslandWindow *window) : window_(window) {}
    ~IslandInterface() override { clear(); }

    bool isValid() const override { return window_ != nullptr; }
    QObject *object() const override { return window_; }
    QWindow *window() const override { return window_; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(qApp); }
    QAccessibleInterface *child(int index) const override;
    int childCount() const override { return int(refresh().size()); }
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? window_->title() : QString(); }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override { return window_->frame ? window_->frame() : QRect(); }
    QAccessible::Role role() const override { return QAccessible::Window; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = !rect().isValid();
        return s;
    }

    const std::vector<IslandAccessibility::Control> &refresh() const;
    const IslandAccessibility::Control *controlAt(int index) const
    {
        return index >= 0 && size_t(index) < controls_.size() ? &controls_[size_t(index)] : nullptr;
    }

private:
    void clear() const;
    AccessibleIslandWindow *window_;
    mutable std::vector<IslandAccessibility::Control> controls_;
    mutable std::vector<QAccessible::Id> children_;  // one registered interface per position
};

// One control: a button, named and placed by its position in the island's current list.
class ControlInterface final : public QAccessibleInterface {
public:
    ControlInterface(const IslandInterface *island, int index) : island_(island), index_(index) {}
    bool isValid() const override { return island_ && island_->controlAt(index_); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return island_ ? island_->window() : nullptr; }
    QAccessibleInterface *parent() const override { return const_cast<IslandInterface *>(island_); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        const auto *c = island_ ? island_->controlAt(index_) : nullptr;
        return c && t == QAccessible::Name ? c->name : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const auto *c = island_ ? island_->controlAt(index_) : nullptr;
        return c ? c->screenRect : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override { return {}; }
    void forget() { island_ = nullptr; }

private:
    const IslandInterface *island_;
    int index_;
};

const std::vector<IslandAccessibility::Control> &IslandInterface::refresh() const
{
    controls_ = window_->controls ? window_->controls() : std::vector<IslandAccessibility::Control>{};
    // Positions beyond the list lose their interface; missing ones are made when asked for.
    while (children_.size() > controls_.size()) {
        const QAccessible::Id id = children_.back();
        children_.pop_back();
        if (auto *c = dynamic_cast<ControlInterface *>(QAccessible::accessibleInterface(id)))
            c->forget();
        QAccessible::deleteAccessibleInterface(id);
    }
    return controls_;
}

void IslandInterface::clear() const
{
    // Runs as the window goes: the window itself must not be asked anything any more.
    controls_.clear();
    for (const QAccessible::Id id : children_) {
        if (auto *c = dynamic_cast<ControlInterface *>(QAccessible::accessibleInterface(id)))
            c->forget();
        QAccessible::deleteAccessibleInterface(id);
    }
    children_.clear();
}

QAccessibleInterface *IslandInterface::child(int index) const
{
    if (index < 0 || size_t(index) >= controls_.size())
        refresh();
    if (index < 0 || size_t(index) >= controls_.size())
        return nullptr;
    while (children_.size() <= size_t(index)) {
        auto *c = new ControlInterface(this, int(children_.size()));
        children_.push_back(QAccessible::registerAccessibleInterface(c));
    }
    return QAccessible::accessibleInterface(children_[size_t(index)]);
}

int IslandInterface::indexOfChild(const QAccessibleInterface *child) const
{
    for (size_t i = 0; i < children_.size(); ++i)
        if (QAccessible::accessibleInterface(children_[i]) == child)
            return int(i);
    return -1;
}

QAccessibleInterface *IslandInterface::childAt(int x, int y) const
{
    refresh();
    for (size_t i = controls_.size(); i-- > 0;)
        if (controls_[i].screenRect.contains(x, y))
            return child(int(i));
    return nullptr;
}

QAccessibleInterface *islandFactory(const QString &, QObject *object)
{
    if (auto *w = dynamic_cast<AccessibleIslandWindow *>(object))
        return new IslandInterface(w);
    return nullptr;
}

}  // namespace

IslandAccessibility::IslandAccessibility(QString title, FrameFn frame, ControlsFn controls)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    static const bool installed = [] {
        QAccessible::installFactory(&islandFactory);
        return true;
    }();
    (void)installed;
    window_ = std::make_unique<AccessibleIslandWindow>(std::move(title), std::move(frame), std::move(controls));
}

IslandAccessibility::~IslandAccessibility()
{
    if (window_) {
        // The controls' owner goes first; the interface must not ask it any more.
        static_cast<AccessibleIslandWindow *>(window_.get())->controls = nullptr;
        static_cast<AccessibleIslandWindow *>(window_.get())->frame = nullptr;
    }
}

QWindow *IslandAccessibility::window() const { return window_.get(); }

}  // namespace vesk
