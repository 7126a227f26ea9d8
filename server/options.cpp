#include "options.h"

#include <charconv>

namespace perne::server {
namespace {

std::optional<long long> number(const std::string &text, long long low, long long high)
{
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high)
        return std::nullopt;
    return v;
}

} // namespace

std::string usage()
{
    return "使い方: perne-class --port P --data DIR [--pages DIR] [--bind ADDR]\n"
           "                   [--teacher-key-file F] [--cert C --key K]\n"
           "\n"
           "ペルネ実験の授業用サーバー。生徒のページと先生のページを一つのアドレスから配り、\n"
           "生徒の実験の結果を受け取って先生のページに届けます。\n"
           "\n"
           "  --port P               待ち受けるポート (0 なら空いているもの)\n"
           "  --data DIR             記録を置くフォルダー (なければ作ります)\n"
           "  --pages DIR            tools/web.sh が作ったページのフォルダー (build-web)\n"
           "  --bind ADDR            待ち受けるアドレス (既定 0.0.0.0)\n"
           "  --teacher-key-file F   授業を始めるのに要るパスフレーズのファイル\n"
           "  --cert C --key K       TLS の証明書と秘密鍵 (PEM)\n"
           "  --threads N            作業スレッドの数 (既定 640; 開いたストリームが一つずつ使う)\n"
           "  --rate-per-address N   一つのアドレスから一分間に受け付ける送信の数 (既定 1200)\n"
           "  --help                 この説明\n"
           "  --version              版\n";
}

ParsedOptions parseOptions(const std::vector<std::string> &args)
{
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--help") {
            o.help = true;
            continue;
        }
        if (a == "--version") {
            o.version = true;
            continue;
        }
        std::string name = a;
        std::string value;
        if (const auto eq = a.find('='); a.starts_with("--") && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return {std::nullopt, "perne-class: " + a + " の値がありません (--help で使い方)"};
        }
        if (name == "--port") {
            const auto p = number(value, 0, 65535);
            if (!p)
                return {std::nullopt, "perne-class: --port は 0〜65535 の数です"};
            o.port = static_cast<int>(*p);
        } else if (name == "--threads") {
            const auto n = number(value, 8, 10000);
            if (!n)
                return {std::nullopt, "perne-class: --threads は 8〜10000 の数です"};
            o.threads = static_cast<int>(*n);
        } else if (name == "--rate-per-address") {
            const auto n = number(value, 1, 100'000'000);
            if (!n)
                return {std::nullopt, "perne-class: --rate-per-address は 1 以上の数です"};
            o.ratePerAddress = *n;
        } else if (name == "--data") {
            o.data = value;
        } else if (name == "--pages") {
            o.pages = value;
        } else if (name == "--bind") {
            o.bind = value;
        } else if (name == "--teacher-key-file") {
            o.teacherKeyFile = value;
        } else if (name == "--cert") {
            o.cert = value;
        } else if (name == "--key") {
            o.key = value;
        } else {
            return {std::nullopt, "perne-class: 知らないオプションです (--help で使い方)"};
        }
    }
    if (o.help || o.version)
        return {o, {}};
    if (o.port < 0)
        return {std::nullopt, "perne-class: --port が要ります (--help で使い方)"};
    if (o.data.empty())
        return {std::nullopt, "perne-class: --data が要ります (--help で使い方)"};
    if (o.cert.empty() != o.key.empty())
        return {std::nullopt, "perne-class: --cert と --key は二つ一緒に指定します"};
    return {o, {}};
}

} // namespace perne::server
