#include "foundation/NSDictionary.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "objc/Message.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using objc::StrongId;
using objc::send;

namespace {

constexpr const char* kDefaults = "/Library/PreferenceBundles/zovorudovu.bundle/defaults.plist";
constexpr const char* kSettingsForCopy = "/User/Library/Preferences/com.tarvik.zovorudovu.plist";

// A directory outside every process's root, removed at the end of the test.
struct OutsideDirectory {
    fs::path path;
    OutsideDirectory()
    {
        std::string pattern = (fs::temp_directory_path() / "zovorudovu-outside-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~OutsideDirectory() { fs::remove_all(path); }
};

class FileManager : public ::testing::Test {
protected:
    zovo::Process process;
    NSFileManager* files = NSFileManager::defaultManager();

    fs::path host(std::string_view processPath) const { return process.hostPath(processPath); }
    static void writeFile(const fs::path& path, std::string_view text) { std::ofstream(path, std::ios::binary) << text; }
    static std::string readFile(const fs::path& path)
    {
        std::ostringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }
};

TEST_F(FileManager, DefaultManagerIsOnePerProcessAndFileExistsFollowsTheRootsLayoutAndItsUserLink)
{
    EXPECT_EQ(NSFileManager::defaultManager(), files);
    StrongId viaRuntime = send<StrongId>(objc::objc_getClass("NSFileManager"), "defaultManager");
    EXPECT_EQ(viaRuntime.get(), files);
    {
        zovo::Process other;
        EXPECT_NE(NSFileManager::defaultManager(), files);
        EXPECT_EQ(NSFileManager::defaultManager()->isa, objc::objc_getClass("NSFileManager"));
    }
    EXPECT_EQ(NSFileManager::defaultManager(), files);

    EXPECT_TRUE(files->fileExistsAtPath("/var/mobile/Library/Preferences"));
    EXPECT_TRUE(files->fileExistsAtPath("/"));
    EXPECT_FALSE(files->fileExistsAtPath(kSettingsForCopy));
    writeFile(host("/var/mobile/Library/Preferences/com.tarvik.zovorudovu.plist"), "x");
    EXPECT_TRUE(files->fileExistsAtPath(kSettingsForCopy)) << "/User leads to /var/mobile";
    EXPECT_TRUE(send<bool>(files, "fileExistsAtPath:", NSString::from(kSettingsForCopy)));
    EXPECT_FALSE(send<bool>(files, "fileExistsAtPath:", nullptr));
}

TEST_F(FileManager, PathsThatLeaveTheRootAreMissing)
{
    OutsideDirectory outside;
    writeFile(outside.path / "secret", "outside");
    fs::create_symlink(outside.path / "secret", host("/var/mobile/escape"));
    fs::create_directory_symlink(outside.path, host("/var/mobile/escapeDir"));

    EXPECT_FALSE(files->fileExistsAtPath("/var/mobile/escape")) << "a link that points out of the root";
    EXPECT_FALSE(files->fileExistsAtPath("/var/mobile/escapeDir/secret"));
    EXPECT_FALSE(NSMutableDictionary::dictionaryWithContentsOfFile("/var/mobile/escape"));

    EXPECT_FALSE(files->copyItemAtPath("/var/mobile/escape", "/var/mobile/copied"));
    EXPECT_FALSE(files->copyItemAtPath("/var/mobile/Library", "/var/mobile/escapeDir/stolen"));
    EXPECT_FALSE(fs::exists(outside.path / "stolen"));
}

TEST_F(FileManager, CopyPutsTheDefaultsInPlaceOnceAndFailsWithoutASourceOrADestinationDirectory)
{
    EXPECT_FALSE(files->copyItemAtPath(kDefaults, kSettingsForCopy)) << "no defaults file";
    EXPECT_FALSE(files->fileExistsAtPath(kSettingsForCopy));
    writeFile(host(kDefaults), "defaults");
    EXPECT_TRUE(files->copyItemAtPath(kDefaults, kSettingsForCopy));
    EXPECT_EQ(readFile(host("/var/mobile/Library/Preferences/com.tarvik.zovorudovu.plist")), "defaults");
    EXPECT_EQ(readFile(host(kDefaults)), "defaults") << "the source stays";

    writeFile(host(kSettingsForCopy), "the user's own");
    EXPECT_FALSE(files->copyItemAtPath(kDefaults, kSettingsForCopy)) << "never overwrites";
    EXPECT_EQ(readFile(host(kSettingsForCopy)), "the user's own");
    EXPECT_FALSE(files->copyItemAtPath(kDefaults, "/var/mobile/Nowhere/x.plist"));
    EXPECT_FALSE(files->copyItemAtPath(kDefaults, kDefaults)) << "the destination exists";
    fs::create_symlink("missing-target", host("/var/mobile/dangling"));
    EXPECT_FALSE(files->copyItemAtPath(kDefaults, "/var/mobile/dangling")) << "a dangling link is still something";
}

TEST_F(FileManager, CopyTakesWholeDirectoriesAndByMessageClearsTheError)
{
    fs::create_directories(host("/Library/PreferenceBundles/zovorudovu.bundle/en.lproj"));
    writeFile(host("/Library/PreferenceBundles/zovorudovu.bundle/en.lproj/Root.strings"), "strings");
    EXPECT_TRUE(files->copyItemAtPath("/Library/PreferenceBundles/zovorudovu.bundle", "/var/mobile/bundle-copy"));
    EXPECT_EQ(readFile(host("/var/mobile/bundle-copy/en.lproj/Root.strings")), "strings");

    // Through the runtime a copy that succeeds sets the error to nil.
    writeFile(host(kDefaults), "defaults");
    StrongId from = NSString::from(kDefaults);
    StrongId to = NSString::from(kSettingsForCopy);
    objc::id error = from.get(); // anything but nil, to see it cleared
    EXPECT_TRUE(send<bool>(files, "copyItemAtPath:toPath:error:", from, to, &error));
    EXPECT_EQ(error, nullptr);
    EXPECT_FALSE(send<bool>(files, "copyItemAtPath:toPath:error:", from, to, static_cast<objc::id*>(nullptr)));
}

} // namespace
