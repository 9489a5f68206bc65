// The line list and chunk writing on real files.
#include "LineFile.h"
#include "EngineError.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace brantlewick {
namespace {

using Lines = std::vector<std::string>;
using testing::TempDir;

TEST(LineFileTest, ReadFileLinesSplitsOnEveryTerminatorKind) {
    const std::pair<std::string, Lines> cases[] = {
        {"", {""}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}}, // LF CR is two terminators
        {"\n", {""}},
        {"\xEF\xBB\xBFhi", {"\xEF\xBB\xBFhi"}}, // a byte-order mark is ordinary text
        {std::string("a\0b", 3), {std::string("a\0b", 3)}},
    };
    TempDir dir;
    for (const auto& [content, expected] : cases) {
        testing::WriteBytes(dir / "in.txt", content);
        EXPECT_EQ(ReadFileLines(dir / "in.txt"), expected) << ::testing::PrintToString(content);
    }
}

TEST(LineFileTest, ReadFileLinesKeepsACrLfPairSplitAcrossReadChunks) {
    TempDir dir;
    std::string content(256 * 1024 - 1, 'x');
    content += "\r\ny";
    testing::WriteBytes(dir / "in.txt", content);
    const Lines lines = ReadFileLines(dir / "in.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "y");
}

TEST(LineFileTest, WriteFileChunkEmptiesForTheFirstLineAndAppendsAfter) {
    TempDir dir;
    const std::string path = dir / "out.txt";
    testing::WriteBytes(path, "old content");
    WriteFileChunk("x", path, 1);
    WriteFileChunk("y", path, 2);
    EXPECT_EQ(testing::ReadBytes(path), "xy");

    for (const int first : {0, -5}) {
        WriteFileChunk("z", path, first);
        EXPECT_EQ(testing::ReadBytes(path), "z");
    }
    WriteFileChunk("", path, 1);
    EXPECT_EQ(testing::ReadBytes(path), "");

    WriteFileChunk("new", dir / "created.txt", 2);
    EXPECT_EQ(testing::ReadBytes(dir / "created.txt"), "new");
}

TEST(LineFileTest, FailuresNameTheFile) {
    TempDir dir;
    try {
        ReadFileLines(dir / "missing.txt");
        FAIL() << "no error for a missing file";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Path(), dir / "missing.txt");
        EXPECT_NE(std::string(error.what()).find("missing.txt"), std::string::npos);
        EXPECT_NE(error.Reason().find("No such file"), std::string::npos);
    }
    EXPECT_THROW(WriteFileChunk("x", dir / "no-folder/out.txt", 1), EngineError);
    EXPECT_THROW(WriteFileChunk("x", dir.Path(), 1), EngineError);
}

TEST(LineFileTest, NonRegularInputsAreRefusedWithoutBlocking) {
    TempDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string socketPath = dir / "sock";
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    for (const std::string& path : {fifo, socketPath, dir.Path(), std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        EXPECT_THROW(InputFile input(path), EngineError);
        EXPECT_THROW(ReadFileLines(path), EngineError);
    }
    ::close(sock);
}

} // namespace
} // namespace brantlewick
