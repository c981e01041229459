#pragma once
// The program's identity: the version block compiled in at build time (company, product, version,
// copyright) read through KX::Version, the instance name built from it, and the start-up error text
// shown when the program cannot start.
#include "kx/StringT.h"

#include <cstdint>
#include <map>
#include <string>

namespace KX {

class Version {
public:
    // The block compiled into this program.
    Version();
    // A block of (key, UTF-8 text) pairs, for tests.
    explicit Version(std::map<std::string, std::string> strings);

    WString GetCompanyName() const { return QueryString(WString(u"CompanyName")); }
    WString GetProductName() const { return QueryString(WString(u"ProductName")); }
    WString GetProductVersion() const { return QueryString(WString(u"ProductVersion")); }
    WString GetCopyright() const { return QueryString(WString(u"LegalCopyright")); }
    // The text under key; empty when the block lacks it.
    WString QueryString(const WString& key) const;

private:
    std::map<std::string, std::string> m_strings;
};

// Company + "_" + product: names the single-instance lock, the window class and the placement's
// profile section. Built once and kept.
const WString& GetInstanceName();

// The application string "EXCEPTION_ID" formatted with code at its "%d" when the application and
// its string table exist; else the built-in English text with the code.
WString GetStartupErrorText(int32_t code);

} // namespace KX
