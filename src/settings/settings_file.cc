#include "settings/settings_file.h"

#include <memory>
#include <optional>

namespace jb {

namespace {

// The whole content of a file, or nullopt when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(FileSystem& fs, const std::string& path) {
    try {
        std::unique_ptr<File> file = fs.Open(path, OpenMode::kRead);
        if (!file) return std::nullopt;
        std::string bytes;
        char buffer[64 * 1024];
        for (;;) {
            std::size_t n = file->Read(buffer, sizeof buffer);
            if (n == 0) break;
            bytes.append(buffer, n);
        }
        return bytes;
    } catch (const IoError&) {
        return std::nullopt;
    }
}

}  // namespace

SettingsWriteError::SettingsWriteError(const std::string& path)
    : IoError(path, "Unable to write to"), message_("Unable to write to " + path) {}

std::string SettingsFilePath(std::string_view programFolder) {
    std::string path(programFolder);
    if (!path.empty() && path.back() != '/') path += '/';
    return path + "JotBase.ini";
}

SettingsFile::SettingsFile(std::string path, FileSystem& fs) : fs_(fs), path_(std::move(path)) {}

IniDocument SettingsFile::Read() const {
    auto bytes = ReadWholeFile(fs_, path_);
    return bytes ? IniDocument::Parse(*bytes) : IniDocument();
}

std::string SettingsFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view fallback) const {
    return Read().GetString(section, key, fallback);
}

std::int32_t SettingsFile::ReadInt(std::string_view section, std::string_view key,
                                   std::int32_t fallback) const {
    return Read().GetInt(section, key, fallback);
}

bool SettingsFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    return Read().GetBool(section, key, fallback);
}

void SettingsFile::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
    // A file that exists but cannot be read must not be replaced by one holding only this key.
    IniDocument doc;
    if (fs_.Exists(path_)) {
        auto bytes = ReadWholeFile(fs_, path_);
        if (!bytes) throw SettingsWriteError(path_);
        doc = IniDocument::Parse(*bytes);
    }
    doc.Set(section, key, value);
    std::string text = doc.Serialize();

    std::string temp = TemporaryPath();
    try {
        std::unique_ptr<File> file = fs_.Open(temp, OpenMode::kCreate);
        if (!file) throw SettingsWriteError(path_);
        file->Write(text.data(), text.size());
        file->Sync();
        file.reset();
        fs_.Rename(temp, path_);
    } catch (const IoError&) {
        fs_.Remove(temp);
        throw SettingsWriteError(path_);
    }
    try {
        fs_.SyncFolder(path_);
    } catch (const IoError&) {
        // The new file is in place; only its surviving a power cut is not assured.
    }
}

void SettingsFile::WriteInt(std::string_view section, std::string_view key, std::int64_t value) {
    WriteString(section, key, std::to_string(value));
}

void SettingsFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace jb
