// Replays the fuzz target's seed corpus without libFuzzer, on builds that have none (the
// WebAssembly build under Node, the normal build), and then a fixed number of deterministic
// mutations of each seed: bytes flipped, full-width characters and blanks spliced in, the
// text cut short or repeated. The target aborts on any answer read wrongly.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

void feed(const std::string &text)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(text.data()), text.size());
}

std::uint64_t nextBits(std::uint64_t &state)
{
    state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::string mutate(std::string text, std::uint64_t &state)
{
    static const char *const pieces[] = {"\u3000", "５", "．", "－",       "ｅ",   "e",
                                         "E",      "d",  ".",  "-",        "+",    " ",
                                         "\t",     "9",  "0",  "\xEF\xBC", "\xFF", "1e400"};
    const auto pick = [&](std::size_t n) { return n ? nextBits(state) % n : 0; };
    switch (pick(4)) {
    case 0:
        if (!text.empty())
            text[pick(text.size())] ^= static_cast<char>(1u << pick(8));
        break;
    case 1:
        text.insert(pick(text.size() + 1), pieces[pick(std::size(pieces))]);
        break;
    case 2:
        text.resize(pick(text.size() + 1));
        break;
    default:
        text += text.substr(0, pick(text.size() + 1));
        break;
    }
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    constexpr int kMutationsPerSeed = 20000;
    std::vector<std::string> seeds;
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::uint64_t state = 1;
    long long fed = 0;
    for (const std::string &seed : seeds) {
        feed(seed);
        std::string text = seed;
        for (int m = 0; m < kMutationsPerSeed; ++m, ++fed) {
            text = mutate(m % 8 == 0 ? seed : text, state);
            if (text.size() > 4096)
                text = seed;
            feed(text);
        }
    }
    std::printf("%zu seeds and %lld mutations read as they should\n", seeds.size(), fed);
    return seeds.empty() ? 1 : 0;
}
