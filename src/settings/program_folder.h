#pragma once
// Where the program's files are. Two ways of installing the program lay them out differently:
//
// - a program folder of its own (what ./run.sh installs, and the build's staging folder): the
//   executables, the default files and the user's files (settings, data sets, templates) all
//   in one folder;
// - an installation shared by every user (the Debian package): jotterbase and jotterbase-cli
//   in PREFIX/bin, jotterbase-transfer and IndexBld in PREFIX/lib/jotterbase, the default
//   files in PREFIX/share/jotterbase, and each user's files in a program folder of his own.
//
// The program folder is chosen once per start (ChooseProgramFolder) and handed to the helper
// programs in the environment variable kFolderVariable, so that the window, the CLI and the
// programs they start all work in the same folder. Every folder here ends with "/".

#include <string>
#include <string_view>
#include <vector>

namespace jb {

// Names the program folder; --folder DIR on the command line sets it for the programs started.
inline constexpr const char* kFolderVariable = "JOTTERBASE_FOLDER";
// The program folder of a shared installation when nothing else names one, under the user's
// home folder: the same folder ./run.sh installs into, so a user who moves from one way of
// installing to the other finds the same pages.
inline constexpr std::string_view kDefaultFolderName = "Jotterbase";
// The help page: the program's own file, brought up to date in the program folder.
inline constexpr std::string_view kHelpPageName = "JotBase.html";

struct Installation {
    std::string programs;  // jotterbase and jotterbase-cli
    std::string helpers;   // jotterbase-transfer and IndexBld
    std::string defaults;  // the default files of a new program folder
    bool shared = false;   // true: each user has a program folder of his own
};

// The names of the default files a new program folder needs (stop words, messages, template,
// sound, lexicon lists, help page).
const std::vector<std::string>& DefaultFileNames();

// The folder of the running executable.
std::string ExecutableFolder();

// The installation an executable in `executableFolder` belongs to: a shared one when that
// folder is PREFIX/bin or PREFIX/lib/jotterbase and PREFIX/share/jotterbase exists; otherwise
// the executable's folder holds everything.
Installation InstallationOf(std::string_view executableFolder);

// The program folder: `chosen` (--folder or kFolderVariable) when it is not empty, a relative
// one taken from the current folder; otherwise `home`/Jotterbase for a shared installation,
// and the executable's own folder for the other. Throws std::invalid_argument when a shared
// installation has no home folder to go by.
std::string ChooseProgramFolder(std::string_view chosen, const Installation& installation, std::string_view home);

// The program folder of this process: kFolderVariable, $HOME and the running executable.
std::string ProgramFolder();

// Takes "--folder DIR" and "--folder=DIR" out of `words` and returns DIR made absolute, or an
// empty string when none is given. Throws std::invalid_argument for a missing or empty DIR
// or a second --folder.
std::string TakeFolderOption(std::vector<std::string>& words);

// Makes the program folder when it is missing and copies into it each default file of the
// installation that it lacks. A file already there is never replaced, except the help page,
// which is the program's own and is brought up to date. A default file the installation does
// not have is left out. Throws IoError when the folder or a file cannot be made.
void PrepareProgramFolder(std::string_view folder, const Installation& installation);

}  // namespace jb
