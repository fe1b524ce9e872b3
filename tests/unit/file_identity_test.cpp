// Telling whether two open streams read the same file.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_identity.h"

namespace {

namespace fs = std::filesystem;

class FileIdentityTest : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("file-identity-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        fs::create_directories(dir);
        std::ofstream(dir / "a.txt") << "a\n";
        std::ofstream(dir / "b.txt") << "a\n";  // the same content, another file
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    platform::FileIdentity identityOf(const fs::path& path) {
        platform::FileIdentity identity;
        std::FILE* file = std::fopen(path.string().c_str(), "rb");
        EXPECT_NE(file, nullptr) << path;
        if (file == nullptr) return identity;
        EXPECT_TRUE(platform::fileIdentity(file, identity)) << path;
        std::fclose(file);
        return identity;
    }

    fs::path dir;
};

TEST_F(FileIdentityTest, OtherNamesOfTheSameFileAreTheSameFile) {
    const platform::FileIdentity a = identityOf(dir / "a.txt");
    EXPECT_EQ(identityOf(dir / "." / "a.txt"), a);
    fs::create_directories(dir / "sub");
    EXPECT_EQ(identityOf(dir / "sub" / ".." / "a.txt"), a);
    fs::create_hard_link(dir / "a.txt", dir / "hard.txt");
    EXPECT_EQ(identityOf(dir / "hard.txt"), a);
    std::error_code linkError;
    fs::create_symlink(dir / "a.txt", dir / "soft.txt", linkError);
    if (!linkError) {
        EXPECT_EQ(identityOf(dir / "soft.txt"), a);
    }
}

TEST_F(FileIdentityTest, DifferentFilesDiffer) {
    EXPECT_NE(identityOf(dir / "a.txt"), identityOf(dir / "b.txt"));
}

TEST(FileIdentity, NoStreamHasNoIdentity) {
    platform::FileIdentity identity;
    EXPECT_FALSE(platform::fileIdentity(nullptr, identity));
}

}  // namespace
