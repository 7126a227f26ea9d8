#include "exact.h"

#include "constants.h"
#include "lattice.h"

#include <algorithm>
#include <vector>

namespace perne::stats {
namespace {

constexpr double kSecondsPerTick = kTimerIntervalMs / 1000.0;

// Probability mass over the walking states, laid out by rows: row r is the dog's point,
// column c one of Momotaro's possible points (all 121 when he walks, only his starting point
// when he stands still).
class Propagation
{
public:
    Propagation(Mode mode, StartingPoints start) : m_momotaroWalks(mode == Mode::Both)
    {
        if (m_momotaroWalks) {
            for (int i = 0; i < kPoints; ++i)
                m_columnPoint.push_back(i);
            m_startColumn = indexOf(start.momotaro);
        } else {
            m_columnPoint.push_back(indexOf(start.momotaro));
            m_startColumn = 0;
        }
        m_columns = static_cast<int>(m_columnPoint.size());
        m_startCell = static_cast<std::size_t>(indexOf(start.dog) * m_columns + m_startColumn);
        m_scratch.assign(static_cast<std::size_t>(kPoints * m_columns), 0.0);
        m_turned.assign(m_scratch.size(), 0.0);
    }

    std::vector<double> startingDistribution() const
    {
        std::vector<double> mass(m_scratch.size(), 0.0);
        mass[m_startCell] = 1.0;
        return mass;
    }
    void putOnStart(std::vector<double> &mass, double amount) const { mass[m_startCell] += amount; }
    bool momotaroWalks() const { return m_momotaroWalks; }

    // Steps the dog in every state; the mass that lands on Momotaro's point is taken out
    // and returned (those are the meetings of this tick).
    double stepDog(std::vector<double> &mass)
    {
        stepAlongRows(mass, m_scratch, m_turned, m_columns);
        double met = 0.0;
        for (int c = 0; c < m_columns; ++c) {
            double &cell = m_scratch[static_cast<std::size_t>(m_columnPoint[c] * m_columns + c)];
            met += cell;
            cell = 0.0;
        }
        mass.swap(m_scratch);
        return met;
    }

    // The same for Momotaro, whose point numbers the cells within each row.
    double stepMomotaro(std::vector<double> &mass)
    {
        stepWithinRows(mass, m_scratch, m_turned);
        double met = 0.0;
        for (int p = 0; p < kPoints; ++p) {
            double &cell = m_scratch[static_cast<std::size_t>(p * kPoints + p)];
            met += cell;
            cell = 0.0;
        }
        mass.swap(m_scratch);
        return met;
    }

private:
    bool m_momotaroWalks;
    std::vector<int> m_columnPoint;
    int m_columns = 0;
    int m_startColumn = 0;
    std::size_t m_startCell = 0;
    std::vector<double> m_scratch;
    std::vector<double> m_turned;
};

} // namespace

ExactValues exactValues(Mode mode, StartingPoints start, long long ticksPerTimer)
{
    Propagation propagation(mode, start);
    // Every run: where the walkers are, and the chance that a meeting waits for its reset.
    std::vector<double> walking = propagation.startingDistribution();
    double pending = 0.0;
    // Only the runs that have not met yet, for the first meeting.
    std::vector<double> unmet = propagation.startingDistribution();

    ExactValues values;
    values.ticksPerTimer = ticksPerTimer;
    double firstMeetingTime = 0.0;

    // One tick: a waiting meeting is reset (no step); otherwise the walker steps and a
    // meeting is counted. Both timers' ticks of period k read k * 0.2 s.
    auto tick = [&](bool steps, auto stepWalker, double seconds) {
        const double reset = pending;
        pending = 0.0;
        if (steps) {
            values.meanMoves += 1.0 - reset;
            pending = stepWalker(walking);
            values.meanMeetings += pending;
            const double first = stepWalker(unmet);
            values.meetingProbability += first;
            firstMeetingTime += first * seconds;
        }
        propagation.putOnStart(walking, reset);
    };
    auto stepDog = [&](std::vector<double> &mass) { return propagation.stepDog(mass); };
    auto stepMomotaro = [&](std::vector<double> &mass) { return propagation.stepMomotaro(mass); };

    values.metByPeriod.reserve(static_cast<std::size_t>(std::max(0LL, ticksPerTimer) + 1));
    values.metByPeriod.push_back(0.0);
    for (long long period = 1; period <= ticksPerTimer; ++period) {
        const double seconds = static_cast<double>(period) * kSecondsPerTick;
        tick(true, stepDog, seconds);                             // Timer1
        tick(propagation.momotaroWalks(), stepMomotaro, seconds); // Timer2
        values.metByPeriod.push_back(values.meetingProbability);
    }

    if (values.meetingProbability > 0.0)
        values.firstMeetingSeconds = firstMeetingTime / values.meetingProbability;
    if (values.meanMoves > 0.0)
        values.meetingsPer100Moves = 100.0 * values.meanMeetings / values.meanMoves;
    return values;
}

} // namespace perne::stats
