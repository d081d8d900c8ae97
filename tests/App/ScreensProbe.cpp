// Prints the screens as the Linux screens service reports them, one line each, so a test can run
// it on Qt's offscreen platform with a screen layout of its choosing.
#include "Platform/linux/QtScreens.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    vesk::QtScreens screens;
    for (const auto &s : screens.screens()) {
        std::printf("%s number=%u frame=%g,%g,%gx%g visible=%g,%g,%gx%g scale=%g inset=%g\n",
                    qPrintable(s.name), s.displayNumber, s.frame.x(), s.frame.y(), s.frame.width(),
                    s.frame.height(), s.visibleFrame.x(), s.visibleFrame.y(), s.visibleFrame.width(),
                    s.visibleFrame.height(), s.scale, s.safeAreaTopInset);
    }
    return 0;
}
