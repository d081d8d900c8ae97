#include "Settings/Panes/AboutPane.h"

#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "Platform/AppIcon.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/PaneStyle.h"
#include "Updater/Updater.h"

#include "VeskVersion.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vesk {

QUrl AboutPane::website()
{
    static const QUrl address(QStringLiteral(VESK_WEBSITE));
    return address;
}

QString AboutPane::supportAddress() { return QStringLiteral("support@vesk.example"); }

QString AboutPane::versionLine(const QString &version, long long build)
{
    return QStringLiteral("Version %1 (%2)").arg(version.isEmpty() ? QStringLiteral("\u2013") : version).arg(build);
}

AboutPane::AboutPane(const PaneContext &context, QWidget *parent) : PaneScaffold(std::nullopt, {}, parent)
{
    using namespace pane_style;
    PaneForm &f = form();

    auto *icon = new QLabel(&f);
    QPixmap image = QPixmap::fromImage(appIconImage(112, devicePixelRatioF()));
    icon->setPixmap(image);
    icon->setFixedSize(112, 112);
    icon->setContentsMargins(0, 0, 0, 0);
    if (auto *column = qobject_cast<QVBoxLayout *>(f.layout())) {
        column->insertSpacing(0, 8);
        column->insertWidget(1, icon, 0, Qt::AlignHCenter);
    }
    f.headerText(QStringLiteral("Vesk"), pane_style::font(TextStyle::largeTitle, QFont::DemiBold), false);
    f.headerText(versionLine(QStringLiteral(VESK_VERSION), context.model->services().updater->currentBuild()), pane_style::font(TextStyle::body), true);
    f.headerText(QStringLiteral("A dynamic island for the top of your screen."), pane_style::font(TextStyle::body), true)
        ->setContentsMargins(0, 2, 0, 6);

    const QUrl site = website();
    auto page = [site](const QString &path) {
        QUrl address = site;
        address.setPath(path);
        return address;
    };
    f.section();
    f.addLink(QStringLiteral("Website"), site.host(), site);
    f.addLink(QStringLiteral("Patch notes"), QStringLiteral("What\u2019s new"), page(QStringLiteral("/changelog")));
    f.addLink(QStringLiteral("Privacy"), QStringLiteral("Privacy policy"), page(QStringLiteral("/privacy")));
    f.addLink(QStringLiteral("Support"), supportAddress(), QUrl(QStringLiteral("mailto:") + supportAddress()));

    f.section();
    const auto showOnboarding = context.showOnboarding;
    f.addButton([] { return QStringLiteral("Welcome tour"); }, QStringLiteral("Show"), [showOnboarding] {
        if (showOnboarding)
            showOnboarding();
    });

    f.section();
    f.addButton([] { return QStringLiteral("Restore all options to their defaults"); }, QStringLiteral("Reset Settings"),
                [] { Defaults::reset(); }, {}, true);
    const auto quit = context.quit;
    f.addButton([] { return QStringLiteral("Quit Vesk"); }, QStringLiteral("Quit"), [quit] {
        if (quit)
            quit();
    });
}

}  // namespace vesk
