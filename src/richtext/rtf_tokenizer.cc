#include "richtext/rtf_tokenizer.h"

#include <algorithm>
#include <cstdint>

namespace jb::richtext {
namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

RtfToken RtfTokenizer::Next() {
    RtfToken token;
    while (pos_ < in_.size()) {
        const char c = in_[pos_];
        if (c == '{' || c == '}') {
            ++pos_;
            token.kind = c == '{' ? RtfToken::Kind::kGroupOpen : RtfToken::Kind::kGroupClose;
            return token;
        }
        if (c == '\r' || c == '\n') {
            ++pos_;
            continue;
        }
        if (c != '\\') {
            std::size_t end = pos_;
            while (end < in_.size()) {
                const char t = in_[end];
                if (t == '\\' || t == '{' || t == '}' || t == '\r' || t == '\n') break;
                ++end;
            }
            token.kind = RtfToken::Kind::kText;
            token.text = in_.substr(pos_, end - pos_);
            pos_ = end;
            return token;
        }
        ++pos_;
        if (pos_ >= in_.size()) break;
        const char next = in_[pos_];
        if (IsLetter(next)) return ControlWord();
        ++pos_;
        if (next != '\'') {
            token.kind = RtfToken::Kind::kControlSymbol;
            token.symbol = next;
            return token;
        }
        const int hi = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
        if (hi < 0) continue;
        ++pos_;
        const int lo = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
        int value = hi;
        if (lo >= 0) {
            ++pos_;
            value = hi * 16 + lo;
        }
        token.kind = RtfToken::Kind::kHexByte;
        token.byte = static_cast<unsigned char>(value);
        return token;
    }
    pos_ = in_.size();
    return token;
}

RtfToken RtfTokenizer::ControlWord() {
    RtfToken token;
    token.kind = RtfToken::Kind::kControlWord;
    const std::size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
    token.word = in_.substr(start, pos_ - start);
    bool negative = false;
    std::int64_t value = 0;
    if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
        token.hasParam = true;
        value = std::min<std::int64_t>(value * 10 + (in_[pos_] - '0'), kMaxRtfParam);
        ++pos_;
    }
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    token.param = static_cast<int>(negative ? -value : value);
    if (token.word.size() > 32) token.word = {};
    return token;
}

void RtfTokenizer::SkipRestOfGroup() {
    int depth = 1;
    while (pos_ < in_.size()) {
        const std::size_t next = in_.find_first_of("{}\\", pos_);
        if (next == std::string_view::npos) {
            pos_ = in_.size();
            return;
        }
        pos_ = next + 1;
        const char c = in_[next];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0) {
                --pos_;  // the reader closes the group
                return;
            }
        } else if (pos_ < in_.size()) {
            if (in_.compare(pos_, 3, "bin") == 0 && pos_ + 3 < in_.size() &&
                (IsDigit(in_[pos_ + 3]) || in_[pos_ + 3] == '-')) {
                pos_ += 3;
                bool negative = in_[pos_] == '-';
                if (negative) ++pos_;
                std::int64_t n = 0;
                while (pos_ < in_.size() && IsDigit(in_[pos_])) {
                    n = std::min<std::int64_t>(n * 10 + (in_[pos_] - '0'), kMaxRtfParam);
                    ++pos_;
                }
                if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
                if (!negative) pos_ += std::min<std::size_t>(static_cast<std::size_t>(n), in_.size() - pos_);
            } else {
                ++pos_;
            }
        }
    }
}

void RtfTokenizer::SkipGroup() {
    int depth = 1;
    while (pos_ < in_.size() && depth > 0) {
        const char c = in_[pos_++];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            --depth;
        } else if (c == '\\' && pos_ < in_.size()) {
            ++pos_;
        }
    }
}

std::string_view RtfTokenizer::Binary(int n) {
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(std::max(n, 0)), in_.size() - pos_);
    const std::string_view bytes = in_.substr(pos_, count);
    pos_ += count;
    return bytes;
}

}  // namespace jb::richtext
