#pragma once

namespace vesk {

// The one instance of an operating-system service that the application uses: the real one, created
// on first use, until a test or tool installs another (installing nullptr restores the real one).
template <typename Service, typename Real>
class InstalledService {
public:
    Service &get()
    {
        if (installed_)
            return *installed_;
        static Real real;
        return real;
    }
    void install(Service *service) { installed_ = service; }
    bool isInstalled() const { return installed_ != nullptr; }

private:
    Service *installed_ = nullptr;
};

}  // namespace vesk
