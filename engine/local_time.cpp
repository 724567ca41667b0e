#include "engine/local_time.h"

std::optional<std::tm> currentLocalTime()
{
    const std::time_t now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1))
        return std::nullopt;
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &now) != 0)
        return std::nullopt;
#else
    if (localtime_r(&now, &local) == nullptr)
        return std::nullopt;
#endif
    return local;
}
