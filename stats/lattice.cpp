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

namespace {

constexpr int kLast = kSide - 1;
constexpr double kPerDirection = 1.0 / kDirectionCount;

// The stencil over one lattice of kPoints entries spaced `stride` cells apart, for `count`
// neighbouring cells at once: along x, then along y, then less the cell itself.
void stencil(const double *from, double *to, double *scratch, std::size_t stride, std::size_t count)
{
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const std::size_t p = static_cast<std::size_t>(y * kSide + x);
            const double *__restrict a =
                from + static_cast<std::size_t>(y * kSide + std::max(x - 1, 0)) * stride;
            const double *__restrict b = from + p * stride;
            const double *__restrict c =
                from + static_cast<std::size_t>(y * kSide + std::min(x + 1, kLast)) * stride;
            double *__restrict out = scratch + p * stride;
            for (std::size_t i = 0; i < count; ++i)
                out[i] = a[i] + b[i] + c[i];
        }
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const std::size_t p = static_cast<std::size_t>(y * kSide + x);
            const double *__restrict a =
                scratch + static_cast<std::size_t>(std::max(y - 1, 0) * kSide + x) * stride;
            const double *__restrict b = scratch + p * stride;
            const double *__restrict c =
                scratch + static_cast<std::size_t>(std::min(y + 1, kLast) * kSide + x) * stride;
            const double *__restrict self = from + p * stride;
            double *__restrict out = to + p * stride;
            for (std::size_t i = 0; i < count; ++i)
                out[i] = (a[i] + b[i] + c[i] - self[i]) * kPerDirection;
        }
}

} // namespace

void stepAlongRows(const std::vector<double> &from, std::vector<double> &to,
                   std::vector<double> &scratch, int rowLength)
{
    to.resize(from.size());
    scratch.resize(from.size());
    const auto length = static_cast<std::size_t>(rowLength);
    stencil(from.data(), to.data(), scratch.data(), length, length);
}

void stepWithinRows(const std::vector<double> &from, std::vector<double> &to,
                    std::vector<double> &scratch)
{
    to.resize(from.size());
    scratch.resize(from.size());
    // The same sums as stencil() with one cell per point, in the same order, but over the
    // row's run of cells at once and with the lattice's edges put right afterwards.
    for (std::size_t row = 0; row < from.size(); row += kPoints) {
        const double *__restrict f = from.data() + row;
        double *__restrict s = scratch.data() + row;
        double *__restrict t = to.data() + row;
        for (int i = 1; i + 1 < kPoints; ++i)
            s[i] = f[i - 1] + f[i] + f[i + 1];
        for (int y = 0; y < kPoints; y += kSide) {
            s[y] = f[y] + f[y] + f[y + 1];
            s[y + kLast] = f[y + kLast - 1] + f[y + kLast] + f[y + kLast];
        }
        for (int i = 0; i < kSide; ++i)
            t[i] = (s[i] + s[i] + s[i + kSide] - f[i]) * kPerDirection;
        for (int i = kSide; i < kPoints - kSide; ++i)
            t[i] = (s[i - kSide] + s[i] + s[i + kSide] - f[i]) * kPerDirection;
        for (int i = kPoints - kSide; i < kPoints; ++i)
            t[i] = (s[i - kSide] + s[i] + s[i] - f[i]) * kPerDirection;
    }
}

} // namespace perne::stats
