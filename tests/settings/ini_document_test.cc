#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace jb {
namespace {

struct ReadCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

TEST(IniDocumentTest, ReadsValuesTheWayThePrivateProfileDoes) {
    const ReadCase cases[] = {
        {"plain", "[Font]\nName=Arial\n", "Font", "Name", "Arial"},
        {"section case", "[FONT]\nName=Arial\n", "font", "Name", "Arial"},
        {"key case", "[Font]\nUnderLine=1\n", "Font", "Underline", "1"},
        {"blanks around names", "  [ Font ]  \n  Name  =Arial\n", "Font", "Name", "Arial"},
        {"blanks around value", "[Font]\nName= \t Times New Roman \t \n", "Font", "Name",
         "Times New Roman"},
        {"double quotes", "[Font]\nName=\" Arial \"\n", "Font", "Name", " Arial "},
        {"single quotes", "[Font]\nName='Arial'\n", "Font", "Name", "Arial"},
        {"unmatched quotes kept", "[Font]\nName=\"Arial'\n", "Font", "Name", "\"Arial'"},
        {"one quote kept", "[Font]\nName=\"\n", "Font", "Name", "\""},
        {"only the outer pair", "[Font]\nName=\"\"x\"\"\n", "Font", "Name", "\"x\""},
        {"empty value", "[Font]\nName=\n", "Font", "Name", ""},
        {"equals in value", "[Remind]\nSoundFile=a=b.wav\n", "Remind", "SoundFile", "a=b.wav"},
        {"question-mark key", "[Remind]\n?=1\n", "Remind", "?", "1"},
        {"CR LF", "[Font]\r\nName=Arial\r\n", "Font", "Name", "Arial"},
        {"no final line break", "[Font]\nName=Arial", "Font", "Name", "Arial"},
        {"first duplicate key wins", "[Font]\nName=A\nname=B\n", "Font", "Name", "A"},
        {"first duplicate section wins", "[Font]\nName=A\n[font]\nName=B\n", "Font", "Name", "A"},
        {"key only in later duplicate section", "[Font]\nSize=9\n[Font]\nName=B\n", "Font", "Name",
         std::nullopt},
        {"key in another section", "[Font]\nName=A\n[Spell]\n", "Spell", "Name", std::nullopt},
        {"key before any section", "Name=A\n[Font]\n", "Font", "Name", std::nullopt},
        {"missing section", "[Font]\nName=A\n", "Spell", "Dict", std::nullopt},
        {"comment is no key", "[Font]\n;Name=A\n", "Font", ";Name", std::nullopt},
        {"header without bracket is no section", "[Font\nName=A\n", "Font", "Name", std::nullopt},
        {"header with junk after bracket", "[Font] ; x\nName=A\n", "Font", "Name", "A"},
        {"value ends at NUL", std::string("[Font]\nName=Ari\0al\n", 19), "Font", "Name", "Ari"},
        {"empty text", "", "Font", "Name", std::nullopt},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IniDocument::Parse(c.text).Find(c.section, c.key), c.expected);
    }
}

TEST(IniDocumentTest, ReadGivesAtMost1023Characters) {
    std::string longValue(5000, 'x');
    auto doc = IniDocument::Parse("[S]\nK=" + longValue + "\nN=after\n");
    EXPECT_EQ(doc.GetString("S", "K", ""), std::string(1023, 'x'));
    EXPECT_EQ(doc.GetString("S", "N", ""), "after");
}

TEST(IniDocumentTest, GetIntAndBoolUseTheFallbackForMissingAndNonNumbers) {
    auto doc = IniDocument::Parse("[S]\nNum= 42 \nHex=0x1F\nBad=abc\nEmpty=\nOn=2\nOff=0\n");
    EXPECT_EQ(doc.GetInt("S", "Num", 7), 42);
    EXPECT_EQ(doc.GetInt("S", "Hex", 7), 31);
    EXPECT_EQ(doc.GetInt("S", "Bad", 7), 7);
    EXPECT_EQ(doc.GetInt("S", "Empty", 7), 7);
    EXPECT_EQ(doc.GetInt("S", "Missing", 7), 7);
    EXPECT_TRUE(doc.GetBool("S", "On", false));
    EXPECT_FALSE(doc.GetBool("S", "Off", true));
    EXPECT_TRUE(doc.GetBool("S", "Bad", true));
    EXPECT_FALSE(doc.GetBool("S", "Bad", false));
}

