#include "store/ListFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace nodescout {
namespace {

struct LoadedRow {
    std::string ip, mac, name;
    bool operator==(const LoadedRow&) const = default;
};

std::vector<LoadedRow> Load(const std::string& path) {
    std::vector<LoadedRow> rows;
    EXPECT_TRUE(ReadSavedList(path, [&](const char* ip, const char* mac, const char* name) {
        rows.push_back({ip, mac, name});
    }));
    return rows;
}

TEST(ListFile, WritesEachRowAsSeparatedTextsWithCrLf) {
    test::TempDir dir;
    const std::vector<RowTexts> rows = {{"1", "192.168.0.5", "001122aabbcc", "HOST1"},
                                        {"-2", "192.168.0.9", "00e0a1b2c3d4", ""}};
    ASSERT_FALSE(WriteListFile(dir.File("NetInfo.csv"), rows, ','));
    EXPECT_EQ(dir.Read("NetInfo.csv"),
              "1,192.168.0.5,001122aabbcc,HOST1\r\n-2,192.168.0.9,00e0a1b2c3d4,\r\n");
    ASSERT_FALSE(WriteListFile(dir.File("Default.txt"), rows, '\t'));
    EXPECT_EQ(dir.Read("Default.txt"),
              "1\t192.168.0.5\t001122aabbcc\tHOST1\r\n-2\t192.168.0.9\t00e0a1b2c3d4\t\r\n");

    ASSERT_FALSE(WriteListFile(dir.File("Default.txt"), {}, '\t'));
    EXPECT_TRUE(std::filesystem::exists(dir.File("Default.txt")));
    EXPECT_EQ(dir.Read("Default.txt"), "");
}

TEST(ListFile, ReadsBackAddressMacAndNameButNotTheNumbers) {
    test::TempDir dir;
    const std::string path = dir.Write("Default.txt", "+3\t198.18.0.2\t020000000002\tALPHA\r\n"
                                                      "-7\t198.18.0.3\t020000000003\t\r\n");
    EXPECT_EQ(Load(path), (std::vector<LoadedRow>{{"198.18.0.2", "020000000002", "ALPHA"},
                                                  {"198.18.0.3", "020000000003", ""}}));
}

TEST(ListFile, KeepsTheOldQuirksOfTheSavedList) {
    test::TempDir dir;
    // A name with a blank comes back as its first word; an empty MAC text
    // makes the name be read as the MAC; a blank line is a row of empties.
    const std::string path = dir.Write("Default.txt", "1\t198.18.0.2\t020000000002\tMY PC\r\n"
                                                      "2\t198.18.0.3\t\tNAMED\r\n"
                                                      "\r\n");
    EXPECT_EQ(Load(path), (std::vector<LoadedRow>{{"198.18.0.2", "020000000002", "MY"},
                                                  {"198.18.0.3", "NAMED", ""},
                                                  {"", "", ""}}));
}

// The row editor takes any text as the number: whatever it is, the row's
// address, MAC text and name come back.
TEST(ListFile, AnyRowNumberTextStillLoadsItsRow) {
    test::TempDir dir;
    const std::string path =
        dir.Write("Default.txt", "99999999999999999999\t198.18.0.2\t020000000002\tA\r\n"
                                 "-99999999999999999999\t198.18.0.3\t020000000003\tB\r\n"
                                 "abc\t198.18.0.9\t0200c6120009\tNAME\r\n"
                                 "12abc\t198.18.0.10\t0200c612000a\tPART\r\n"
                                 "\t198.18.0.11\t0200c612000b\tEMPTY\r\n");
    EXPECT_EQ(Load(path), (std::vector<LoadedRow>{{"198.18.0.2", "020000000002", "A"},
                                                  {"198.18.0.3", "020000000003", "B"},
                                                  {"198.18.0.9", "0200c6120009", "NAME"},
                                                  {"198.18.0.10", "0200c612000a", "PART"},
                                                  {"198.18.0.11", "0200c612000b", "EMPTY"}}));
}

TEST(ListFile, ReadsALongLineInPiecesOf1023Characters) {
    test::TempDir dir;
    // The first piece ends exactly where a second row's text begins, so
    // the rest of the line is read as a row of its own.
    const std::string head = "1\t198.18.0.2\t020000000002\t";
    const std::string name(1023 - head.size(), 'N');
    const std::string path =
        dir.Write("Default.txt", head + name + "\t9\t198.18.0.9\t020000000009\tTAIL\r\n");
    EXPECT_EQ(Load(path), (std::vector<LoadedRow>{{"198.18.0.2", "020000000002", name},
                                                  {"198.18.0.9", "020000000009", "TAIL"}}));
}

TEST(ListFile, MissingFileIsNoList) {
    test::TempDir dir;
    EXPECT_FALSE(ReadSavedList(dir.File("Default.txt"), [](const char*, const char*, const char*) {
        ADD_FAILURE() << "no row expected";
    }));
}

// A full disk, as far as the writer can tell: no file may grow beyond 64
// bytes. The old list must survive whole: the list is written through
// ReplaceFileContent, whose own cases are in tests/platform/fs/AtomicFileTest.cpp.
TEST(ListFile, FailedWriteLeavesTheOldListWhole) {
    test::TempDir dir;
    const std::string old = "1\t198.18.0.2\t020000000002\tALPHA\r\n";
    const std::string path = dir.Write("Default.txt", old);
    const std::vector<RowTexts> many(50, RowTexts{"1", "198.18.0.9", "020000000009", "BIG"});

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::error_code error = WriteListFile(path, many, '\t');
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(error);
    EXPECT_EQ(dir.Read("Default.txt"), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file may stay behind";
}

} // namespace
} // namespace nodescout
