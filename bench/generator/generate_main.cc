// jb_generate: writes a benchmark data set.  jb_generate --pages N --out FOLDER [--seed S]

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "generator/data_set_generator.h"

int main(int argc, char** argv) {
    jb::bench::GeneratorOptions options;
    std::string out;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i], value = argv[i + 1];
        if (name == "--pages")
            options.pages = std::atoi(value.c_str());
        else if (name == "--out")
            out = value;
        else if (name == "--seed")
            options.seed = static_cast<std::uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
    }
    if (out.empty() || options.pages <= 0) {
        std::cerr << "usage: jb_generate --pages N --out FOLDER [--seed S]\n";
        return 2;
    }
    try {
        std::filesystem::create_directories(out);
        jb::bench::GenerateDataSet(out, options);
    } catch (const std::exception& e) {
        std::cerr << "jb_generate: " << e.what() << "\n";
        return 1;
    }
    std::cout << "wrote " << options.pages << " pages to " << out << "/data.jb\n";
    return 0;
}
