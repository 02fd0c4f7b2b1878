// The POSIX file services on real files: only a regular file is ever read, and nothing hangs.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "platform/platform.h"
#include "platform/text/utf8.h"
#include "support/temp_dir.h"

namespace {

using namespace platform;

std::u16string wide(const std::string& utf8) {
  std::u16string out(text::utf8_to_utf16(utf8.data(), utf8.size(), nullptr), u'\0');
  text::utf8_to_utf16(utf8.data(), utf8.size(), out.data());
  return out;
}

HANDLE open_list(const std::string& path) {
  return CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

class PosixFileReadTest : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(PosixFileReadTest, ReadsARegularFileWhole) {
  const std::string content("one\n\0two\xC3\xA9\n", 11);
  ASSERT_TRUE(write_file(dir / "list", content));
  HANDLE file = open_list(dir / "list");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::int64_t size = -1;
  ASSERT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(size, 11);
  char buffer[32] = {};
  std::uint32_t read = 0;
  ASSERT_TRUE(ReadFile(file, buffer, 32, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), content);
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(PosixFileReadTest, ZeroByteFileReadsNothing) {
  ASSERT_TRUE(write_file(dir / "empty", ""));
  HANDLE file = open_list(dir / "empty");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::int64_t size = -1;
  ASSERT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(size, 0);
  char buffer[1];
  std::uint32_t read = 7;
  ASSERT_TRUE(ReadFile(file, buffer, 0, &read, nullptr));
  EXPECT_EQ(read, 0u);
  CloseHandle(file);
}

TEST_F(PosixFileReadTest, FollowsASymbolicLinkToTheCallersList) {
  ASSERT_TRUE(write_file(dir / "real", "a\n"));
  ASSERT_EQ(::symlink("real", (dir / "link").c_str()), 0);
  HANDLE file = open_list(dir / "link");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
}

TEST_F(PosixFileReadTest, RefusesAnythingButARegularFileAtOnce) {
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(::mkdir((dir / "folder").c_str(), 0700), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = dir / "socket";
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  for (const std::string& path : {dir / "missing", dir / "fifo", dir / "folder", socket_path,
                                  std::string("/dev/zero"), std::string("/dev/null")}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(open_list(path), INVALID_HANDLE_VALUE) << path;
    // A FIFO with no writer must not block the open; a generous bound keeps this from flaking.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << path;
  }
  ::close(sock);
}

TEST_F(PosixFileReadTest, ConversionFollowsTheWindowsConventions) {
  const char bytes[] = "a\xC3\xA9\xF0\x9F\x97\x91";
  char16_t out[8] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes, 7, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes, 7, out, 4), 4);
  EXPECT_EQ(std::u16string(out, 4), u"a\u00E9\U0001F5D1");
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes, -1, nullptr, 0), 5);  // with the terminator
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes, 7, out, 3), 0);       // too small
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes, 0, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, bytes, 7, nullptr, 0), 0);
}

}  // namespace
