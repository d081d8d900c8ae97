#pragma once

#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWindow;

namespace vesk {

// What screen readers learn of one island window. The island draws into a window of its own that
// Qt does not know, so this object stands in for it: a window that Qt's accessibility bridge lists
// among the application's windows, with one child (a button with its name and screen rectangle)
// per visible, named control the island shows at the moment of the query.
//
// Nothing is created without a Qt GUI application.
class IslandAccessibility {
public:
    struct Control {
        QString name;
        QRect screenRect;  // desktop pixels
        bool operator==(const Control &) const = default;
    };
    using ControlsFn = std::function<std::vector<Control>()>;
    using FrameFn = std::function<QRect()>;

    IslandAccessibility(QString title, FrameFn frame, ControlsFn controls);
    ~IslandAccessibility();
    IslandAccessibility(const IslandAccessibility &) = delete;
    IslandAccessibility &operator=(const IslandAccessibility &) = delete;

    // The stand-in window (null without a GUI application), for tests and tools.
    QWindow *window() const;

private:
    std::unique_ptr<QWindow> window_;
};

}  // namespace vesk
