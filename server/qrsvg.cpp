#include "qrsvg.h"

#include <qrencode.h>

#include <memory>

namespace perne::server {

std::optional<std::string> qrSvg(const std::string &text)
{
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(text.c_str(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code)
        return std::nullopt;
    constexpr int kQuiet = 4;
    const int width = code->width;
    const int size = width + 2 * kQuiet;
    std::string path;
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            // Bit 0 of each byte is the module's colour: 1 dark.
            if (code->data[y * width + x] & 1)
                path += "M" + std::to_string(x + kQuiet) + " " + std::to_string(y + kQuiet) +
                        "h1v1h-1z";
        }
    }
    const std::string s = std::to_string(size);
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + s + " " + s +
           "\" shape-rendering=\"crispEdges\"><rect width=\"" + s + "\" height=\"" + s +
           "\" fill=\"#fff\"/><path fill=\"#000\" d=\"" + path + "\"/></svg>\n";
}

} // namespace perne::server
