// The file dialog over fake zenity and kdialog programs on PATH (no portal on the bus): argument
// vectors, names that are data, folder memory, cancel, the default extension, and the message box
// when no chooser exists.
#include "FakeAppServices.h"
#include "PrivateSessionBus.h"
#include "kx/controls/FileDialog.h"
#include "platform/filechooser/FileChooser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace {

using KX::WString;
using Args = std::vector<std::string>;

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetString();
}

WString Wide(const std::string& text)
{
    return WString(text.c_str());
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class ProgramChooser : public ::testing::Test {
protected:
    ProgramChooser()
        : m_path("PATH", m_bin.Path()), m_bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_bin.Path() + "/no-bus"),
          m_runtime("XDG_RUNTIME_DIR", std::nullopt)
    {
    }

    // A program on PATH that records its arguments, runs first (shell lines), prints answer and
    // ends with code.
    void FakeProgram(const std::string& name, const std::string& answer, int code, const std::string& first = "")
    {
        const std::string base = m_bin.Path() + "/" + name;
        std::ofstream(base + ".answer", std::ios::binary) << answer;
        std::ofstream(base + ".code") << code << "\n";
        std::ofstream(base) << "#!/bin/sh\n"
                            << ": > '" << base << ".argv'\n"
                            << "for a in \"$@\"; do printf '%s\\0' \"$a\" >> '" << base << ".argv'; done\n"
                            << first << "/bin/cat '" << base << ".answer'\n"
                            << "read code < '" << base << ".code'\n"
                            << "exit \"$code\"\n";
        chmod(base.c_str(), 0755);
    }

    // The arguments of the program's last run (argv[0] left out).
    Args ArgumentsOf(const std::string& name)
    {
        const std::string data = ReadFile(m_bin.Path() + "/" + name + ".argv");
        Args args;
        size_t start = 0;
        for (size_t end; (end = data.find('\0', start)) != std::string::npos; start = end + 1)
            args.push_back(data.substr(start, end - start));
        return args;
    }

    // A folder (with quotes and blanks in its name) to choose files in.
    std::string Folder(const std::string& name)
    {
        const std::string folder = m_files.Path() + "/" + name;
        std::filesystem::create_directories(folder);
        return folder;
    }

    kxtest::TempFolder m_bin;
    kxtest::TempFolder m_files;
    kxtest::ScopedEnv m_path;
    kxtest::ScopedEnv m_bus;
    kxtest::ScopedEnv m_runtime;
    kxtest::FakeAppServices m_services;
};

TEST_F(ProgramChooser, ZenityGetsAnArgumentVectorAndNamesWithQuotesBlanksAndNewlinesAreData)
{
    const std::string folder = Folder("it's a \"folder\"");
    const std::string chosen = folder + "/a 'b' \"c\"\nd.L25";
    FakeProgram("zenity", chosen + "\n", 0);
    KX::RCPtr<KX::LFileDialog> dialog(new KX::LFileDialog(Wide(m_files.Path())));

    ASSERT_EQ(dialog->ShowOpenDialog(WString(u"Presets (*.L25)|*.L25;*.l26|All Files (*.*)|*.*"), WString(u"*.L25"),
                                     WString(u"Load \"my\" preset; $(rm -rf x)"), false),
              KX::S_OK);
    EXPECT_EQ(ArgumentsOf("zenity"),
              (Args{"--file-selection", "--title=Load \"my\" preset; $(rm -rf x)", "--filename=" + m_files.Path() + "/",
                    "--file-filter=Presets (*.L25) | *.[lL]25 *.[lL]26", "--file-filter=All Files (*.*) | *"}));
    EXPECT_EQ(Narrow(dialog->GetFileName()), chosen);
    EXPECT_EQ(Narrow(dialog->GetFileTitle()), "a 'b' \"c\"\nd.L25");

    // The next dialog opens where the last file was chosen.
    FakeProgram("zenity", "", 1);
    EXPECT_EQ(dialog->ShowOpenDialog(WString(u""), WString(u""), WString(u""), false), KX::E_FAIL);
    EXPECT_EQ(ArgumentsOf("zenity"), (Args{"--file-selection", "--filename=" + folder + "/"}));
    // A cancel empties the name and keeps the folder.
    EXPECT_EQ(Narrow(dialog->GetFileName()), "");
    EXPECT_EQ(Narrow(dialog->GetFolder()), folder);
    EXPECT_TRUE(m_services.boxes.empty());
}

