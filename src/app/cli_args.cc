#include <algorithm>
#include <cstdio>
#include <ostream>
#include <stdexcept>

#include "app/cli_command.h"
#include "protect/decipher.h"
#include "protect/page_key.h"
#include "settings/program_folder.h"
#include "store/page_store.h"

namespace jb::cli {

bool Args::Has(const std::string& name) const {
    return std::any_of(options.begin(), options.end(), [&](const auto& o) { return o.first == name; });
}

std::optional<std::string> Args::Value(const std::string& name) const {
    for (const auto& o : options)
        if (o.first == name) return o.second;
    return std::nullopt;
}

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

Args ParseArgs(const std::vector<std::string>& argv, const std::vector<std::string>& valued) {
    Args args;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i] == "-o" && Contains(valued, "output") ? "--output" : argv[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::string name = a.substr(2);
            std::string value;
            auto eq = name.find('=');
            const std::string base = name.substr(0, eq);
            const bool takesValue = base == "data" || Contains(valued, base);
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.resize(eq);
            } else if (takesValue) {
                if (i + 1 >= argv.size()) throw std::invalid_argument("--" + name + " needs a value");
                value = argv[++i];
            }
            if (!takesValue && name != "help" && eq != std::string::npos)
                throw std::invalid_argument("--" + name + " takes no value");
            if (name == "data" && value.empty()) throw std::invalid_argument("--data needs a value");
            if (name == "data" && args.Has("data")) throw std::invalid_argument("--data is given more than once");
            args.options.emplace_back(name, value);
        } else {
            args.words.push_back(a);
        }
    }
    return args;
}

std::string StrayArgument(const Command& command, const Args& args) {
    for (const auto& [name, value] : args.options)
        if (name != "data" && name != "help" && !Contains(command.valued, name) && !Contains(command.flags, name))
            return "--" + name;
    if (command.words != kAnyWords && args.words.size() > static_cast<std::size_t>(command.words))
        return args.words[static_cast<std::size_t>(command.words)];
    return {};
}

std::string DataSetPath(const Args& args) {
    if (auto data = args.Value("data")) return *data;
    return jb::ProgramFolder() + "data.jb";
}

int PageNumberArgument(const Args& args) {
    if (args.words.size() != 1) throw std::invalid_argument("give exactly one page number");
    const std::string& w = args.words[0];
    if (w.empty() || w.size() > 9 || w.find_first_not_of("0123456789") != std::string::npos)
        throw std::invalid_argument("'" + w + "' is not a page number");
    return std::stoi(w);
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

bool ReadPageText(const Args& args, const std::string& dataSet, int n, std::string& text, std::ostream& err) {
    PageStore store;
    PageInfo info;
    if (unsigned status = store.ReadPageBody(dataSet, n, info, text); status != kStatusOk) {
        err << "jotterbase-cli: Error #" << status << " occurred reading page " << n << " of " << dataSet << "\n";
        return false;
    }
    if (text.empty()) {
        err << "jotterbase-cli: page " << n << " is deleted and has no text\n";
        return false;
    }
    text.pop_back();  // the trailer byte
    if (info.password.empty()) return true;
    auto typed = args.Value("password");
    if (!typed) {
        err << "jotterbase-cli: page " << n << " is protected: give its password with --password\n";
        return false;
    }
    // Passwords differing only in letter case open the same page.
    if (PageKey(*typed) != PageKey(info.password)) {
        err << "jotterbase-cli: wrong password for page " << n << "\n";
        return false;
    }
    text = Rc4Bytes(PageKey(info.password), text);
    return true;
}

std::string UnindexedPageMessage(int n, const std::string& id, const std::string& dataSet, const std::string& why) {
    return "jotterbase-cli: page " + std::to_string(n) + " (ID " + id + ") is stored, but its words could not be indexed (" +
           why + "); searches will not find it until 'jotterbase-cli reindex --data " + dataSet +
           "' has rebuilt the index\n";
}

}  // namespace jb::cli
