// A yardstick for perne-stats' batches, never used by the program: the walk's rules restated
// as one plain loop, with no window, no captions and no run handlers. It runs the batch that
// `perne-stats --runs N --seed S` runs (the same run seeds, the same generator, the same
// 200 ms simulated clock starting at 10:00) and prints the total meeting count of each mode,
// which must equal the sum of that batch's per-run counts; bench/stats_bench.sh compares
// the two and sets the program's processor time beside this loop's.
//
//   bare_loop [runs per mode, default 10000] [seed, default 1]
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

std::uint64_t mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::uint64_t splitMix(std::uint64_t &x)
{
    x += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = x;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

struct Generator
{
    std::uint64_t s[4];

    explicit Generator(std::uint64_t seed)
    {
        for (auto &word : s)
            word = splitMix(seed);
    }
    std::uint64_t bits()
    {
        const std::uint64_t result = std::rotl(s[1] * 5, 7) * 9;
        const std::uint64_t t = s[1] << 17;
        s[2] ^= s[0];
        s[3] ^= s[1];
        s[1] ^= s[2];
        s[0] ^= s[3];
        s[2] ^= t;
        s[3] = std::rotl(s[3], 45);
        return result;
    }
    // Reseeded from a clock reading, then one direction 1..8.
    int direction(float reading)
    {
        std::uint32_t readingBits;
        std::memcpy(&readingBits, &reading, sizeof readingBits);
        s[1] ^= (std::uint64_t{readingBits} + 1) * 0x9E3779B97F4A7C15ULL;
        if ((s[0] | s[1] | s[2] | s[3]) == 0)
            s[0] = 1;
        const double r = static_cast<double>(bits() >> 11) * 0x1.0p-53;
        return static_cast<int>(r * 8) + 1;
    }
};

constexpr int kDx[9] = {0, 1, 1, 0, -1, -1, -1, 0, 1};
constexpr int kDy[9] = {0, 0, 1, 1, 1, 0, -1, -1, -1};

struct P
{
    int x, y;
};

P step(P p, int d)
{
    int x = p.x + kDx[d], y = p.y + kDy[d];
    x = x < 0 ? 0 : x > 10 ? 10 : x;
    y = y < 0 ? 0 : y > 10 ? 10 : y;
    return {x, y};
}

// One 180-second run from Momotaro (4,4) and the dog (6,4); both walk, or only the dog.
int run(bool both, std::uint64_t seed)
{
    Generator g(seed);
    const P momotaroStart{4, 4}, dogStart{6, 4};
    P dog = dogStart, momotaro = momotaroStart;
    bool pending = false;
    int meetings = 0;
    const float start = 36000.0f;
    for (long long period = 1;; ++period) {
        const float reading =
            static_cast<float>(36000.0 + static_cast<double>(period) * 200.0 / 1000.0);
        const bool last = static_cast<float>(static_cast<double>(reading) - start) > 180.0f;
        for (int timer = 0; timer < 2; ++timer) {
            const int d = g.direction(reading);
            if (pending) {
                pending = false;
                dog = dogStart;
                momotaro = momotaroStart;
            } else if (timer == 0 || both) {
                P &walker = timer == 0 ? dog : momotaro;
                walker = step(walker, d);
                if (dog.x == momotaro.x && dog.y == momotaro.y) {
                    pending = true;
                    ++meetings;
                }
            }
        }
        if (last)
            return meetings;
    }
}

} // namespace

int main(int argc, char **argv)
{
    const long long runs = argc > 1 ? std::atoll(argv[1]) : 10000;
    const std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    for (const int mode : {1, 2}) {
        long long total = 0;
        for (long long i = 0; i < runs; ++i)
            total += run(mode == 1, mix(mix(mix(seed) ^ static_cast<std::uint64_t>(mode)) ^
                                        static_cast<std::uint64_t>(i)));
        std::printf("%s %lld\n", mode == 1 ? "both" : "dog", total);
    }
}
