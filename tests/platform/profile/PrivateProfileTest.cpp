// What the settings-file functions promise beyond the reference table: a
// write leaves every line it does not change byte for byte, each call sees
// the file as it is on disk now, results never run past the caller's buffer,
// input that would change other settings is refused, and the classic rules
// for quotes, empty key names, defaults, integers and line ends in values.

#include "platform/profile/PrivateProfile.h"
#include "platform/text/FixedText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace nodescout {
namespace {

using test::TempDir;

// Hand-edited: a comment and blank line on top, odd spacing, an LF-only line
// in a CR LF file, a CR-only line, blank lines between the sections.
constexpr char kHandEdited[] = "; Nodescout\r\n"
                               "\r\n"
                               "[Profile]\r\n"
                               "  IP1   =  10.0.0.1 \r\n"
                               "Mac=001122334455\n"
                               "; keep me\r\n"
                               "\r\n"
                               " \t\r\n"
                               "[IPRange]\r\n"
                               "Count=2\r"
                               "IP1-1 = a\r\n";

class PrivateProfile : public ::testing::Test {
protected:
    std::string Read(const char* section, const char* key, const char* defaultValue = "<absent>") {
        Text value;
        GetPrivateProfileString(section, key, defaultValue, value.Buffer(), value.Capacity(),
                                m_strPath.c_str());
        return std::string(value.View());
    }
    std::string KeyList(const char* section) {
        char list[64];
        const std::uint32_t length =
            GetPrivateProfileString(section, nullptr, "", list, sizeof list, m_strPath.c_str());
        return std::string(list, length);
    }
    bool Write(const char* section, const char* key, const char* value) {
        return WritePrivateProfileString(section, key, value, m_strPath.c_str());
    }

