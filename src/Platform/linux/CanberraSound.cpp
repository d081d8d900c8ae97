#include "Platform/linux/CanberraSound.h"

#include "Base/SharedLibrary.h"

#include <canberra.h>

namespace vesk {

namespace {

// libcanberra (and its Vorbis reader and sound cache) is opened with the first sound played.
struct Canberra {
    decltype(&ca_context_create) create = nullptr;
    decltype(&ca_context_destroy) destroy = nullptr;
    decltype(&ca_context_change_props) changeProps = nullptr;
    decltype(&ca_context_play) play = nullptr;
    bool ok = false;

    Canberra()
    {
        static const SharedLibrary library("libcanberra.so.0");
        ok = library.resolve(create, "ca_context_create") && library.resolve(destroy, "ca_context_destroy")
            && library.resolve(changeProps, "ca_context_change_props") && library.resolve(play, "ca_context_play");
    }
};

const Canberra &canberra()
{
    static const Canberra loaded;
    return loaded;
}

}  // namespace

CanberraSound::~CanberraSound()
{
    if (context_)
        canberra().destroy(context_);
}

void CanberraSound::play(const std::string &eventID)
{
    if (failed_)
        return;
    if (!context_) {
        const Canberra &ca = canberra();
        if (!ca.ok || ca.create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            failed_ = true;
            return;
        }
        ca.changeProps(context_, CA_PROP_APPLICATION_NAME, "Vesk", nullptr);
    }
    // Playback is asynchronous; a sound missing from the theme just returns an error we ignore.
    canberra().play(context_, 0, CA_PROP_EVENT_ID, eventID.c_str(), nullptr);
}

}  // namespace vesk