TEST(ParseProfileIntTest, ReadsDecimalAndHexadecimal) {
    const struct {
        const char* text;
        std::optional<std::int32_t> expected;
    } cases[] = {
        {"0", 0},
        {"123", 123},
        {"-5", -5},
        {"+5", 5},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"0x10", 16},
        {"0XfF", 255},
        {"0x0", 0},
        {"0xFFFFFFFF", -1},
        {"0x123456789", std::nullopt},
        {"0x", std::nullopt},  // two characters: not hexadecimal, and not a decimal number
        {"0xG1", std::nullopt},
        {"12px", std::nullopt},  // a leading number followed by junk is not a number
        {"1 2", std::nullopt},
        {"-", std::nullopt},
        {"", std::nullopt},
        {"abc", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseProfileInt(c.text), c.expected);
    }
}

struct WriteCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

TEST(IniDocumentTest, SetChangesOnlyItsLineAndAddsWhatIsMissing) {
    const WriteCase cases[] = {
        {"replaces only its line", "[A]\nx=1\ny=2\nz=3\n", "A", "y", "9", "[A]\nx=1\ny=9\nz=3\n"},
        {"keeps comments and odd lines", "; top\n[A]\n; note\nx=1\njunk line\n", "A", "x", "2",
         "; top\n[A]\n; note\nx=2\njunk line\n"},
        {"keeps the spelling of the name in the file", "[Font]\n  UnderLine = 1  \n", "font",
         "Underline", "0", "[Font]\nUnderLine=0\n"},
        {"first duplicate key only", "[A]\nx=1\nx=2\n", "A", "x", "5", "[A]\nx=5\nx=2\n"},
        {"first duplicate section only", "[A]\n[B]\n[A]\nx=1\n", "A", "x", "5",
         "[A]\nx=5\n[B]\n[A]\nx=1\n"},
        {"adds a missing key after the section's last line", "[A]\nx=1\n\n[B]\ny=2\n", "A", "z",
         "3", "[A]\nx=1\nz=3\n\n[B]\ny=2\n"},
        {"a text without line breaks gets CR LF", "[A]", "A", "x", "1", "[A]\r\nx=1\r\n"},
        {"adds a missing section at the end", "[A]\nx=1\n", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
        {"ends the last line first", "[A]\nx=1", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
        {"keeps CR LF", "[A]\r\nx=1\r\n", "A", "x", "2", "[A]\r\nx=2\r\n"},
        {"new lines follow CR LF", "[A]\r\nx=1\r\n", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
        {"new lines follow LF", "; c\n", "B", "y", "2", "; c\n[B]\ny=2\n"},
        {"empty text gets CR LF", "", "B", "y", "2", "[B]\r\ny=2\r\n"},
        {"keeps a missing final line break", "[A]\nx=1\ny=2", "A", "x", "3", "[A]\nx=3\ny=2"},
        {"a line break in a value is cut", "[A]\n", "A", "x", "one\ntwo", "[A]\nx=one\n"},
        {"key before any section is not the key", "x=1\n[A]\n", "A", "x", "2", "x=1\n[A]\nx=2\n"},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        IniDocument doc = IniDocument::Parse(c.before);
        doc.Set(c.section, c.key, c.value);
        EXPECT_EQ(doc.Serialize(), c.after);
    }
}

TEST(IniDocumentTest, SerializeGivesBackTheBytesItWasGiven) {
    const std::string texts[] = {
        "",
        "[A]\r\nx=1\n\r\n;c\ny",
        std::string("\0\xff[\n=\r\r\n[]\n", 11),
        "\n\n\n",
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(IniDocument::Parse(text).Serialize(), text);
    }
}

}  // namespace
}  // namespace jb
