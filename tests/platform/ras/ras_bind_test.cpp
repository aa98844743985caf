// BindRasAdminLibrary: which library it loads and what it tells the user
// when the library or one of its entry points is missing.

#include "platform/ras/rasbind/rasadminfunctions.h"
#include "platform/ras/rasbind/sharedlibrary.h"
#include "tests/support/recordinginteraction.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace dm;
using namespace dm::test;

namespace {

// Sets DIALMIND_RASSAPI for one test and restores it afterwards.
class LibraryOverride {
public:
    explicit LibraryOverride(const std::string& path)
    {
        if (const char* old = std::getenv("DIALMIND_RASSAPI"))
            m_old = old, m_had = true;
        setenv("DIALMIND_RASSAPI", path.c_str(), 1);
    }
    ~LibraryOverride()
    {
        if (m_had)
            setenv("DIALMIND_RASSAPI", m_old.c_str(), 1);
        else
            unsetenv("DIALMIND_RASSAPI");
    }

private:
    std::string m_old;
    bool m_had = false;
};

DWORD StalePortEnum(const WCHAR*, RAS_PORT_0**, WORD*) { return 0; }

TEST(RasBind, TheNormalBuildBindsAllNineEntryPointsSilently)
{
    SharedLibrary library;
    RasAdminFunctions ras;
    RecordingInteraction ui;
    ASSERT_TRUE(BindRasAdminLibrary(library, ras, ui));
    EXPECT_TRUE(ras.AllBound());
    EXPECT_TRUE(ui.m_messages.empty());
    // Found beside the executable or in ../lib, as an installation has it.
    EXPECT_NE(std::string::npos, library.Path().find("librassapi.so")) << library.Path();
}

TEST(RasBind, ABuildWithoutFreeBufferShowsExactlyTheMessageForOrdinalTwo)
{
    LibraryOverride use(std::string(DM_LIB_DIR) + "/librassapi_nofree.so");
    SharedLibrary library;
    RasAdminFunctions ras;
    RecordingInteraction ui;
    ASSERT_TRUE(BindRasAdminLibrary(library, ras, ui));
    ASSERT_EQ(1u, ui.m_messages.size());
    EXPECT_EQ("Error when loading Rassapi.dll: Unable to locate ordinal 0x002",
              ui.m_messages[0].text);
    EXPECT_EQ(Buttons::Ok, ui.m_messages[0].buttons);
    EXPECT_EQ(nullptr, ras.RasAdminFreeBuffer);
    EXPECT_FALSE(ras.IsBound(1));
    for (std::size_t i : {0u, 2u, 3u, 4u, 5u, 6u, 7u, 8u})
        EXPECT_TRUE(ras.IsBound(i)) << RasAdminFunctions::kNames[i];
}

TEST(RasBind, AMissingLibraryIsReportedOnceAndLeavesEveryEntryPointMissing)
{
    TempDir dir;
    LibraryOverride use((dir / "librassapi.so").string());
    SharedLibrary library;
    RasAdminFunctions ras;
    ras.RasAdminPortEnum = &StalePortEnum; // left over from an earlier binding
    RecordingInteraction ui;
    EXPECT_FALSE(BindRasAdminLibrary(library, ras, ui));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(std::vector<std::string>{"Error when loading Rassapi.dll. Verify that the file "
                                       "exists in your search path."},
              ui.Texts());
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_FALSE(ras.IsBound(i));
}

TEST(RasBind, AFileThatIsNoLibraryCountsAsMissing)
{
    TempDir dir;
    WriteFile(dir / "librassapi.so", "not a shared object");
    LibraryOverride use((dir / "librassapi.so").string());
    SharedLibrary library;
    RasAdminFunctions ras;
    RecordingInteraction ui;
    EXPECT_FALSE(BindRasAdminLibrary(library, ras, ui));
    EXPECT_EQ(1u, ui.m_messages.size());
    EXPECT_FALSE(library.Error().empty());
}

TEST(RasBind, OnlyTheFirstOrdinalTextEndsWithAFullStop)
{
    EXPECT_EQ("Error when loading Rassapi.dll: Unable to locate ordinal 0x001.",
              MissingEntryPointText(0));
    EXPECT_EQ("Error when loading Rassapi.dll: Unable to locate ordinal 0x005",
              MissingEntryPointText(4));
    EXPECT_EQ("Error when loading Rassapi.dll: Unable to locate ordinal 0x009",
              MissingEntryPointText(8));
}

TEST(RasBind, SystemNamesMapToSharedObjectsAndTheirOverride)
{
    EXPECT_EQ("librassapi.so", SharedLibrary::MapName("RASSAPI.DLL"));
    EXPECT_EQ("librassapi.so", SharedLibrary::MapName("rassapi.dll"));
    EXPECT_EQ("DIALMIND_RASSAPI", SharedLibrary::OverrideVariable("RASSAPI.DLL"));
    EXPECT_EQ("libfoo.so.2", SharedLibrary::MapName("libfoo.so.2"));
    EXPECT_EQ("", SharedLibrary::OverrideVariable("libfoo.so.2"));
}

TEST(RasBind, ALoadedLibraryMovesWithItsOwner)
{
    SharedLibrary first;
    ASSERT_TRUE(first.Load("RASSAPI.DLL"));
    SharedLibrary second(std::move(first));
    EXPECT_FALSE(first.IsLoaded());
    ASSERT_TRUE(second.IsLoaded());
    EXPECT_NE(nullptr, second.Symbol("RasAdminPortEnum"));
    EXPECT_EQ(nullptr, second.Symbol("NoSuchEntryPoint"));
    // The library's own helpers stay private to it.
    EXPECT_EQ(nullptr, second.Symbol("_ZN2dm12RasPortStore4ListERSt6vectorINS_13RasPortRecordESaIS2_EE"));
    second.Close();
    EXPECT_EQ(nullptr, second.Symbol("RasAdminPortEnum"));
}

} // namespace