    TempDir m_folder;
    std::string m_strPath = m_folder.File("Scout.ini");
};

TEST_F(PrivateProfile, WriteChangesOnlyTheLinesItMust) {
    m_folder.Write("Scout.ini", kHandEdited);

    ASSERT_TRUE(Write("PROFILE", "mac", "aabbccddeeff"));
    ASSERT_TRUE(Write("Profile", "IP1", "10.0.0.9"));
    ASSERT_TRUE(Write("Profile", "Interval", "10"));
    ASSERT_TRUE(Write("IPRange", "ip1-1", "b"));

    EXPECT_EQ(m_folder.Read("Scout.ini"), "; Nodescout\r\n"
                                          "\r\n"
                                          "[Profile]\r\n"
                                          "  IP1   =10.0.0.9\r\n"
                                          "Mac=aabbccddeeff\n"
                                          "; keep me\r\n"
                                          "Interval=10\r\n"
                                          "\r\n"
                                          " \t\r\n"
                                          "[IPRange]\r\n"
                                          "Count=2\r"
                                          "IP1-1 =b\r\n");
}

TEST_F(PrivateProfile, DeletesTakeAwayOnlyTheirOwnLines) {
    m_folder.Write("Scout.ini", "[A]\r\n"
                                "k=1\r\n"
                                "; about j\r\n"
                                "K=2\r\n"
                                "\r\n"
                                "[B]\r\n"
                                "x=1\r\n"
                                "\r\n"
                                "[a]\n"
                                "k=3\n"
                                "[C]\r\n"
                                "y=1");
    ASSERT_TRUE(Write("A", "k", nullptr));
    EXPECT_EQ(Read("A", "k"), "<absent>") << "the duplicate K=2 must go too";
    ASSERT_TRUE(Write("B", nullptr, nullptr));
    ASSERT_TRUE(Write("C", "y", nullptr));

    EXPECT_EQ(m_folder.Read("Scout.ini"), "[A]\r\n"
                                          "; about j\r\n"
                                          "\r\n"
                                          "[a]\n"
                                          "k=3\n"
                                          "[C]\r\n");
    ASSERT_TRUE(Write("a", nullptr, nullptr));
    EXPECT_EQ(m_folder.Read("Scout.ini"), "[C]\r\n") << "every section of the name goes";
    ASSERT_TRUE(Write("Missing", "k", nullptr));
    EXPECT_EQ(m_folder.Read("Scout.ini"), "[C]\r\n");
}

TEST_F(PrivateProfile, EachCallSeesTheFileAsItIsNow) {
    EXPECT_EQ(GetPrivateProfileInt("Profile", "TimeOutMicroseconds", 500, m_strPath.c_str()), 500u);
    m_folder.Write("Scout.ini", "[Profile]\nTimeOutMicroseconds=2500\n");
    EXPECT_EQ(GetPrivateProfileInt("Profile", "TimeOutMicroseconds", 500, m_strPath.c_str()),
              2500u);
    m_folder.Write("Scout.ini", "[Profile]\nTimeOutMicroseconds=700\n");
    EXPECT_EQ(GetPrivateProfileInt("Profile", "TimeOutMicroseconds", 500, m_strPath.c_str()), 700u);
    m_folder.Write("Scout.ini", "[Profile]\nTimeOutMicroseconds=701\n");
    EXPECT_EQ(GetPrivateProfileInt("Profile", "TimeOutMicroseconds", 500, m_strPath.c_str()), 701u)
        << "an edit of the same length within the same clock tick";
    m_folder.Write("Scout.ini", "[Profile]\nTimeOutMicroseconds=700\n");

    ASSERT_TRUE(Write("Profile", "IP1", "10.0.0.1"));
    EXPECT_EQ(m_folder.Read("Scout.ini"), "[Profile]\nTimeOutMicroseconds=700\nIP1=10.0.0.1\r\n")
        << "the write starts from the edited file";
}

TEST_F(PrivateProfile, ValuesReadTogetherAreTheOnesReadOneByOne) {
    const char* const keys[] = {"ip1", "Mac", "IP1-1", "Count", "Missing", "", nullptr};
    EXPECT_EQ(GetPrivateProfileValues("Profile", keys, m_strPath.c_str()),
              std::vector<std::optional<std::string>>(std::size(keys)))
        << "no file";

    m_folder.Write("Scout.ini", std::string(kHandEdited) + "Name = \"  Lab 1  \"\r\n");
    for (const char* section : {"Profile", " iprange ", "Missing"}) {
        const std::vector<std::optional<std::string>> values =
            GetPrivateProfileValues(section, keys, m_strPath.c_str());
        ASSERT_EQ(values.size(), std::size(keys));
        for (std::size_t i = 0; i + 1 < std::size(keys); ++i) {
            const std::string one = Read(section, keys[i]);
            EXPECT_EQ(values[i].value_or("<absent>"), one) << section << " " << keys[i];
        }
        EXPECT_EQ(values.back(), std::nullopt) << "a null key lists nothing";
    }
    EXPECT_EQ(GetPrivateProfileValues("IPRange", keys, m_strPath.c_str())[2], "a");
    const char* const name[] = {"Name"};
    EXPECT_EQ(GetPrivateProfileValues("IPRange", name, m_strPath.c_str())[0], "  Lab 1  ");
    EXPECT_EQ(GetPrivateProfileValues(nullptr, name, m_strPath.c_str())[0], std::nullopt);
}

TEST_F(PrivateProfile, LongValuesAreCutExactlyAtTheBuffer) {
    std::string value;
    for (int i = 0; value.size() < 5000; ++i) {
        value += std::to_string(i % 10);
    }
    ASSERT_TRUE(Write("Profile", "IP1", value.c_str()));

    std::vector<char> buffer(1024 + 4, '#');
    EXPECT_EQ(GetPrivateProfileString("Profile", "IP1", "", buffer.data(), 1024, m_strPath.c_str()),
              1023u);
    EXPECT_EQ(std::string(buffer.data(), 1023), value.substr(0, 1023));
    EXPECT_EQ(std::string(buffer.data() + 1023, 5), std::string("\0####", 5));

    MacText mac;
    GetPrivateProfileString("Profile", "IP1", "", mac.Buffer(), mac.Capacity(), m_strPath.c_str());
    EXPECT_EQ(mac.View(), value.substr(0, 12));
}

TEST_F(PrivateProfile, ListsOfNothingAreTwoTerminators) {
    m_folder.Write("Scout.ini", "[Empty]\r\n");
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(GetPrivateProfileString("Empty", nullptr, "dflt", buffer, 4, m_strPath.c_str()), 0u);
    EXPECT_EQ(std::string(buffer, 4), std::string("\0\0##", 4));
    EXPECT_EQ(GetPrivateProfileString("Missing", nullptr, "dflt", buffer, 4, m_strPath.c_str()),
              0u);
    EXPECT_EQ(std::string(buffer, 2), std::string("\0\0", 2));
}

TEST_F(PrivateProfile, RefusesWhatTheFileCouldNotHold) {
    m_folder.Write("Scout.ini", kHandEdited);
    EXPECT_FALSE(Write(nullptr, "k", "v"));
    EXPECT_FALSE(Write("  ", "k", "v"));
    EXPECT_FALSE(Write("Sec]tion", "k", "v"));
    EXPECT_FALSE(Write("Profile", "a=b", "v"));
    EXPECT_FALSE(Write("Profile", "[x]", "v"));
    EXPECT_FALSE(Write("Profile", "IP1", "1\r\n[Evil]\r\nk=v"));
    EXPECT_FALSE(WritePrivateProfileString("Profile", "k", "v", nullptr));
    EXPECT_EQ(m_folder.Read("Scout.ini"), kHandEdited);

    char buffer[8] = "#######";
    EXPECT_EQ(GetPrivateProfileString("Profile", "Mac", "dflt", buffer, 8, nullptr), 4u);
    EXPECT_EQ(GetPrivateProfileString("Profile", "Mac", "dflt", nullptr, 8, m_strPath.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileInt(nullptr, "Mac", 7, m_strPath.c_str()), 7u);
}

struct ReadCase {
    const char* file;
    const char* key; // in section [A]
    const char* defaultValue;
    const char* expected;
};

TEST_F(PrivateProfile, QuotesEmptyKeyNamesAndDefaultsReadAsTheClassicFunctions) {
    const ReadCase cases[] = {
        // A pair of single quotes goes like a pair of double quotes; two
        // different quotes or a lone one stay.
        {"[A]\r\nk='quoted value'\r\n", "k", "d", "quoted value"},
        {"[A]\r\nk=  'it's'  \r\n", "k", "d", "it's"},
        {"[A]\r\nk=''\r\n", "k", "d", ""},
        {"[A]\r\nk='mixed\"\r\n", "k", "d", "'mixed\""},
        {"[A]\r\nk='\r\n", "k", "d", "'"},
        {"", "k", "'dflt'", "dflt"},
        // A line "=value" is the key with the empty name, found by an empty
        // key or one of blanks; without such a line they get the default.
        {"[A]\r\nk=1\r\n  = first \r\n=second\r\n", "", "d", "first"},
        {"[A]\r\n=v\r\n", " \t", "d", "v"},
        {"[A]\r\nk=1\r\n", "", "d", "d"},
        // A default loses its trailing spaces, then its quotes; blanks at its
        // start and tabs at its end stay.
        {"", "k", "  dflt", "  dflt"},
        {"", "k", "\tdflt\t  ", "\tdflt\t"},
        {"", "k", "   ", ""},
        {"", "k", "\"x\"  ", "x"},
        {"", "k", " \"x\"", " \"x\""},
    };
    for (const ReadCase& c : cases) {
        m_folder.Write("Scout.ini", c.file);
        EXPECT_EQ(Read("A", c.key, c.defaultValue), c.expected)
            << "key \"" << c.key << "\", default \"" << c.defaultValue << "\" in " << c.file;
    }
    m_folder.Write("Scout.ini", "[A]\r\n=v\r\nk=1\r\n");
    EXPECT_EQ(KeyList("A"), std::string("k\0", 2)) << "an empty name would end the list early";
}

struct IntegerCase {
    const char* value;
    std::uint32_t expected;
};

TEST_F(PrivateProfile, IntegersReadAsTheClassicFunction) {
    const IntegerCase cases[] = {
        // Base prefixes in lower case only; digits of either case.
        {"0x1f", 31},
        {"0xFF", 255},
        {"0X1F", 0},
        {"0o17", 15},
        {"0o18", 1},
        {"0O17", 0},
        {"0b101", 5},
        {"0B101", 0},
        {"-0x10", 0u - 16u},
        {"+0o10", 8},
        // Spaces and controls in front count as white space, also inside quotes.
        {"\" 42\"", 42},
        {"'\x01\x1f-7'", 0u - 7u},
        // Only the first 29 characters are read.
        {"00000000000000000000000000012", 12},
        {"0000000000000000000000000001234", 12},
        {"0x00000000000000000000000000FF", 15},
    };
    for (const IntegerCase& c : cases) {
        m_folder.Write("Scout.ini", std::string("[A]\r\nN=") + c.value + "\r\n");
        EXPECT_EQ(GetPrivateProfileInt("A", "N", 99, m_strPath.c_str()), c.expected)
            << "N=" << c.value;
    }
}

struct MultiLineCase {
    const char* value;
    bool written;
    const char* readBack;
};

TEST_F(PrivateProfile, ValuesWithLineEndsAreRefusedOnlyWhereTheyWouldAddSettings) {
    constexpr char kFile[] = "[A]\r\nIP1=old\r\n[B]\r\nx=1\r\n";
    const MultiLineCase cases[] = {
        // The later lines stay text that no read takes for a setting.
        {"first\r\nsecond", true, "first"},
        {"first\nsecond\n", true, "first"},
        {"first\r\n\r\n; note", true, "first"},
        {"first\r[unclosed", true, "first"},
        {"\r\n  value", true, "value"}, // line ends at the start are dropped
        // A later line that is a section header or an entry would add a setting.
        {"1\r\n[Evil]", false, "old"},
        {"1\r\nk=v", false, "old"},
        {"1\r;k=v", false, "old"},
        {"1\n  [Evil] x", false, "old"},
    };
    for (const MultiLineCase& c : cases) {
        m_folder.Write("Scout.ini", kFile);
        EXPECT_EQ(Write("A", "IP1", c.value), c.written) << c.value;
        EXPECT_EQ(Read("A", "IP1"), c.readBack) << c.value;
        EXPECT_EQ(Read("B", "x"), "1") << c.value;
        EXPECT_EQ(KeyList("A"), std::string("IP1\0", 4)) << c.value;
        if (!c.written) {
            EXPECT_EQ(m_folder.Read("Scout.ini"), kFile) << c.value;
        }
    }
    m_folder.Write("Scout.ini", kFile);
    ASSERT_TRUE(Write("A", "IP1", "first\r\nsecond"));
    EXPECT_EQ(m_folder.Read("Scout.ini"), "[A]\r\nIP1=first\r\nsecond\r\n[B]\r\nx=1\r\n");
    ASSERT_TRUE(Write("A", " ", "empty name"));
    EXPECT_EQ(m_folder.Read("Scout.ini"),
              "[A]\r\nIP1=first\r\nsecond\r\n=empty name\r\n[B]\r\nx=1\r\n");
    EXPECT_EQ(Read("A", ""), "empty name");
}

TEST_F(PrivateProfile, SomethingElseThanARegularFileReadsAsMissing) {
    char buffer[8];
    EXPECT_EQ(GetPrivateProfileString("A", "k", "dflt", buffer, 8, m_folder.Path().c_str()), 4u);
    EXPECT_EQ(GetPrivateProfileInt("A", "k", 3, "/dev/zero"), 3u) << "must not read for ever";
    EXPECT_FALSE(WritePrivateProfileString("A", "k", "v", m_folder.Path().c_str()));
}

TEST_F(PrivateProfile, Utf8FileKeepsItsMarkAndGetsUtf8Lines) {
    m_folder.Write("Scout.ini", "\xEF\xBB\xBF[Caf\xC3\xA9]\r\nName=\xE2\x82\xAC \xE2\x86\x92\r\n");
    EXPECT_EQ(Read("CAF\xE9", "Name"), "\x80 ?") << "euro sign kept, an arrow has no byte";

    ASSERT_TRUE(Write("Caf\xE9", "Owner", "Jos\xE9"));
    EXPECT_EQ(
        m_folder.Read("Scout.ini"),
        "\xEF\xBB\xBF[Caf\xC3\xA9]\r\nName=\xE2\x82\xAC \xE2\x86\x92\r\nOwner=Jos\xC3\xA9\r\n");
    EXPECT_EQ(Read("Caf\xE9", "Owner"), "Jos\xE9");
}

} // namespace
} // namespace nodescout
