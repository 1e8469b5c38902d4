#pragma once
// The spelling engine as the settings see it: where its lexicons lie and which lexicon files
// of the chosen language it loads. The engine itself (and the check of a page) lives behind
// this interface; the settings only tell it what to load. Every text handed over is at most
// 255 characters.

#include <string>
#include <string_view>

namespace jb {

class SpellEngine {
  public:
    virtual ~SpellEngine() = default;
    // The folder of the main lexicons (the program folder).
    virtual void SetMainLexPath(const std::string& folder) = 0;
    // The folder of the user lexicons (the program folder).
    virtual void SetUserLexPath(const std::string& folder) = 0;
    // The main lexicon files of the language, names separated by ",".
    virtual void SetMainLexFiles(const std::string& files) = 0;
    // The user lexicon files, names separated by ",".
    virtual void SetUserLexFiles(const std::string& files) = 0;
};

// The user lexicons: ignore list, automatic corrections, conditional corrections.
inline constexpr std::string_view kUserLexiconFiles = "Uignore.tlx,autocorr.tlx,Condcorr.tlx";

// The lexicon list file of a language: program folder + dict + ".Lexicon".
std::string LexiconListPath(std::string_view programFolder, std::string_view dict);

class FileSystem;

// The lexicon lists of a language, as LoadSettings sets them up: when the language's lexicon
// list file exists, its first line (at most 255 characters) becomes the main lexicon files
// (otherwise they stay as they were); the user lexicon files are always kUserLexiconFiles.
void SetUpLexiconLists(std::string_view programFolder, std::string_view dict, SpellEngine& engine,
                       FileSystem& fs);

// The lexicon folders, set once at start-up right after LoadSettings: both the program folder.
void SetLexiconFolders(std::string_view programFolder, SpellEngine& engine);

}  // namespace jb
