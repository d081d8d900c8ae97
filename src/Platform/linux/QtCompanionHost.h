#pragma once

#include "Platform/CompanionHost.h"

namespace vesk {

// Companion processes through QProcess: the library beside the running program, or in
// ../lib/vesk/ from it once installed.
class QtCompanionHost final : public CompanionHost {
public:
    std::optional<std::string> libraryPath() const override;
    Launch launch(const std::string &program, const std::vector<std::string> &arguments) override;
};

}  // namespace vesk
