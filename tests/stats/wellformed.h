#pragma once
// Whether a chart is well-formed XML, for the core's chart test and the program's files.

#include <regex>
#include <string>
#include <vector>

namespace {

// Whether the text is well-formed XML as far as a chart needs: one root, tags that nest and
// close by name, quoted attribute values, and no '<' or '&' in text but the five entities.
inline bool wellFormed(const std::string &xml)
{
    static const std::regex tag(R"(<\?[^>]*\?>|<(/?)([\w:-]+)((?:\s+[\w:-]+="[^"]*")*)\s*(/?)>)");
    static const std::regex text(R"((?:[^<&]|&(?:amp|lt|gt|quot|apos);)*)");
    std::vector<std::string> open;
    int roots = 0;
    auto at = xml.cbegin();
    for (std::smatch m; std::regex_search(at, xml.cend(), m, tag); at = m[0].second) {
        if (!std::regex_match(m.prefix().first, m.prefix().second, text) ||
            !std::regex_match(m[3].first, m[3].second, text))
            return false;
        const bool closing = m[1].length() > 0;
        if (closing && (open.empty() || open.back() != m[2].str()))
            return false;
        roots += m[2].matched && !closing && open.empty() ? 1 : 0;
        if (closing)
            open.pop_back();
        else if (m[2].matched && m[4].length() == 0)
            open.push_back(m[2].str());
    }
    return roots == 1 && open.empty() && std::regex_match(at, xml.cend(), text);
}

} // namespace
