#include "Platform/LoginItem.h"

#include "Platform/InstalledService.h"

#include "Platform/linux/AutostartLoginItem.h"

namespace vesk {

namespace {
InstalledService<LoginItem, AutostartLoginItem> installed;
}

LoginItem &loginItem() { return installed.get(); }

void setLoginItem(LoginItem *service) { installed.install(service); }

}  // namespace vesk
