// The file chooser over a fake desktop portal on a private session bus, the file URIs and filter
// lists it builds on, and the file dialog's state across calls through the portal.
#include "FakeAppServices.h"
#include "FakeFileChooser.h"
#include "PrivateSessionBus.h"
#include "kx/controls/FileDialog.h"
#include "platform/filechooser/FileChooser.h"
#include "platform/filechooser/FileUri.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

namespace fc = platform::filechooser;
using kxtest::PortalAnswer;
using Pattern = std::pair<uint32_t, std::string>;

std::string Narrow(const KX::WString& text)
{
    return text.ToNarrow().GetString();
}

TEST(FileChooserText, FileUrisDecodeOnlyWellFormedLocalPaths)
{
    EXPECT_EQ(fc::FileUriToPath("file:///home/a%20b/it%27s%22%0A.syx"), "/home/a b/it's\"\n.syx");
    EXPECT_EQ(fc::FileUriToPath("FILE://localhost/x%2fy"), "/x/y");
    EXPECT_EQ(fc::FileUriToPath("file:/short"), "/short");
    EXPECT_EQ(fc::FileUriToPath("file:///%C3%A9"), "/\xC3\xA9");
    for (const char* bad : {"http://host/x", "file://otherhost/x", "file://localhostx/x", "file:relative", "file://",
                            "file:///a%2", "file:///a%zz", "file:///a%00b", "file:///a?q", "file:///a#f", ""})
        EXPECT_FALSE(fc::FileUriToPath(bad).has_value()) << bad;
}

TEST(FileChooserText, FilterListsBecomePairsWithEveryFileForStarDotStar)
{
    const std::vector<fc::Filter> filters =
        fc::ParseFilterList("Text (*.txt)|*.txt; *.TEXT ;|Empty|;|All|*.*|Dangling");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].name, "Text (*.txt)");
    EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.txt", "*.TEXT"}));
    EXPECT_EQ(filters[1].name, "All");
    EXPECT_EQ(filters[1].patterns, std::vector<std::string>{"*"});
    EXPECT_TRUE(fc::ParseFilterList("").empty());
    EXPECT_EQ(fc::CaseInsensitiveGlob("*.Tx1[ab]"), "*.[tT][xX]1[ab]");
}

class PortalChooser : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_bus.IsRunning()) << m_bus.Error(); }

    fc::Options PortalOnly(int32_t responseTimeoutMs = 10000) const
    {
        fc::Options options;
        options.busAddress = m_bus.Address();
        options.callTimeoutMs = 5000;
        options.responseTimeoutMs = responseTimeoutMs;
        options.useZenity = false;
        options.useKdialog = false;
        return options;
    }

    kxtest::PrivateSessionBus m_bus;
};

TEST_F(PortalChooser, OpenSendsFiltersFolderAndParentAndDecodesTheChosenUri)
{
    kxtest::FakeFileChooser portal(m_bus.Address());
    ASSERT_TRUE(portal.IsReady());
    portal.Script({PortalAnswer::Kind::Respond, 0, {"file:///tmp/it%27s%20a%0Aname%22.syx"}});

    fc::Request request;
    request.title = "Load \"preset\"";
    request.filters = fc::ParseFilterList("Presets (*.L25)|*.L25|All Files (*.*)|*.*");
    request.folder = "/tmp/a b";
    request.x11Parent = 0x3a00007;
    const fc::Result result = fc::Choose(request, PortalOnly());

    ASSERT_EQ(result.status, fc::Status::Chosen) << result.error;
    EXPECT_EQ(result.chooser, "portal");
    EXPECT_EQ(result.paths, std::vector<std::string>{"/tmp/it's a\nname\".syx"});
    const std::vector<kxtest::PortalCall> calls = portal.Calls();
    ASSERT_EQ(calls.size(), 1u);
    const kxtest::PortalCall& call = calls[0];
    EXPECT_EQ(call.method, "OpenFile");
    EXPECT_EQ(call.parentWindow, "x11:3a00007");
    EXPECT_EQ(call.title, "Load \"preset\"");
    EXPECT_FALSE(call.handleToken.empty());
    ASSERT_EQ(call.filters.size(), 2u);
    EXPECT_EQ(call.filters[0].name, "Presets (*.L25)");
    EXPECT_EQ(call.filters[0].patterns, std::vector<Pattern>{Pattern(0, "*.[lL]25")});
    EXPECT_EQ(call.filters[1].name, "All Files (*.*)");
    EXPECT_EQ(call.filters[1].patterns, std::vector<Pattern>{Pattern(0, "*")});
    EXPECT_EQ(call.currentFilter, "Presets (*.L25)");
    EXPECT_TRUE(call.hasCurrentFolder);
    EXPECT_TRUE(call.folderEndsInNul);
    EXPECT_EQ(call.currentFolder, "/tmp/a b");
    EXPECT_FALSE(call.hasCurrentName);
    EXPECT_FALSE(call.multiple);
}

