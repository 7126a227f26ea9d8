#include "clock.h"

#include <chrono>
#include <ctime>

namespace perne {
namespace {

std::tm localTime(std::time_t seconds)
{
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    return local;
}

} // namespace

float SystemClock::secondsSinceMidnight()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const std::tm local = localTime(seconds);
    const auto fraction = duration<double>(now - system_clock::from_time_t(seconds)).count();
    const double sinceMidnight = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    return static_cast<float>(sinceMidnight + fraction);
}

double SystemClock::steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace perne
