#include "lattice.h"

#include <algorithm>

namespace perne::stats {

int indexOf(Point p)
{
    return (p.y - kLatticeMin) * kSide + (p.x - kLatticeMin);
}

Point pointAt(int index)
{
    return {static_cast<std::int16_t>(kLatticeMin + index % kSide),
            static_cast<std::int16_t>(kLatticeMin + index / kSide)};
}

MoveTable stepMoves()
{
    MoveTable moves;
    for (int from = 0; from < kPoints; ++from) {
        auto &list = moves[static_cast<std::size_t>(from)];
        for (StepDirection d = 1; d <= kDirectionCount; ++d) {
            const int to = indexOf(step(pointAt(from), d));
            auto it =
                std::find_if(list.begin(), list.end(), [to](const Move &m) { return m.to == to; });
            if (it == list.end())
                list.push_back({to, 1.0 / kDirectionCount});
            else
                it->probability += 1.0 / kDirectionCount;
        }
    }
    return moves;
}

MoveTable reversedMoves(const MoveTable &moves)
{
    MoveTable reversed;
    for (int from = 0; from < kPoints; ++from)
        for (const Move &m : moves[static_cast<std::size_t>(from)])
            reversed[static_cast<std::size_t>(m.to)].push_back({from, m.probability});
    return reversed;
}

void spreadRows(const MoveTable &moves, const std::vector<double> &from, std::vector<double> &to,
                int rowLength)
{
    std::fill(to.begin(), to.end(), 0.0);
    const auto length = static_cast<std::size_t>(rowLength);
    for (int r = 0; r < kPoints; ++r) {
        const double *__restrict source = from.data() + static_cast<std::size_t>(r) * length;
        if (std::all_of(source, source + length, [](double v) { return v == 0.0; }))
            continue;
        for (const Move &m : moves[static_cast<std::size_t>(r)]) {
            double *__restrict target = to.data() + static_cast<std::size_t>(m.to) * length;
            const double p = m.probability;
            // Four at a time, which compilers turn into vector arithmetic at -O2.
            std::size_t c = 0;
            for (; c + 4 <= length; c += 4) {
                target[c] += p * source[c];
                target[c + 1] += p * source[c + 1];
                target[c + 2] += p * source[c + 2];
                target[c + 3] += p * source[c + 3];
            }
            for (; c < length; ++c)
                target[c] += p * source[c];
        }
    }
}

void transposeTable(const std::vector<double> &from, std::vector<double> &to)
{
    // In blocks of one lattice row, so that both sides stay in the cache.
    for (int rowBlock = 0; rowBlock < kPoints; rowBlock += kSide)
        for (int columnBlock = 0; columnBlock < kPoints; columnBlock += kSide)
            for (int r = rowBlock; r < rowBlock + kSide; ++r)
                for (int c = columnBlock; c < columnBlock + kSide; ++c)
                    to[static_cast<std::size_t>(c * kPoints + r)] =
                        from[static_cast<std::size_t>(r * kPoints + c)];
}

} // namespace perne::stats
