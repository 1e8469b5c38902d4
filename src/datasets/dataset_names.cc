#include "datasets/dataset_names.h"

#include "store/dataset_paths.h"

namespace jb {

std::string WithDataExtension(std::string_view path) {
    const std::string name = FileNameOf(path);
    const std::size_t dot = name.find_last_of('.');
    std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    std::string result(path);
    if (extension != ".jb") result += ".jb";
    return result;
}

}  // namespace jb
