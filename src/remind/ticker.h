#pragma once
// The status ticker: an announcement typed into the last status panel one character per tick.
// This is the text and the position; the window owns the timer and the panel.

#include <cstdint>
#include <optional>
#include <string>

namespace jb::remind {

class Ticker {
public:
    // The most characters a ticker text keeps; longer texts are cut.
    static constexpr std::size_t kMaxText = 255;

    // Sets the text (cut to kMaxText); with `resetPosition` typing starts again from its first
    // character, otherwise it goes on at the next position of the new text.
    void SetText(std::u16string text, bool resetPosition);

    // One tick. Returns the character to append to the panel, or nothing when the text has been
    // typed: the position then goes back to 0 and the caller stops its timer.
    std::optional<char16_t> Tick();

    const std::u16string& Text() const { return text_; }
    // Characters already typed; 0 at rest. Eight bits wide, as the program always kept it.
    std::uint8_t Position() const { return position_; }

private:
    std::u16string text_;
    std::uint8_t position_ = 0;
};

}  // namespace jb::remind
