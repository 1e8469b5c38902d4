#include "remind/ticker.h"

namespace jb::remind {

void Ticker::SetText(std::u16string text, bool resetPosition) {
    if (text.size() > kMaxText) text.resize(kMaxText);
    text_ = std::move(text);
    if (resetPosition) position_ = 0;
}

std::optional<char16_t> Ticker::Tick() {
    if (position_ >= text_.size()) {
        position_ = 0;
        return std::nullopt;
    }
    ++position_;
    return text_[position_ - 1];
}

}  // namespace jb::remind
