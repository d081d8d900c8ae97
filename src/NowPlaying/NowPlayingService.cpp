#include "NowPlaying/NowPlayingService.h"

namespace vesk {

NowPlayingService::NowPlayingService() = default;

}  // namespace vesk
