#include "session/SessionClock.h"

std::chrono::system_clock::time_point SystemClockNow()
{
    return std::chrono::system_clock::now();
}
