#include "random.h"

#include <cstring>
#include <random>

namespace perne {
namespace {

constexpr std::uint64_t rotateLeft(std::uint64_t x, int k)
{
    return (x << k) | (x >> (64 - k));
}

std::uint64_t splitMix(std::uint64_t &x)
{
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t entropy()
{
    std::random_device device;
    return (std::uint64_t{device()} << 32) ^ device();
}

} // namespace

MixingRandom::MixingRandom(std::uint64_t seed)
{
    for (auto &word : m_state)
        word = splitMix(seed);
}

MixingRandom::MixingRandom() : MixingRandom(entropy()) {}

MixingRandom MixingRandom::fromState(const RandomState &state)
{
    MixingRandom random(0);
    random.m_state = state;
    if ((state[0] | state[1] | state[2] | state[3]) == 0)
        random.m_state[0] = 1; // as reseed: the all-zero state would repeat forever
    return random;
}

void MixingRandom::reseed(float value)
{
    // One multiply-xor folds the reading into the word the next draw is made from. The value
    // only perturbs the state, which moves on with every draw: given the same number again,
    // the generator lands somewhere new and never returns to an earlier sequence.
    std::uint32_t bits = 0; // std::bit_cast is missing from some of our standard libraries
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    m_state[1] ^= (std::uint64_t{bits} + 1) * 0x9E3779B97F4A7C15ULL;
    if ((m_state[0] | m_state[1] | m_state[2] | m_state[3]) == 0)
        m_state[0] = 1; // the all-zero state would repeat forever
}

double MixingRandom::next()
{
    // The top 53 bits make a double in [0, 1) with every value equally likely.
    return static_cast<double>(nextBits() >> 11) * 0x1.0p-53;
}

std::uint64_t MixingRandom::nextBits()
{
    const std::uint64_t result = rotateLeft(m_state[1] * 5, 7) * 9;
    const std::uint64_t t = m_state[1] << 17;
    m_state[2] ^= m_state[0];
    m_state[3] ^= m_state[1];
    m_state[1] ^= m_state[2];
    m_state[0] ^= m_state[3];
    m_state[2] ^= t;
    m_state[3] = rotateLeft(m_state[3], 45);
    return result;
}

} // namespace perne
