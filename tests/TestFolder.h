// A scratch folder of a test's own, for tests that write real files. Its name carries the test's
// name and the process id, so two test runs sharing the machine (or two tests of one run) never
// write to, or remove, each other's files; the folder and all it holds go when the test ends.
//
//   zovo::TestFolder folder;
//   const std::filesystem::path out = folder / "out";
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace zovo {

class TestFolder {
public:
    TestFolder() : path_(std::filesystem::temp_directory_path() / ("zovo-" + testName() + "-" + std::to_string(::getpid())))
    {
        // A folder left by a crashed earlier process that had the same id is not this test's.
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TestFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    // "Suite.Test", with the slashes of parameterised names and anything else a shell would
    // trip over made into dashes.
    static std::string testName()
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "outside-a-test";
        for (char& c : name)
            if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_')) c = '-';
        return name;
    }

    std::filesystem::path path_;
};

} // namespace zovo
