#include "playback/FormatTime.h"

#include <cmath>
#include <cstdio>

namespace tav {

std::string FormatTime(double seconds) {
    // Clamped first: converting a huge or NaN double to an integer is undefined.
    if (!(seconds > 0)) seconds = 0;
    if (seconds > 1e12) seconds = 1e12;
    const long long total = static_cast<long long>(std::floor(seconds));
    const long long h = total / 3600, m = total % 3600 / 60, s = total % 60;
    char buf[48];
    if (h >= 1)
        std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", h, m, s);
    else
        std::snprintf(buf, sizeof buf, "%lld:%02lld", m, s);
    return buf;
}

}  // namespace tav
