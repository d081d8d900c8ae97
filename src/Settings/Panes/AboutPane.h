#pragma once

#include "Settings/PaneKit/PaneScaffold.h"
#include "Settings/Panes/Panes.h"

#include <QUrl>

namespace vesk {

// The application's icon, name, version and description; links to the web site, patch notes,
// privacy policy and support; the tour again, a reset of every setting, and quitting.
class AboutPane : public PaneScaffold {
public:
    explicit AboutPane(const PaneContext &context, QWidget *parent = nullptr);

    static QUrl website();
    static QString supportAddress();
    // "Version 0.1.0 (1)": the program's version (an en dash when it has none) and build.
    static QString versionLine(const QString &version, long long build);
};

}  // namespace vesk
