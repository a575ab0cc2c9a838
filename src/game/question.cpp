#include "game/question.h"

#include "game/numbers.h"

#include <chrono>
#include <cmath>

namespace sorvane {

TimeSeededRandom::TimeSeededRandom()
{
    reseed();
}

void TimeSeededRandom::reseed()
{
    // The time of day to the nanosecond, so that runs and questions differ; the old state is
    // mixed in too, so that two reseeds in the same instant still go on differently.
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    const auto sinceMidnight = duration_cast<nanoseconds>(now % days(1)).count();
    std::seed_seq seed{static_cast<std::uint32_t>(sinceMidnight),
                       static_cast<std::uint32_t>(sinceMidnight >> 32),
                       static_cast<std::uint32_t>(engine_())};
    engine_.seed(seed);
}

float TimeSeededRandom::next()
{
    // 24 random bits over 2^24: exactly representable, and never 1.
    return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
}

qint16 givenAngleFor(float r)
{
    // r < 1, so r * 89 < 89 and the floor is at most 88.
    return static_cast<qint16>(std::floor(static_cast<double>(r) * 89.0) + 1.0);
}

QString expectedText(const ExpectedAnswer& valoreesatto)
{
    return valoreesatto ? decimalText(*valoreesatto) : QString();
}

} // namespace sorvane