TEST_F(PortalChooser, SaveProposesTheNameMultipleReturnsEveryFileAndCancelIsCancelled)
{
    kxtest::FakeFileChooser portal(m_bus.Address());
    ASSERT_TRUE(portal.IsReady());
    portal.Script({PortalAnswer::Kind::Respond, 1, {}});
    fc::Request save;
    save.mode = fc::Mode::Save;
    save.proposedName = "Untitled";
    EXPECT_EQ(fc::Choose(save, PortalOnly()).status, fc::Status::Cancelled);

    portal.Script({PortalAnswer::Kind::Respond, 0, {"file:///a/one", "file:///b/two"}});
    fc::Request several;
    several.mode = fc::Mode::OpenMultiple;
    const fc::Result result = fc::Choose(several, PortalOnly());
    EXPECT_EQ(result.paths, (std::vector<std::string>{"/a/one", "/b/two"}));

    const std::vector<kxtest::PortalCall> calls = portal.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].method, "SaveFile");
    EXPECT_EQ(calls[0].currentName, "Untitled");
    EXPECT_EQ(calls[0].parentWindow, "");
    EXPECT_FALSE(calls[0].hasCurrentFolder);
    EXPECT_EQ(calls[1].method, "OpenFile");
    EXPECT_TRUE(calls[1].multiple);
}

TEST_F(PortalChooser, FailedDialogsAndForeignUrisAreFailuresNotChoices)
{
    kxtest::FakeFileChooser portal(m_bus.Address());
    ASSERT_TRUE(portal.IsReady());
    const fc::Request request;
    for (const PortalAnswer& answer : {PortalAnswer{PortalAnswer::Kind::Respond, 2, {}},
                                       PortalAnswer{PortalAnswer::Kind::Respond, 0, {"file:///ok", "sftp://h/x"}},
                                       PortalAnswer{PortalAnswer::Kind::Respond, 0, {}}}) {
        portal.Script(answer);
        const fc::Result result = fc::Choose(request, PortalOnly());
        EXPECT_EQ(result.status, fc::Status::Failed);
        EXPECT_TRUE(result.paths.empty());
        EXPECT_FALSE(result.error.empty());
    }
}

TEST_F(PortalChooser, AResponseFromAnotherConnectionIsNotTheUsersChoice)
{
    kxtest::FakeFileChooser portal(m_bus.Address());
    ASSERT_TRUE(portal.IsReady());
    portal.Script({PortalAnswer::Kind::Impostor, 0, {"file:///home/victim/.bashrc"}});
    const fc::Result result = fc::Choose(fc::Request(), PortalOnly(500));
    EXPECT_EQ(result.status, fc::Status::Failed);
    EXPECT_TRUE(result.paths.empty());
}

