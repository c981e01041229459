// Saving preset files: the golden file from the real model, round trips, and saves that
// fail without touching the file they were to replace.
#include "PresetFileSupport.h"

#include "Sha256.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

using KX::LPresetManager;
namespace fs = std::filesystem;

namespace {

constexpr const char* kDefaultFileDigest = "cab17562e132802d8d195b62268d09b0fabb9e5ac1560126bf6599fa9b6be137";

// A valid record for index that differs from the default.
KX::Variant Changed(int32_t index, uint8_t salt)
{
    std::vector<uint8_t> bytes = kxtest::RecordBytes(MakeDefaultParamRecord(index));
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(bytes[i] ^ (salt + i));
    KX::Variant v;
    v.SetBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return v;
}

using kxtest::FolderEntries;
using kxtest::InChild;

class PresetFileSave : public ::testing::Test {
protected:
    kxtest::TempDir dir;
    fs::path file = dir.path() / "preset.Lumo25PresetEditor";
    KX::RCPtr<kxtest::FakeValueStore> store{new kxtest::FakeValueStore()};
    kxtest::ScopedValueStore registration{store};
    KX::RCPtr<LPresetManager> manager = LPresetManager::Create();
};

TEST_F(PresetFileSave, DefaultModelSavesTheGoldenFile)
{
    KX::RCPtr<kxtest::RootModuleStore> model(new kxtest::RootModuleStore());
    ::SetParamValueStore(model);
    ASSERT_EQ(manager->Save(kxtest::WidePath(file)), 0);
    const std::vector<uint8_t> bytes = kxtest::ReadAll(file);
    EXPECT_EQ(bytes.size(), LPresetManager::kPresetFileBytes);
    EXPECT_EQ(kxtest::Sha256Hex(bytes.data(), bytes.size()), kDefaultFileDigest);
}

TEST_F(PresetFileSave, RoundTripThroughTheModel)
{
    KX::RCPtr<kxtest::RootModuleStore> source(new kxtest::RootModuleStore());
    for (int32_t id : {0, 3, 9, 30, 50, 70, 82})
        ASSERT_EQ(source->SetParamValues(KX::ParamDescriptor(id), Changed(id, 0x5A)), 0);
    ::SetParamValueStore(source);
    ASSERT_EQ(manager->Save(kxtest::WidePath(file)), 0);

    KX::RCPtr<kxtest::RootModuleStore> target(new kxtest::RootModuleStore());
    ::SetParamValueStore(target);
    ASSERT_EQ(manager->Load(kxtest::WidePath(file)), 0);
    for (int32_t id = 0; id < static_cast<int32_t>(kParamCount); ++id)
        EXPECT_EQ(target->Get(id), source->Get(id)) << "id " << id;
    EXPECT_EQ(target->Get(30), Changed(30, 0x5A));
    EXPECT_EQ(target->device->sets.size(), kParamCount);
}

TEST_F(PresetFileSave, SaveReadsTheEnginesValuesFromItsFirstId)
{
    store->firstId = 40;
    store->values[12] = Changed(12, 3);
    ASSERT_EQ(manager->Save(kxtest::WidePath(file)), 0);
    KX::Array<KX::ParamValue> records;
    const std::vector<uint8_t> bytes = kxtest::ReadAll(file);
    ASSERT_EQ(LPresetManager::ParsePresetFile(bytes.data(), bytes.size(), records), 0);
    ASSERT_EQ(records.GetCount(), kParamCount);
    EXPECT_EQ(records.ElementAt(12).descriptor.id, 12); // files carry indices, not ids
    EXPECT_EQ(records.ElementAt(12).value, Changed(12, 3));
}

TEST_F(PresetFileSave, SaveReplacesAnOlderFileAndKeepsItsPermissions)
{
    kxtest::WriteAll(file, std::vector<uint8_t>(5000, 0xEE));
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    ASSERT_EQ(manager->Save(kxtest::WidePath(file)), 0);
    EXPECT_EQ(kxtest::ReadAll(file), kxtest::DefaultPresetFile());
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FolderEntries(dir.path()).size(), 1u);
}

