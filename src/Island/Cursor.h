#pragma once

#include "Base/Signal.h"

#include <Qt>

namespace vesk {

// The pointer shape the island asks for. Island windows follow `changed`; the shape is kept so a
// window shown later starts with it.
class Cursor {
public:
    // Lets the application set the cursor while another application is active. X11 applies a
    // window's cursor whoever has the focus, so there is nothing to ask for here.
    static void allowSettingInBackground() {}

    static void set(Qt::CursorShape shape);
    static Qt::CursorShape current();
    static Signal<Qt::CursorShape> &changed();
};

}  // namespace vesk
