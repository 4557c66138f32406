// The picture names handed out while recordings are decoded together: the
// first recording of a name gets it as it is, each later one the next
// number, whichever job asks first. Safe to ask from several threads.
#pragma once

#include <map>
#include <mutex>
#include <string>

namespace sorae {

class NameClaims {
public:
    // 1 for the first claim of `name`, then 2, 3, ...
    int claim(const std::string& name) {
        std::lock_guard lock(mutex_);
        return ++claims_[name];
    }

private:
    std::mutex mutex_;
    std::map<std::string, int> claims_;
};

}  // namespace sorae
