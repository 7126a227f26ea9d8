// The expected time to the first meeting of a walk without a time limit: the expected
// hitting time of the meeting states. With h(s) the expected number of periods until the
// walkers first meet from state s (dog's point, Momotaro's point) at the start of a period,
//     h = 1 + Q h,
// where (Q h)(s) is h one period later, counted as 0 where the period meets. The system is
// solved by BiCGSTAB, and the answer is only given with a bound on its error: for the final
// residual r = 1 - (I - Q) h~, the error is (I - Q)^-1 r, whose largest entry is at most
// max|r| * max h / (1 - max|r|), (I - Q)^-1 being non-negative with row sums h.
#include "exact.h"

#include "constants.h"
#include "lattice.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace perne::stats {
namespace {

constexpr double kSecondsPerPeriod = kTimerIntervalMs / 1000.0;
constexpr double kWantedErrorSeconds = 1e-10;
constexpr int kMostIterations = 3000;

class MeetingTimeEquations
{
public:
    MeetingTimeEquations(Mode mode, StartingPoints start)
        : m_towards(reversedMoves(stepMoves())), m_momotaroWalks(mode == Mode::Both),
          m_momotaroPoint(indexOf(start.momotaro))
    {
        m_columns = m_momotaroWalks ? kPoints : 1;
        m_start = static_cast<std::size_t>(indexOf(start.dog) * m_columns +
                                           (m_momotaroWalks ? m_momotaroPoint : 0));
        m_a.assign(size(), 0.0);
        m_b.assign(size(), 0.0);
    }

    std::size_t size() const { return static_cast<std::size_t>(kPoints * m_columns); }
    std::size_t startState() const { return m_start; }

    // out = (I - Q) h.
    void apply(const std::vector<double> &h, std::vector<double> &out)
    {
        if (m_momotaroWalks) {
            // Momotaro's step first, seen backwards: landing on the dog is a meeting ...
            m_a = h;
            zeroDiagonal(m_a);
            transposeTable(m_a, m_b);
            spreadRows(m_towards, m_b, out, kPoints);
            transposeTable(out, m_a);
            // ... and before it the dog's step, landing on Momotaro.
            zeroDiagonal(m_a);
            spreadRows(m_towards, m_a, out, kPoints);
        } else {
            m_a = h;
            m_a[static_cast<std::size_t>(m_momotaroPoint)] = 0.0;
            spreadRows(m_towards, m_a, out, 1);
        }
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = h[i] - out[i];
    }

private:
    static void zeroDiagonal(std::vector<double> &table)
    {
        for (int p = 0; p < kPoints; ++p)
            table[static_cast<std::size_t>(p * kPoints + p)] = 0.0;
    }

    MoveTable m_towards;
    bool m_momotaroWalks;
    int m_momotaroPoint;
    int m_columns = 1;
    std::size_t m_start = 0;
    std::vector<double> m_a;
    std::vector<double> m_b;
};

double dot(const std::vector<double> &a, const std::vector<double> &b)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += a[i] * b[i];
    return sum;
}

double largest(const std::vector<double> &v)
{
    double m = 0.0;
    for (const double x : v)
        m = std::max(m, std::abs(x));
    return m;
}

} // namespace

std::optional<double> unlimitedFirstMeetingSeconds(Mode mode, StartingPoints start)
{
    MeetingTimeEquations equations(mode, start);
    const std::size_t n = equations.size();
    std::vector<double> h(n, 0.0);
    std::vector<double> r(n, 1.0);
    const std::vector<double> shadow = r;
    std::vector<double> p(n, 0.0), v(n, 0.0), s(n), t(n), check(n);
    double rho = 1.0, alpha = 1.0, omega = 1.0;

    auto errorBound = [&]() {
        equations.apply(h, check);
        for (std::size_t i = 0; i < n; ++i)
            check[i] = 1.0 - check[i];
        const double residual = largest(check);
        return residual < 1.0 ? residual * largest(h) / (1.0 - residual) * kSecondsPerPeriod
                              : INFINITY;
    };

    for (int iteration = 0; iteration < kMostIterations; ++iteration) {
        const double rhoNext = dot(shadow, r);
        if (rhoNext == 0.0 || omega == 0.0)
            break;
        const double beta = rhoNext / rho * (alpha / omega);
        rho = rhoNext;
        for (std::size_t i = 0; i < n; ++i)
            p[i] = r[i] + beta * (p[i] - omega * v[i]);
        equations.apply(p, v);
        alpha = rho / dot(shadow, v);
        for (std::size_t i = 0; i < n; ++i)
            s[i] = r[i] - alpha * v[i];
        equations.apply(s, t);
        const double tt = dot(t, t);
        omega = tt > 0.0 ? dot(t, s) / tt : 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            h[i] += alpha * p[i] + omega * s[i];
            r[i] = s[i] - omega * t[i];
        }
        // The recurrence's residual drifts from the true one; judge by the true one.
        if (largest(r) * largest(h) * kSecondsPerPeriod < kWantedErrorSeconds / 10 &&
            errorBound() < kWantedErrorSeconds)
            return h[equations.startState()] * kSecondsPerPeriod;
    }
    if (errorBound() < kWantedErrorSeconds)
        return h[equations.startState()] * kSecondsPerPeriod;
    return std::nullopt;
}

} // namespace perne::stats
