#include "Updater/Updater.h"

namespace vesk {

Updater &Updater::shared()
{
    static Updater updater;
    return updater;
}

}  // namespace vesk
