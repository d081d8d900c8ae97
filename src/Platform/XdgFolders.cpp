#include "Platform/XdgFolders.h"

#include <cstdlib>

namespace vesk {

std::string xdgUserFolder(const char *variable, const char *fallback)
{
    const char *value = std::getenv(variable);
    if (value && value[0] == '/')
        return value;
    // Without a home folder the files still go somewhere writable rather than under "/".
    const char *home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/" + fallback;
}

}  // namespace vesk
