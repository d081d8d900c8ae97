#include "ScriptMedia.h"

void ScriptMedia::addFields(std::map<std::string, std::string> &fields) const
{
    if (!world_.started())
        return;
    const vesk::NotchViewModel &island = world_.selected();
    fields["interacting"] = island.isInteracting.peek() ? "true" : "false";
    fields["showsVolume"] = island.showsVolume.peek() ? "true" : "false";
}
