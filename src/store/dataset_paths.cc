#include "store/dataset_paths.h"

namespace jb {

namespace {
std::size_t NameStart(std::string_view path) {
    auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}
}  // namespace

std::string CompanionPath(std::string_view dataSet, std::string_view extension) {
    std::size_t nameStart = NameStart(dataSet);
    auto dot = dataSet.find_last_of('.');
    std::string result(dataSet.substr(0, dot != std::string_view::npos && dot >= nameStart ? dot : dataSet.size()));
    result += extension;
    return result;
}

std::string FolderOf(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string FileNameOf(std::string_view path) { return std::string(path.substr(NameStart(path))); }

std::string DeletedPagesDataSet(std::string_view dataSet) { return FolderOf(dataSet) + "%" + FileNameOf(dataSet); }

bool IsDeletedPagesDataSet(std::string_view dataSet) {
    std::string name = FileNameOf(dataSet);
    return !name.empty() && name[0] == '%';
}

std::string CounterpartOf(std::string_view dataSet) {
    if (IsDeletedPagesDataSet(dataSet)) return FolderOf(dataSet) + FileNameOf(dataSet).substr(1);
    return DeletedPagesDataSet(dataSet);
}

}  // namespace jb
