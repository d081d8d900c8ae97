#include "Platform/linux/PulseLibrary.h"

#include "Base/SharedLibrary.h"

#include <QtGlobal>

namespace vesk {

const PulseLibrary *pulseLibrary()
{
    static const PulseLibrary *const library = []() -> const PulseLibrary * {
        static const SharedLibrary handle("libpulse.so.0");
        static PulseLibrary functions;
        bool complete = bool(handle);
#define VESK_PULSE_RESOLVE(name) complete = complete && handle.resolve(functions.name, "pa_" #name);
        VESK_PULSE_FUNCTIONS(VESK_PULSE_RESOLVE)
#undef VESK_PULSE_RESOLVE
        return complete ? &functions : nullptr;
    }();
    return library;
}

const PulseLibrary &pulse()
{
    const PulseLibrary *library = pulseLibrary();
    Q_ASSERT(library);
    return *library;
}

}  // namespace vesk
