// An environment variable set, or removed with a null value, for as long as the object lives; what
// the variable held before is put back when it ends, so no test sees another's environment.
//
//   const zovo::ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
//   const zovo::ScopedEnv noDisplay("DISPLAY", nullptr);
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace zovo {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* was = std::getenv(name)) was_ = was;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { was_ ? ::setenv(name_.c_str(), was_->c_str(), 1) : ::unsetenv(name_.c_str()); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> was_;
};

} // namespace zovo
