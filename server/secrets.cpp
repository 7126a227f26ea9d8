#include "secrets.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <stdexcept>

namespace perne::server {
namespace {

template <std::size_t N> std::array<unsigned char, N> randomBytes()
{
    std::array<unsigned char, N> bytes{};
    if (RAND_bytes(bytes.data(), static_cast<int>(N)) != 1)
        throw std::runtime_error("the operating system's random source failed");
    return bytes;
}

} // namespace

std::string newJoinCode()
{
    std::string code;
    while (code.size() < kCodeLength) {
        // Rejection keeps every character equally likely: 248 is the largest multiple of 31
        // that fits a byte.
        for (const unsigned char b : randomBytes<16>()) {
            if (b < 248 && code.size() < kCodeLength)
                code += kCodeAlphabet[b % kCodeAlphabet.size()];
        }
    }
    return code;
}

std::string normalJoinCode(std::string_view text)
{
    if (text.size() != kCodeLength)
        return {};
    std::string code;
    for (char c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (kCodeAlphabet.find(c) == std::string_view::npos)
            return {};
        code += c;
    }
    return code;
}

std::string newSecret()
{
    static constexpr char kBase64Url[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    const auto bytes = randomBytes<32>();
    std::string out;
    unsigned bits = 0;
    int have = 0;
    for (const unsigned char b : bytes) {
        bits = (bits << 8) | b;
        have += 8;
        while (have >= 6) {
            have -= 6;
            out += kBase64Url[(bits >> have) & 63];
        }
    }
    if (have > 0)
        out += kBase64Url[(bits << (6 - have)) & 63];
    return out;
}

std::string sha256Hex(std::string_view text)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 failed");
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += kHex[digest[i] >> 4];
        out += kHex[digest[i] & 15];
    }
    return out;
}

bool sameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace perne::server
