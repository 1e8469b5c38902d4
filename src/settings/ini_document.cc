#include "settings/ini_document.h"

#include <limits>

namespace jb {

namespace {

constexpr std::size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

// The name of a section header line, or nullopt when the line is not one.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    auto close = line.find(']');
    if (close == npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view name;
    std::string_view rawValue;  // everything after the "="
};

// The key and value of a key line, or nullopt when the line is not one.
std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
    auto eq = trimmed.find('=');
    if (eq == npos) return std::nullopt;
    std::string_view name = Trim(trimmed.substr(0, eq));
    if (name.empty()) return std::nullopt;
    return KeyLine{name, trimmed.substr(eq + 1)};
}

std::string CleanValue(std::string_view raw) {
    auto nul = raw.find('\0');
    if (nul != npos) raw = raw.substr(0, nul);
    raw = Trim(raw);
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') &&
        raw.back() == raw.front()) {
        raw = raw.substr(1, raw.size() - 2);
    }
    if (raw.size() > IniDocument::kMaxValueLength)
        raw = raw.substr(0, IniDocument::kMaxValueLength);
    return std::string(raw);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view bytes) {
    IniDocument doc;
    while (!bytes.empty()) {
        auto lf = bytes.find('\n');
        std::string_view line = lf == npos ? bytes : bytes.substr(0, lf);
        Line out;
        if (lf == npos) {
            bytes = {};
        } else {
            bytes.remove_prefix(lf + 1);
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
                out.eol = "\r\n";
            } else {
                out.eol = "\n";
            }
        }
        out.text = std::string(line);
        doc.lines_.push_back(std::move(out));
    }
    return doc;
}

std::size_t IniDocument::FindSection(std::string_view section) const {
    std::string_view wanted = Trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto name = SectionName(lines_[i].text);
        if (name && SameName(*name, wanted)) return i;
    }
    return npos;
}

std::size_t IniDocument::FindKey(std::size_t header, std::string_view key) const {
    std::string_view wanted = Trim(key);
    for (std::size_t i = header + 1; i < lines_.size(); ++i) {
        if (SectionName(lines_[i].text)) break;
        auto kv = ParseKeyLine(lines_[i].text);
        if (kv && SameName(kv->name, wanted)) return i;
    }
    return npos;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    std::size_t header = FindSection(section);
    if (header == npos) return std::nullopt;
    std::size_t at = FindKey(header, key);
    if (at == npos) return std::nullopt;
    return CleanValue(ParseKeyLine(lines_[at].text)->rawValue);
}

std::string IniDocument::GetString(std::string_view section, std::string_view key,
                                   std::string_view fallback) const {
    auto value = Find(section, key);
    return value ? *value : std::string(fallback);
}

std::int32_t IniDocument::GetInt(std::string_view section, std::string_view key,
                                 std::int32_t fallback) const {
    auto value = Find(section, key);
    if (!value) return fallback;
    return ParseProfileInt(*value).value_or(fallback);
}

bool IniDocument::GetBool(std::string_view section, std::string_view key, bool fallback) const {
    return GetInt(section, key, fallback ? 1 : 0) != 0;
}

std::string IniDocument::NewLineBreak() const {
    for (const Line& line : lines_) {
        if (!line.eol.empty()) return line.eol;
    }
    return "\r\n";
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    auto cut = value.find_first_of(std::string_view("\r\n\0", 3));
    if (cut != npos) value = value.substr(0, cut);

    std::size_t header = FindSection(section);
    if (header != npos) {
        std::size_t at = FindKey(header, key);
        if (at != npos) {
            std::string name(ParseKeyLine(lines_[at].text)->name);
            lines_[at].text = name + "=" + std::string(value);
            return;
        }
    }

    std::string eol = NewLineBreak();
    Line keyLine{std::string(key) + "=" + std::string(value), eol};
    if (header != npos) {
        // After the last non-blank line of the section, so that blank lines that separate it
        // from the next section stay between them.
        std::size_t last = header;
        for (std::size_t i = header + 1; i < lines_.size() && !SectionName(lines_[i].text); ++i) {
            if (!Trim(lines_[i].text).empty()) last = i;
        }
        if (lines_[last].eol.empty()) lines_[last].eol = eol;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1), std::move(keyLine));
        return;
    }

    if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
    lines_.push_back(Line{"[" + std::string(section) + "]", eol});
    lines_.push_back(std::move(keyLine));
}

std::string IniDocument::Serialize() const {
    std::size_t size = 0;
    for (const Line& line : lines_) size += line.text.size() + line.eol.size();
    std::string out;
    out.reserve(size);
    for (const Line& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

std::optional<std::int32_t> ParseProfileInt(std::string_view value) {
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        std::string_view digits = value.substr(2);
        if (digits.size() > 8) return std::nullopt;
        std::uint32_t result = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            result = result * 16 + static_cast<std::uint32_t>(d);
        }
        return static_cast<std::int32_t>(result);
    }
    bool negative = false;
    if (!value.empty() && (value[0] == '+' || value[0] == '-')) {
        negative = value[0] == '-';
        value.remove_prefix(1);
    }
    if (value.empty()) return std::nullopt;
    std::int64_t result = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        result = result * 10 + (c - '0');
        if (result > kLimit) return std::nullopt;
    }
    if (negative) result = -result;
    if (result > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(result);
}

}  // namespace jb
