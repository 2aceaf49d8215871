// The private temporary directory: names, set-up, the start-up clean-up of
// leftovers next to a real running copy, and removal at exit.
#include "shell/app/tempdir.h"

#include "data/tables.h"
#include "platform/file.h"
#include "platform/marker.h"
#include "platform/scripted.h"
#include "support/child.h"
#include "support/tempdir.h"
#include "util/errors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace velt;
using namespace velt::shell;

namespace {

const std::string kMark(1, '\x7F');

void writeFile(const fs::path& p, const std::string& text = "x") { std::ofstream(p) << text; }

// A data directory as the working directory and a system temporary directory
// of its own (TEMP), so the clean-up only ever sees this test's entries.
class PrivateDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setSharedInstallMarker((fs::path(temp.path()) / "NO_MARKER").string());
        ::setenv("TEMP", temp.path().c_str(), 1);
    }
    void TearDown() override
    {
        removePrivateDirectory();
        ::unsetenv("TEMP");
        platform::setSharedInstallMarker("");
    }

    test::TempDataDir data;
    test::TempDataDir temp{false};
    platform::ScriptedServices services;
};

} // namespace

TEST(TempName, ConsecutiveNamesDifferAndFollowTheFormat)
{
    std::string a = GETNEWFNAME(), b = GETNEWFNAME();
    EXPECT_NE(a, b);
    for (const auto& n : {a, b}) {
        ASSERT_GE(n.size(), 10u);
        EXPECT_EQ(n[0], '\x7F');
        EXPECT_LE(n.size(), 1u + 8 + 7);
        EXPECT_EQ(n.find_first_not_of("0123456789", 1), std::string::npos) << n;
    }
    EXPECT_EQ(a.substr(1, 4), b.substr(1, 4)); // same year (unless a new year began in between)
}

TEST_F(PrivateDirTest, UserMakesADirectoryWithTheHeldMarkerAndExitRemovesIt)
{
    EXPECT_EQ(ACS_TEMP(), "");
    USER();
    const std::string dir = ACS_TEMP();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(data::privateTempDir(), dir);
    EXPECT_TRUE(fs::exists("NET")); // the system lock table came first

    fs::path p(dir.substr(0, dir.size() - 1));
    EXPECT_EQ(p.parent_path(), fs::path(temp.path()));
    std::string name = p.filename().string();
    EXPECT_EQ(name[0], '\x7F');
    // Two copies started in the same hundredth still get their own directory.
    EXPECT_EQ(name.substr(name.rfind('_') + 1), std::to_string(::getpid()));
    ASSERT_TRUE(fs::is_regular_file(p / "USER"));
    EXPECT_EQ(fs::file_size(p / "USER"), 0u);
    // Sharing denied: nobody else can open the marker.
    EXPECT_THROW(platform::File::open((p / "USER").string(), platform::Access::Read, platform::Share::Shared),
                 VeltError);

    // Scratch files, a read-only one and a subdirectory all go at exit.
    writeFile(p / (kMark + "VIEW1.NTX"));
    writeFile(p / "MOVITMP.DBF");
    fs::permissions(p / "MOVITMP.DBF", fs::perms::owner_read);
    fs::create_directory(p / "PAGES");
    writeFile(p / "PAGES" / "1.EMF");
    removePrivateDirectory();
    EXPECT_FALSE(fs::exists(p));
    EXPECT_EQ(ACS_TEMP(), "");
    EXPECT_EQ(data::privateTempDir(), "");
    EXPECT_TRUE(services.boxes().shown().empty());
}

TEST_F(PrivateDirTest, AFileHeldByAnotherHandleStopsTheRemovalWithItsMessage)
{
    USER();
    fs::path p(ACS_TEMP().substr(0, ACS_TEMP().size() - 1));
    writeFile(p / "HELD.DBF");
    auto held = platform::File::open((p / "HELD.DBF").string(), platform::Access::ReadWrite,
                                     platform::Share::Exclusive);
    services.boxes().answer(platform::MsgButton::Ok);
    removePrivateDirectory();
    ASSERT_EQ(services.boxes().shown().size(), 1u);
    EXPECT_EQ(services.boxes().shown()[0].text, "Impossibile cancellare il file " + (p / "HELD.DBF").string() + ".");
    EXPECT_TRUE(fs::exists(p / "HELD.DBF"));
    held.close();
    fs::remove_all(p);
}