TEST_F(PortalChooser, ARefusedCallNoPortalOrNoBusLeaveThePortalUnavailable)
{
    const fc::Request request;
    EXPECT_EQ(fc::Choose(request, PortalOnly()).status, fc::Status::Unavailable); // nobody owns the name
    {
        kxtest::FakeFileChooser portal(m_bus.Address());
        ASSERT_TRUE(portal.IsReady());
        portal.Script({PortalAnswer::Kind::Refuse, 0, {}});
        EXPECT_EQ(fc::Choose(request, PortalOnly()).status, fc::Status::Unavailable);
    }
    fc::Options noBus = PortalOnly();
    noBus.busAddress = "unix:path=/nonexistent/kx-bus";
    EXPECT_EQ(fc::Choose(request, noBus).status, fc::Status::Unavailable);
}

TEST_F(PortalChooser, APortalThatLeavesTheBusOrNeverAnswersDoesNotHangTheCaller)
{
    kxtest::FakeFileChooser portal(m_bus.Address());
    ASSERT_TRUE(portal.IsReady());
    portal.Script({PortalAnswer::Kind::Silent, 0, {}});
    const fc::Request request;
    fc::Result result = fc::Choose(request, PortalOnly(300));
    EXPECT_EQ(result.status, fc::Status::Failed);
    // The abandoned Request is closed.
    for (int i = 0; i < 200 && portal.CloseCount() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(portal.CloseCount(), 1);

    // Leaving while the user would be choosing: no time limit needed to end the wait.
    portal.Script({PortalAnswer::Kind::Vanish, 0, {}});
    result = fc::Choose(request, PortalOnly(0));
    EXPECT_EQ(result.status, fc::Status::Failed);
    EXPECT_NE(result.error.find("left the bus"), std::string::npos) << result.error;
}

// The dialog object through the portal: where each dialog opens, what it keeps after a cancel.
TEST_F(PortalChooser, TheFileDialogOpensInTheFolderOfTheLastChoiceAndKeepsItAfterACancel)
{
    kxtest::TempFolder temp;
    const std::string first = temp.Path() + "/first \"folder\"";
    std::filesystem::create_directory(first);
    kxtest::TempFolder noPrograms;
    kxtest::ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", m_bus.Address());
    kxtest::ScopedEnv path("PATH", noPrograms.Path());
    kxtest::FakeAppServices services;
    kxtest::FakeFileChooser portal(m_bus.Address());
    ASSERT_TRUE(portal.IsReady());

    KX::RCPtr<KX::LFileDialog> dialog(new KX::LFileDialog(KX::WString(temp.Path().c_str())));
    portal.Script({PortalAnswer::Kind::Respond, 0, {"file://" + temp.Path() + "/first%20%22folder%22/p.L25"}});
    ASSERT_EQ(dialog->ShowOpenDialog(KX::WString(u"Presets|*.L25"), KX::WString(u"*.L25"), KX::WString(u"Load"), false),
              KX::S_OK);
    EXPECT_EQ(Narrow(dialog->GetFileName()), first + "/p.L25");
    EXPECT_EQ(Narrow(dialog->GetFileTitle()), "p.L25");

    portal.Script({PortalAnswer::Kind::Respond, 1, {}});
    EXPECT_EQ(dialog->ShowOpenDialog(KX::WString(u""), KX::WString(u""), KX::WString(u""), false), KX::E_FAIL);
    EXPECT_EQ(Narrow(dialog->GetFileName()), "");
    EXPECT_EQ(dialog->ShowSaveDialog(KX::WString(u""), KX::WString(u""), KX::WString(u"Save")), KX::E_FAIL);
    EXPECT_EQ(Narrow(dialog->GetFileName()), "Untitled");
    EXPECT_EQ(Narrow(dialog->GetFolder()), first);

    const std::vector<kxtest::PortalCall> calls = portal.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].currentFolder, temp.Path());
    EXPECT_EQ(calls[1].currentFolder, first);
    EXPECT_EQ(calls[2].method, "SaveFile");
    EXPECT_EQ(calls[2].currentFolder, first);
    EXPECT_EQ(calls[2].currentName, "Untitled");
    EXPECT_TRUE(services.boxes.empty());
}

} // namespace
