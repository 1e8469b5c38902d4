#pragma once
// The settings file on disk. Every call opens the file, reads or writes it and closes it again;
// nothing holds it open between calls, and nothing is cached, so each call sees what the file
// holds at that moment.
//
// Reading never fails: a missing or unreadable file reads as an empty one, so every key gives
// its default. A write reads the current file, changes the one key (see IniDocument::Set),
// writes the result beside the file and renames it over the file; the old file is never deleted
// first. When any step of that fails, the file is left as it was and SettingsWriteError is
// thrown.

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ini_document.h"
#include "store/file_system.h"
#include "store/io_error.h"

namespace jb {

// "Unable to write to <path>", with the settings file's path. It is an IoError, so the
// desktop's general error report catches it with every other file failure; what() is exactly
// the message above.
class SettingsWriteError : public IoError {
  public:
    explicit SettingsWriteError(const std::string& path);
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

// The settings file of a program folder: the folder followed directly by "JotBase.ini". A
// folder given without its final "/" gets one.
std::string SettingsFilePath(std::string_view programFolder);

class SettingsFile {
  public:
    // `fs` must outlive the object.
    explicit SettingsFile(std::string path, FileSystem& fs = FileSystem::Default());

    const std::string& Path() const { return path_; }

    // The whole file as it is now (empty when missing or unreadable). Use it to read many keys
    // in one pass.
    IniDocument Read() const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    std::int32_t ReadInt(std::string_view section, std::string_view key,
                         std::int32_t fallback) const;
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    // Each writes one key or throws SettingsWriteError. Integers are written in decimal,
    // booleans as "1" or "0".
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInt(std::string_view section, std::string_view key, std::int64_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // The file a write goes to before it is renamed over the settings file.
    std::string TemporaryPath() const { return path_ + ".tmp"; }

  private:
    FileSystem& fs_;
    std::string path_;
};

}  // namespace jb
