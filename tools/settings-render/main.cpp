// settings-render: draws the settings window's pieces into PNG files, on a virtual clock started at
// 2025-01-06T10:00:00Z in UTC and the C locale, so pictures are the same on every machine.
//
//   settings-render preview KIND JSON --size WxH [--scale S] --out FILE [--then JSON --at SECONDS] [--texts]
//   settings-render pane PANE [--set KEY=JSON]... [--scale S] --out FILE
//
// Exit status: 0 when the picture was written, 1 when it could not be, 2 on bad input.

#include "PaneCommand.h"
#include "PreviewCommand.h"

#include <QApplication>

#include <cstdlib>
#include <ctime>
#include <iostream>

int main(int argc, char **argv)
{
    ::setenv("TZ", "UTC", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::tzset();
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "pane") {
        QApplication app(argc, argv);
        return runPane({args.begin() + 1, args.end()}, std::cout, std::cerr);
    }
    if (args.empty() || args[0] != "preview") {
        std::cerr << "usage: settings-render preview KIND JSON --size WxH [--scale S] --out FILE "
                     "[--then JSON --at SECONDS] [--texts]\n"
                     "       settings-render pane PANE [--set KEY=JSON]... [--scale S] --out FILE\n";
        return 2;
    }
    args.erase(args.begin());
    PreviewJob job;
    try {
        job = parsePreview(args);  // before Qt starts, so bad input prints its one line only
    } catch (const UsageError &e) {
        std::cerr << e.what() << '\n';
        return 2;
    }
    QGuiApplication app(argc, argv);
    return runPreview(job, std::cout, std::cerr);
}
