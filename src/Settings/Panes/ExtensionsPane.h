#pragma once

#include "Base/Signal.h"
#include "Settings/PaneKit/PaneScaffold.h"

namespace vesk {

class ExtensionStore;

// Every extension of the catalogue in its own section, with a switch that starts or stops it and,
// while it runs, its options under the switch. The registry owns what runs: the pane asks it and
// follows its running extensions, and never writes the enabled list itself.
class ExtensionsPane : public PaneScaffold {
public:
    explicit ExtensionsPane(ExtensionStore &store, QWidget *parent = nullptr);

private:
    ExtensionStore &store_;
    Connection running_;
};

}  // namespace vesk
