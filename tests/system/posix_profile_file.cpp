// Profile values in their small file: binary values round-trip as hexadecimal through the disk,
// damaged values read as absent, foreign lines survive a write, and a failed write changes nothing.
#include "platform/posix/ProfileFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <numeric>

#include <sys/stat.h>

namespace fs = std::filesystem;
using platform::posix::ProfileFile;

namespace {

std::vector<uint8_t> Placement()
{
    std::vector<uint8_t> bytes(44);
    std::iota(bytes.begin(), bytes.end(), uint8_t(0xF0)); // wraps through 0xFF and 0x00
    return bytes;
}

TEST(ProfileFile, BinaryValueRoundTripsThroughTheDiskAsHex)
{
    kxtest::TempDir dir;
    const std::string path = (dir.path() / "Profile.ini").string();
    ProfileFile written(path);
    ASSERT_EQ(written.Load(), 0); // a missing file reads as empty
    const std::vector<uint8_t> wp = Placement();
    ASSERT_EQ(written.WriteBinary("Tarvel_Lumo 25 Preset Editor", "WP", wp.data(), wp.size()), 0);
    const uint8_t two[] = {0xAB, 0x01};
    ASSERT_EQ(written.WriteBinary("Tarvel_Lumo 25 Preset Editor", "WP", two, 2), 0); // replaces

    EXPECT_EQ(kxtest::ReadText(path), "[Tarvel_Lumo 25 Preset Editor]\nWP=AB01\n");
    ASSERT_EQ(written.WriteBinary("Tarvel_Lumo 25 Preset Editor", "WP", wp.data(), wp.size()), 0);

    ProfileFile read(path);
    ASSERT_EQ(read.Load(), 0);
    EXPECT_EQ(read.GetBinary("Tarvel_Lumo 25 Preset Editor", "WP"), wp);
    EXPECT_EQ(read.GetBinary("Tarvel_Lumo 25 Preset Editor", "wp"), std::nullopt);
    EXPECT_EQ(read.GetBinary("Other", "WP"), std::nullopt);
}

TEST(ProfileFile, DamagedValuesReadAsAbsentAndForeignLinesSurviveAWrite)
{
    ProfileFile file("/nonexistent/never-written");
    file.Parse("junk before any section\n[S]\nodd=ABC\nbad=ZZ\nlower=ab01\nempty=\n=novalue\n[bad[name]\n[T]\nk=00\n");
    EXPECT_EQ(file.GetBinary("S", "odd"), std::nullopt);
    EXPECT_EQ(file.GetBinary("S", "bad"), std::nullopt);
    EXPECT_EQ(file.GetBinary("S", "lower"), (std::vector<uint8_t>{0xAB, 0x01}));
    EXPECT_EQ(file.GetBinary("S", "empty"), std::vector<uint8_t>{});

    kxtest::TempDir dir;
    ProfileFile onDisk((dir.path() / "p.ini").string());
    onDisk.Parse("junk before any section\n[S]\nbad=ZZ\n=novalue\n[T]\nk=00\n");
    const uint8_t one[] = {1};
    ASSERT_EQ(onDisk.WriteBinary("S", "new", one, 1), 0);
    EXPECT_EQ(kxtest::ReadText(dir.path() / "p.ini"),
              "junk before any section\n\n[S]\nbad=ZZ\n=novalue\nnew=01\n\n[T]\nk=00\n");
}

TEST(ProfileFile, AFailedWriteKeepsFileAndValuesAndBadNamesAreRefused)
{
    kxtest::TempDir dir;
    const fs::path path = dir.path() / "p.ini";
    kxtest::WriteText(path, "[S]\nk=01\n");
    ProfileFile file(path.string());
    ASSERT_EQ(file.Load(), 0);
    const uint8_t two = 2;
    EXPECT_EQ(file.WriteBinary("S", "a=b", &two, 1), EINVAL);
    EXPECT_EQ(file.WriteBinary("S]", "k", &two, 1), EINVAL);
    EXPECT_EQ(file.WriteBinary("S", "line\nbreak", &two, 1), EINVAL);
    EXPECT_EQ(file.WriteBinary("", "k", &two, 1), EINVAL);

    // The file's folder is gone: the write fails and the old value stays in memory.
    ProfileFile orphan((dir.path() / "gone" / "p.ini").string());
    orphan.Parse("[S]\nk=01\n");
    EXPECT_EQ(orphan.WriteBinary("S", "k", &two, 1), ENOENT);
    EXPECT_EQ(orphan.GetBinary("S", "k"), std::vector<uint8_t>{1});

    // A folder in the file's place cannot be loaded, and the values stay.
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_NE(file.Load(), 0);
    EXPECT_EQ(file.GetBinary("S", "k"), std::vector<uint8_t>{1});
    EXPECT_EQ(file.LoadSettingDamagedAside(), EISDIR) << "a folder is not moved";
    EXPECT_TRUE(fs::is_directory(path));
}

TEST(ProfileFile, AFileThatIsNoProfileIsSetAsideBeforeAWriteAndTextWithBadLinesIsNot)
{
    kxtest::TempDir dir;
    const fs::path path = dir.path() / "p.ini";
    const std::string binary("[S]\nk=01\n\0\xff\xfe garbage", 20);
    kxtest::WriteText(path, binary);
    ProfileFile file(path.string());
    EXPECT_EQ(file.Load(), EILSEQ);
    ASSERT_EQ(file.LoadSettingDamagedAside(), 0);
    EXPECT_EQ(file.GetBinary("S", "k"), std::nullopt) << "nothing of it is read";
    const uint8_t two = 2;
    ASSERT_EQ(file.WriteBinary("S", "k", &two, 1), 0);
    EXPECT_EQ(kxtest::ReadText(path), "[S]\nk=02\n");
    EXPECT_EQ(kxtest::ReadText(dir.path() / "p.ini.damaged"), binary);

    // A second damaged file does not replace the first one set aside; a FIFO is never waited on.
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(file.Load(), EINVAL);
    ASSERT_EQ(file.LoadSettingDamagedAside(), 0);
    EXPECT_TRUE(fs::is_fifo(dir.path() / "p.ini.damaged.2"));
    EXPECT_EQ(kxtest::ReadText(dir.path() / "p.ini.damaged"), binary);

    kxtest::WriteText(path, "; a note\n[S]\nk=zz\n");
    EXPECT_EQ(file.LoadSettingDamagedAside(), 0);
    EXPECT_EQ(kxtest::ReadText(path), "; a note\n[S]\nk=zz\n") << "a text file stays in place";
}

TEST(ProfileFile, ALinkIsNeverSetAsideAndNamesAllTakenNeverStopAWrite)
{
    kxtest::TempDir dir;
    const fs::path path = dir.path() / "p.ini";
    fs::create_symlink("/dev/null", path);
    ProfileFile file(path.string());
    EXPECT_EQ(file.LoadSettingDamagedAside(), EINVAL);
    EXPECT_EQ(fs::read_symlink(path), "/dev/null");

    // Every name taken: the newest damaged file replaces the last one set aside.
    fs::remove(path);
    for (int n = 1; n <= 100; ++n)
        kxtest::WriteText(dir.path() / ("p.ini.damaged" + (n == 1 ? std::string() : "." + std::to_string(n))), "old");
    const std::string binary("k=\0", 3);
    kxtest::WriteText(path, binary);
    ASSERT_EQ(file.LoadSettingDamagedAside(), 0);
    const uint8_t two = 2;
    ASSERT_EQ(file.WriteBinary("S", "k", &two, 1), 0);
    EXPECT_EQ(kxtest::ReadText(dir.path() / "p.ini.damaged.100"), binary);
}

} // namespace
