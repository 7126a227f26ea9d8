#pragma once

#include "lattice.h"
#include "mode.h"

#include <vector>

namespace perne::stats {

// Probability mass over the walking states, laid out by rows: row r is the dog's point,
// column c one of Momotaro's possible points (all 121 when he walks, only his starting point
// when he stands still). Each step takes out the mass that meets, so what stays in the
// table is the runs still walking towards their next meeting.
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

} // namespace perne::stats