TEST_F(ProgramChooser, SaveProposesUntitledAndAddsTheDefaultExtensionAskingBeforeReplacing)
{
    const std::string folder = Folder("songs");
    KX::RCPtr<KX::LFileDialog> dialog(new KX::LFileDialog(Wide(folder)));
    FakeProgram("zenity", folder + "/mine\n", 0);
    ASSERT_EQ(dialog->ShowSaveDialog(WString(u"Presets|*.L25"), WString(u"*.L25"), WString(u"Save")), KX::S_OK);
    EXPECT_EQ(ArgumentsOf("zenity"), (Args{"--file-selection", "--title=Save", "--save", "--confirm-overwrite",
                                           "--filename=" + folder + "/Untitled", "--file-filter=Presets | *.[lL]25"}));
    EXPECT_EQ(Narrow(dialog->GetFileName()), folder + "/mine.L25");

    // A typed extension stays; a cancelled save leaves the proposed name.
    FakeProgram("zenity", folder + "/mine.txt\n", 0);
    ASSERT_EQ(dialog->ShowSaveDialog(WString(u""), WString(u"L25"), WString(u"")), KX::S_OK);
    EXPECT_EQ(Narrow(dialog->GetFileName()), folder + "/mine.txt");
    FakeProgram("zenity", "", 1);
    EXPECT_EQ(dialog->ShowSaveDialog(WString(u""), WString(u"L25"), WString(u"")), KX::E_FAIL);
    EXPECT_EQ(Narrow(dialog->GetFileName()), "Untitled");

    // The chooser confirmed "old", not "old.L25", which exists: the user is asked.
    std::ofstream(folder + "/old.L25") << "keep";
    FakeProgram("zenity", folder + "/old\n", 0);
    m_services.answer = [](uint32_t) { return 7; }; // No
    EXPECT_EQ(dialog->ShowSaveDialog(WString(u""), WString(u".L25"), WString(u"Save")), KX::E_FAIL);
    ASSERT_EQ(m_services.boxes.size(), 1u);
    EXPECT_EQ(m_services.boxes[0].flags, 0x34u);
    EXPECT_NE(m_services.BoxLines()[0].find("old.L25 already exists"), std::string::npos);
    m_services.answer = [](uint32_t) { return 6; }; // Yes
    EXPECT_EQ(dialog->ShowSaveDialog(WString(u""), WString(u".L25"), WString(u"Save")), KX::S_OK);
    EXPECT_EQ(Narrow(dialog->GetFileName()), folder + "/old.L25");
}

TEST_F(ProgramChooser, KdialogServesWhenZenityIsMissing)
{
    const std::string folder = Folder("k");
    FakeProgram("kdialog", folder + "/x y.L25\n", 0);
    KX::RCPtr<KX::LFileDialog> dialog(new KX::LFileDialog(Wide(folder)));
    ASSERT_EQ(dialog->ShowOpenDialog(WString(u"Presets|*.L25|All|*.*"), WString(u""), WString(u"Load"), false),
              KX::S_OK);
    EXPECT_EQ(ArgumentsOf("kdialog"),
              (Args{"--title", "Load", "--getopenfilename", folder + "/", "*.L25|Presets\n*|All"}));
    EXPECT_EQ(Narrow(dialog->GetFileName()), folder + "/x y.L25");

    FakeProgram("kdialog", folder + "/new\n", 0);
    ASSERT_EQ(dialog->ShowSaveDialog(WString(u""), WString(u""), WString(u"")), KX::S_OK);
    EXPECT_EQ(ArgumentsOf("kdialog"), (Args{"--getsavefilename", folder + "/Untitled"}));

    // A dialog with an owner is attached to it.
    platform::filechooser::Request owned;
    owned.x11Parent = 0x3a00007;
    const Args withOwner = platform::filechooser::ProgramArguments(platform::filechooser::Program::Kdialog, owned);
    EXPECT_EQ(Args(withOwner.begin(), withOwner.begin() + 3), (Args{"kdialog", "--attach", "60817415"}));
}

