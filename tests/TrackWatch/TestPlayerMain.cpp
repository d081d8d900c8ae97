// The test player on its own: one track, playing or paused as the first argument says.
#include "TestMprisPlayer.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    vesk::test::TestMprisPlayer player(QStringLiteral("vesktest"));
    if (!player.isRegistered())
        return 1;
    player.setTracks({{QStringLiteral("Idle Song"), {QStringLiteral("Someone")}, QStringLiteral("Album"), 200000000, {}}});
    player.setPlaybackStatus(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Paused"));
    return app.exec();
}