TEST_F(PresetFileSave, SaveThroughALinkWritesTheLinkedFile)
{
    const fs::path real = dir.path() / "real.Lumo25PresetEditor";
    kxtest::WriteAll(real, {1, 2, 3});
    fs::create_symlink(real, file);
    ASSERT_EQ(manager->Save(kxtest::WidePath(file)), 0);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(kxtest::ReadAll(real), kxtest::DefaultPresetFile());
}

TEST_F(PresetFileSave, IncompleteOrInvalidPresetsAreNotSaved)
{
    const std::vector<uint8_t> old = {9, 9, 9};
    kxtest::WriteAll(file, old);

    store->deliverCount = 82;
    EXPECT_EQ(manager->Save(kxtest::WidePath(file)), KX::E_FAIL);
    EXPECT_EQ(kxtest::ReadAll(file), old);

    store->deliverCount = -1;
    store->values[20] = KX::Variant(); // no value
    EXPECT_EQ(manager->Save(kxtest::WidePath(file)), KX::E_FAIL);
    store->values[20].SetBytes(nullptr, 3); // not its length
    EXPECT_EQ(manager->Save(kxtest::WidePath(file)), KX::E_FAIL);
    EXPECT_EQ(kxtest::ReadAll(file), old);

    ::SetParamValueStore(nullptr);
    EXPECT_EQ(manager->Save(kxtest::WidePath(dir.path() / "new")), KX::E_FAIL);
    EXPECT_FALSE(fs::exists(dir.path() / "new"));
    EXPECT_EQ(FolderEntries(dir.path()).size(), 1u);
}

TEST_F(PresetFileSave, PathsThatCannotBeWrittenFail)
{
    EXPECT_EQ(manager->Save(kxtest::WidePath(dir.path() / "no" / "such" / "folder.x")), KX::E_FAIL);
    EXPECT_EQ(manager->Save(kxtest::WidePath(dir.path())), KX::E_FAIL);
    EXPECT_EQ(manager->Save(KX::WString()), KX::E_FAIL);
    const char16_t loneSurrogate[] = {u'/', 0xD800, u'x', 0};
    EXPECT_EQ(manager->Save(KX::WString(loneSurrogate)), KX::E_FAIL);
    EXPECT_TRUE(FolderEntries(dir.path()).empty());
}

TEST_F(PresetFileSave, FileSizeLimitFailsTheSaveAndKeepsTheOldFile)
{
    const std::vector<uint8_t> old(LPresetManager::kPresetFileBytes, 0x42);
    kxtest::WriteAll(file, old);
    store->values[0] = Changed(0, 1);
    const int status = InChild([&] {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 1000;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 3;
        return manager->Save(kxtest::WidePath(file)) == KX::E_FAIL ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "the child did not report the failed save (killed by SIGXFSZ?)";
    EXPECT_EQ(kxtest::ReadAll(file), old);
    EXPECT_EQ(FolderEntries(dir.path()).size(), 1u) << "a temporary file was left behind";
}

TEST_F(PresetFileSave, ReadOnlyFolderFailsTheSaveAndKeepsTheOldFile)
{
    const std::vector<uint8_t> old = {7, 7, 7};
    kxtest::WriteAll(file, old);
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
    // root writes anywhere: try as an ordinary user then.
    const int status = InChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return 3;
        return manager->Save(kxtest::WidePath(file)) == KX::E_FAIL ? 0 : 1;
    });
    chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(kxtest::ReadAll(file), old);
    EXPECT_EQ(FolderEntries(dir.path()).size(), 1u);
}

TEST_F(PresetFileSave, ReadOnlyFileIsNotReplaced)
{
    const std::vector<uint8_t> old = {5, 5};
    kxtest::WriteAll(file, old);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    const int status = InChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return 3;
        return manager->Save(kxtest::WidePath(file)) == KX::E_FAIL ? 0 : 1;
    });
    chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(kxtest::ReadAll(file), old);
}

} // namespace
