#include "settings/program_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "store/io_error.h"

namespace jb {

namespace fs = std::filesystem;

namespace {

// `path` as a folder: normalised, with exactly one final "/".
std::string AsFolder(const fs::path& path) {
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text == "/" ? text : text + "/";
}

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Copies `from` to `to` through a work file beside `to`, so that no half-copied file ever
// carries the final name.
void CopyOver(const fs::path& from, const fs::path& to) {
    const fs::path work = to.parent_path() / ("." + to.filename().string() + ".new");
    std::error_code error;
    fs::copy_file(from, work, fs::copy_options::overwrite_existing, error);
    if (!error) fs::rename(work, to, error);
    if (error) {
        fs::remove(work, error);
        throw IoError(to.string(), "The default file cannot be copied into the program folder");
    }
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    const passwd* user = ::getpwuid(::getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

}  // namespace

const std::vector<std::string>& DefaultFileNames() {
    // The build names the files, in the one list that also puts them into the staging folder
    // and the package.
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        const std::string joined = JB_DEFAULT_FILE_NAMES;
        std::size_t start = 0;
        while (start <= joined.size()) {
            const std::size_t end = std::min(joined.find('|', start), joined.size());
            if (end > start) list.push_back(joined.substr(start, end - start));
            start = end + 1;
        }
        return list;
    }();
    return names;
}

std::string ExecutableFolder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return error ? "./" : AsFolder(executable.parent_path());
}

Installation InstallationOf(std::string_view executableFolder) {
    const std::string own = AsFolder(fs::path(executableFolder));
    const fs::path folder = fs::path(own).parent_path();  // without the final "/"
    fs::path prefix;
    if (folder.filename() == "bin")
        prefix = folder.parent_path();
    else if (folder.filename() == "jotterbase" && folder.parent_path().filename() == "lib")
        prefix = folder.parent_path().parent_path();
    if (prefix.empty() || !IsDirectory(prefix / "share" / "jotterbase")) return {own, own, own, false};
    return {AsFolder(prefix / "bin"), AsFolder(prefix / "lib" / "jotterbase"),
            AsFolder(prefix / "share" / "jotterbase"), true};
}

std::string ChooseProgramFolder(std::string_view chosen, const Installation& installation, std::string_view home) {
    if (!chosen.empty()) return AsFolder(fs::absolute(fs::path(chosen)));
    if (!installation.shared) return installation.programs;
    if (home.empty()) throw std::invalid_argument("there is no home folder: choose a folder with --folder DIR");
    return AsFolder(fs::path(home) / kDefaultFolderName);
}

std::string ProgramFolder() {
    const char* chosen = std::getenv(kFolderVariable);
    return ChooseProgramFolder(chosen ? chosen : "", InstallationOf(ExecutableFolder()), HomeFolder());
}

std::string TakeFolderOption(std::vector<std::string>& words) {
    std::string folder;
    bool given = false;
    for (std::size_t i = 0; i < words.size();) {
        const bool separate = words[i] == "--folder";
        if (!separate && words[i].rfind("--folder=", 0) != 0) {
            ++i;
            continue;
        }
        if (given) throw std::invalid_argument("--folder is given more than once");
        if (separate && i + 1 >= words.size()) throw std::invalid_argument("--folder needs a folder");
        folder = separate ? words[i + 1] : words[i].substr(9);
        if (folder.empty()) throw std::invalid_argument("--folder needs a folder");
        given = true;
        words.erase(words.begin() + static_cast<std::ptrdiff_t>(i),
                    words.begin() + static_cast<std::ptrdiff_t>(i + (separate ? 2 : 1)));
    }
    return given ? AsFolder(fs::absolute(fs::path(folder))) : std::string();
}

void PrepareProgramFolder(std::string_view folder, const Installation& installation) {
    const fs::path target(folder);
    std::error_code error;
    fs::create_directories(target, error);
    if (error || !IsDirectory(target)) throw IoError(std::string(folder), "The program folder cannot be made");
    if (fs::equivalent(target, fs::path(installation.defaults), error)) return;
    for (const std::string& name : DefaultFileNames()) {
        const fs::path from = fs::path(installation.defaults) / name;
        const fs::path to = target / name;
        if (!fs::is_regular_file(from, error)) continue;
        const bool there = fs::exists(fs::symlink_status(to, error));
        if (there && (name != kHelpPageName || FileBytes(from) == FileBytes(to))) continue;
        CopyOver(from, to);
    }
}

}  // namespace jb
