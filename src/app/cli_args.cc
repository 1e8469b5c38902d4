#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "app/cli_command.h"

namespace jb::cli {

bool Args::Has(const std::string& name) const {
    return std::any_of(options.begin(), options.end(), [&](const auto& o) { return o.first == name; });
}

std::optional<std::string> Args::Value(const std::string& name) const {
    for (const auto& o : options)
        if (o.first == name) return o.second;
    return std::nullopt;
}

Args ParseArgs(const std::vector<std::string>& argv, const std::vector<std::string>& valued) {
    Args args;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::string name = a.substr(2);
            std::string value;
            auto eq = name.find('=');
            bool takesValue = name == "data" || std::find(valued.begin(), valued.end(), name.substr(0, eq)) != valued.end();
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.resize(eq);
            } else if (takesValue) {
                if (i + 1 >= argv.size()) throw std::invalid_argument("--" + name + " needs a value");
                value = argv[++i];
            }
            if (!takesValue && name != "help" && eq != std::string::npos)
                throw std::invalid_argument("--" + name + " takes no value");
            args.options.emplace_back(name, value);
        } else {
            args.words.push_back(a);
        }
    }
    return args;
}

std::string ProgramFolder() {
    char path[4096];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "./";
    std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.find_last_of('/') + 1);
}

std::string DataSetPath(const Args& args) {
    if (auto data = args.Value("data")) return *data;
    return ProgramFolder() + "data.jb";
}

}  // namespace jb::cli
