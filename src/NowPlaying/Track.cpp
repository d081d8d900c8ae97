#include "NowPlaying/Track.h"

namespace vesk {

double Track::elapsedAt(double date) const
{
    if (!isPlaying)
        return elapsed;
    const double factor = rate > 0 ? rate : 1.0;
    double position = elapsed + (date - timestamp) * factor;
    if (!(position > 0))
        position = 0;
    if (duration > 0 && position > duration)
        position = duration;
    return position;
}

}  // namespace vesk
