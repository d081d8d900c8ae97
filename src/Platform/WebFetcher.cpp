#include "Platform/WebFetcher.h"

#include "Platform/InstalledService.h"

#include "Platform/linux/QtWebFetcher.h"

namespace vesk {

namespace {
InstalledService<WebFetcher, QtWebFetcher> installed;
}

WebFetcher &WebFetcher::shared() { return installed.get(); }

void WebFetcher::setShared(WebFetcher *fetcher) { installed.install(fetcher); }

}  // namespace vesk
