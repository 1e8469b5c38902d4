#include "search/query_files.h"

#include <QFile>
#include <QSaveFile>
#include <fstream>
#include <iterator>

#include "richtext/code_page.h"
#include "store/dataset_paths.h"

namespace jb::search {

QString TextOfBytes(const std::string& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (unsigned char b : bytes) text += QChar(static_cast<char16_t>(richtext::FromCp1252(b)));
    return text;
}

std::string BytesOfText(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        const int b = richtext::ToCp1252(c.unicode());
        bytes += static_cast<char>(b < 0 ? '?' : b);
    }
    return bytes;
}

QString RecentSearchesPath(const std::string& dataSet) {
    return QString::fromStdString(CompanionPath(dataSet, ".rsc"));
}

std::optional<std::vector<std::string>> ReadTextLines(const QString& path) {
    return ReadTextLines(QFile::encodeName(path).toStdString());
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    std::vector<std::string> lines;
    std::string line;
    for (char c : all) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

bool WriteTextLines(const QString& path, const std::vector<std::string>& lines) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    for (const std::string& line : lines) {
        file.write(line.data(), static_cast<qint64>(line.size()));
        file.write("\r\n", 2);
    }
    return file.commit();
}

}  // namespace jb::search
