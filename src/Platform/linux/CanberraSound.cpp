#include "Platform/linux/CanberraSound.h"

#include <canberra.h>

namespace vesk {

CanberraSound::~CanberraSound()
{
    if (context_)
        ca_context_destroy(context_);
}

void CanberraSound::play(const std::string &eventID)
{
    if (failed_)
        return;
    if (!context_) {
        if (ca_context_create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            failed_ = true;
            return;
        }
        ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Vesk", nullptr);
    }
    // Playback is asynchronous; a sound missing from the theme just returns an error we ignore.
    ca_context_play(context_, 0, CA_PROP_EVENT_ID, eventID.c_str(), nullptr);
}

}  // namespace vesk