TEST_F(PrivateDirTest, StartUpRemovesACrashedRunsDirectoryButNotARunningCopys)
{
    // A crashed run: marker closed, scratch files left, one of them read-only.
    fs::path crashed = fs::path(temp.path()) / (kMark + "202612011234567_99999");
    fs::create_directory(crashed);
    writeFile(crashed / "USER", "");
    writeFile(crashed / "MOVITMP.DBF");
    fs::permissions(crashed / "MOVITMP.DBF", fs::perms::owner_read);
    writeFile(crashed / (kMark + "VIEW3.NTX"));
    // A directory that never got its marker.
    fs::path bare = fs::path(temp.path()) / (kMark + "202612011234568");
    fs::create_directory(bare);
    // Entries the clean-up must not touch.
    fs::path other = fs::path(temp.path()) / "someone_else";
    fs::create_directory(other);
    writeFile(other / "USER", "");

    // A real second copy holding its marker, with a scratch table whose name
    // sorts before "USER".
    std::string ready = data.file("child_ready"), stop = data.file("child_stop");
    auto child = test::Child::run([&] {
        USER();
        std::string d = ACS_TEMP();
        writeFile(d + "MOVITMP.DBF");
        writeFile(d + "path", d);
        test::touchFile(ready);
        while (!fs::exists(stop)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        removePrivateDirectory();
        return 0;
    });
    ASSERT_TRUE(test::waitForFile(ready, 5000));
    std::string childDir;
    for (const auto& e : fs::directory_iterator(temp.path()))
        if (fs::exists(e.path() / "path")) childDir = e.path().string();
    ASSERT_FALSE(childDir.empty());

    removeTempLeftovers(temp.path());

    EXPECT_FALSE(fs::exists(crashed));
    EXPECT_FALSE(fs::exists(bare));
    EXPECT_TRUE(fs::exists(other / "USER"));
    EXPECT_TRUE(fs::exists(fs::path(childDir) / "USER"));
    EXPECT_TRUE(fs::exists(fs::path(childDir) / "MOVITMP.DBF"));

    test::touchFile(stop);
    EXPECT_EQ(child.wait(), 0);
    EXPECT_FALSE(fs::exists(childDir)); // the copy removed its own at its exit
}

TEST_F(PrivateDirTest, StartUpDeletesTemporaryFilesOfTheDataDirectoryNotInUse)
{
    writeFile(data.file(kMark + "VIEW1.NTX"));
    writeFile(data.file(kMark + "2026121112345"));
    writeFile(data.file(kMark + "HELD.NTX"));
    writeFile(data.file("ARTICOLI.DBF"));
    auto held = platform::File::open(data.file(kMark + "HELD.NTX"), platform::Access::ReadWrite,
                                     platform::Share::Exclusive);
    removeDataLeftovers(data.path());
    EXPECT_FALSE(fs::exists(data.file(kMark + "VIEW1.NTX")));
    EXPECT_FALSE(fs::exists(data.file(kMark + "2026121112345")));
    EXPECT_TRUE(fs::exists(data.file(kMark + "HELD.NTX")));
    EXPECT_TRUE(fs::exists(data.file("ARTICOLI.DBF")));
}

TEST_F(PrivateDirTest, ADirectoryRemovedUnderTheSetUpIsReplacedByANewOne)
{
    // Another copy's clean-up may remove the fresh directory before its marker
    // exists; USER then takes a new name instead of failing or pointing at
    // nothing.
    std::vector<std::string> made;
    setAfterDirectoryHook([&](const std::string& dir) {
        made.push_back(dir);
        if (made.size() == 1) removeTempLeftovers(temp.path());
    });
    USER();
    setAfterDirectoryHook(nullptr);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_FALSE(fs::exists(made[0]));
    EXPECT_EQ(ACS_TEMP(), made[1] + "/");
    EXPECT_TRUE(fs::is_regular_file(made[1] + "/USER"));
}

TEST_F(PrivateDirTest, UnderASharedInstallationNoLocalLockTableIsMade)
{
    std::string marker = (fs::path(temp.path()) / "NET").string();
    writeFile(marker, "");
    platform::setSharedInstallMarker(marker);
    USER();
    EXPECT_FALSE(ACS_TEMP().empty());
    EXPECT_FALSE(fs::exists(data.file("NET")));
}
