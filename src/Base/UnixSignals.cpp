#include "Base/UnixSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace vesk {

namespace {
int pipeFds[2] = {-1, -1};
std::map<int, std::function<void(int)>> handlers;

void writeSignal(int sig)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    [[maybe_unused]] auto n = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}

void ensurePipe()
{
    if (pipeFds[0] >= 0)
        return;
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read);  // lives as long as the process
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        unsigned char byte;
        while (::read(pipeFds[0], &byte, 1) == 1) {
            if (auto it = handlers.find(byte); it != handlers.end())
                it->second(byte);
        }
    });
}
}  // namespace

void onUnixSignals(std::initializer_list<int> signalNumbers, std::function<void(int)> handler)
{
    ensurePipe();
    for (int sig : signalNumbers) {
        handlers[sig] = handler;
        struct sigaction action{};
        action.sa_handler = writeSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(sig, &action, nullptr);
    }
}

}  // namespace vesk