TEST_F(ProgramChooser, SeveralFilesComeBackApartAndALaterSingleDialogStaysSingle)
{
    const std::string folder = Folder("multi");
    // zenity's separator between absolute paths; the second path holds a newline.
    FakeProgram("zenity", folder + "/one//" + folder + "/two\nlines\n", 0);
    KX::RCPtr<KX::LFileDialog> dialog(new KX::LFileDialog(Wide(folder)));
    ASSERT_EQ(dialog->ShowOpenDialog(WString(u""), WString(u""), WString(u""), true), KX::S_OK);
    EXPECT_EQ(ArgumentsOf("zenity"),
              (Args{"--file-selection", "--multiple", "--separator=//", "--filename=" + folder + "/"}));
    const std::vector<WString> files = dialog->GetFileNames();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(Narrow(files[0]), folder + "/one");
    EXPECT_EQ(Narrow(files[1]), folder + "/two\nlines");
    EXPECT_EQ(Narrow(dialog->GetFileName()), folder + "/one");

    FakeProgram("zenity", folder + "/three\n", 0);
    ASSERT_EQ(dialog->ShowOpenDialog(WString(u""), WString(u""), WString(u""), false), KX::S_OK);
    EXPECT_EQ(ArgumentsOf("zenity"), (Args{"--file-selection", "--filename=" + folder + "/"}));
}

TEST_F(ProgramChooser, WhatTheChooserLeavesRunningEndsWithItAndKeepsNoOneWaiting)
{
    const std::string folder = Folder("left");
    const std::string pidFile = m_bin.Path() + "/left.pid";
    // A process of the chooser's that keeps the answer pipe open and outlives it.
    FakeProgram("zenity", folder + "/kept.L25\n", 0, "/bin/sleep 30 & echo $! > '" + pidFile + "'\n");
    KX::RCPtr<KX::LFileDialog> dialog(new KX::LFileDialog(Wide(folder)));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(dialog->ShowOpenDialog(WString(u""), WString(u""), WString(u""), false), KX::S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15)) << "waited for the leftover";
    EXPECT_EQ(Narrow(dialog->GetFileName()), folder + "/kept.L25");
    // Gone, or a zombie nobody reaps yet.
    const std::string stat = "/proc/" + std::to_string(std::stoi(ReadFile(pidFile))) + "/stat";
    const auto running = [&] {
        const std::string line = ReadFile(stat);
        const size_t end = line.rfind(')');
        return end != std::string::npos && line.compare(end, 3, ") Z") != 0;
    };
    for (int i = 0; i < 500 && running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(running()) << "the leftover outlived the chooser";
}

TEST_F(ProgramChooser, AChooserThatFailsOrAnswersNonsenseIsAFailureWithoutABox)
{
    KX::RCPtr<KX::LFileDialog> dialog(new KX::LFileDialog(WString(u"/nonexistent/folder")));
    for (const auto& [answer, code] : std::vector<std::pair<std::string, int>>{
             {"", 5}, {"/x\n", 255}, {"relative/name\n", 0}, {"\n", 0}, {"/ok\n", 2}}) {
        FakeProgram("zenity", answer, code);
        EXPECT_EQ(dialog->ShowOpenDialog(WString(u""), WString(u""), WString(u""), false), KX::E_FAIL) << answer;
        EXPECT_EQ(Narrow(dialog->GetFileName()), "");
    }
    // A folder that does not exist is left to the chooser.
    EXPECT_EQ(ArgumentsOf("zenity"), Args{"--file-selection"});
    EXPECT_EQ(Narrow(dialog->GetFolder()), "/nonexistent/folder");
    EXPECT_TRUE(m_services.boxes.empty());
}

TEST_F(ProgramChooser, WithNoPortalAndNoProgramAMessageBoxSaysWhatToInstall)
{
    KX::RCPtr<KX::LFileDialog> dialog(new KX::LFileDialog(WString(u".")));
    EXPECT_EQ(dialog->ShowOpenDialog(WString(u"A|*.a"), WString(u""), WString(u"Load"), false), KX::E_FAIL);
    EXPECT_EQ(dialog->ShowSaveDialog(WString(u"A|*.a"), WString(u""), WString(u"Save")), KX::E_FAIL);
    ASSERT_EQ(m_services.boxes.size(), 2u);
    EXPECT_EQ(m_services.boxes[0].flags, 0x10u);
    const std::string text = m_services.BoxLines()[0];
    for (const char* what : {"xdg-desktop-portal", "zenity", "kdialog"})
        EXPECT_NE(text.find(what), std::string::npos) << what;
    EXPECT_EQ(Narrow(dialog->GetFolder()), ".");
}

} // namespace
