#pragma once

#include <optional>
#include <string>
#include <vector>

namespace perne::server {

struct Options
{
    int port = -1;
    std::string data;
    std::string pages; // empty: where the package installs them
    std::string bind = "0.0.0.0";
    std::string teacherKeyFile;
    std::string cert;
    std::string key;
    int threads = 0;
    long long ratePerAddress = 0;
    bool help = false;
    bool version = false;
};

// The command line, or the one line that says what is wrong with it.
struct ParsedOptions
{
    std::optional<Options> options;
    std::string error;
};

ParsedOptions parseOptions(const std::vector<std::string> &args);

// --help's text.
std::string usage();

} // namespace perne::server
