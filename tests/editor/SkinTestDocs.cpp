// The editor skin tests' documents.
#include "SkinTestDocs.h"

#include "StringDocs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

using namespace KX;

namespace skintest {

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (file)
        text << file.rdbuf();
    return text.str();
}

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetString();
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string ShippedStringsPath()
{
    std::string path = KX_EDITOR_STRINGS_SOURCE;
    const std::string source = ".utf8.xml";
    return path.substr(0, path.size() - source.size()) + ".xml";
}

std::string FrameworkStringsPath()
{
    return (std::filesystem::path(KX_EDITOR_STRINGS_SOURCE).parent_path() / "FrameworkStrings.xml").string();
}

RCPtr<LControlFactory> LoadEditorDocuments()
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(kAppName)));
    if (factory->LoadSkins(WString(KX_EDITOR_SKIN_FILE)) != S_OK) {
        ADD_FAILURE() << KX_EDITOR_SKIN_FILE << ":" << factory->GetLastXMLErrorLine() << ": "
                      << Narrow(factory->GetLastXMLErrorText());
        return nullptr;
    }
    if (factory->LoadStringTables(WString(ShippedStringsPath().c_str()), WString(FrameworkStringsPath().c_str()),
                                  0x0409) != S_OK ||
        factory->GetLastXMLErrorLine() != 0) {
        ADD_FAILURE() << ShippedStringsPath() << ":" << factory->GetLastXMLErrorLine() << ": "
                      << Narrow(factory->GetLastXMLErrorText());
        return nullptr;
    }
    return factory;
}

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

std::string WriteHarnessArea(const std::string& base)
{
    // One folder per process: ctest runs the tests of one program side by side.
    const std::string folder = base + "_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    Write(folder + "/editor_skin.xml", ReadFile(KX_EDITOR_SKIN_FILE));
    // Top-level controls' tables and the application's own are named after the application.
    std::string strings = ReadFile(KX_EDITOR_STRINGS_SOURCE);
    ReplaceAll(strings, "ID=\"PresetEditor|", "ID=\"ControlsTest|");
    ReplaceAll(strings, "ID=\"|PresetEditor\"", "ID=\"|ControlsTest\"");
    Write(folder + "/editor_strings.xml", strings);
    return folder + "/editor";
}

} // namespace skintest
