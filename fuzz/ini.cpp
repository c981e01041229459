// Parses any bytes as a settings document. Whatever parses must write back to text that parses
// to the same text again, and edits made with values taken from the input must read back.
#include "inifile/IniDocument.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace KX::Ini;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ParseError error;
    auto doc = IniDocument::Parse(bytes, &error);
    if (!doc) {
        Check(!error.message.empty());
        return 0;
    }
    const std::string text = doc->Serialize();
    auto again = IniDocument::Parse(text);
    Check(again.has_value());
    Check(again->Serialize() == text);

    // A value from the input, stored as a key, into an existing key and as array items.
    std::string value(bytes.substr(0, 64));
    if (value.find('\0') != std::string::npos || !IsValidUtf8(value))
        value = "v";
    const NodePath top;
    const NodePath node{"Fuzz", "Node"};
    std::string existing = "fuzz";
    if (const std::string* name = doc->KeyNameAt(top, 0))
        existing = *name;
    doc->SetValue(top, existing, value);
    doc->SetValue(node, "k", value);
    const std::size_t before = doc->ArrayCount(node, "list");
    doc->SetArrayCount(node, "list", before + 2);
    doc->SetArrayItemAt(node, "list", before + 1, value);
    doc->RemoveArrayItemAt(node, "list", 0);

    const std::string edited = doc->Serialize();
    auto reread = IniDocument::Parse(edited);
    Check(reread.has_value());
    Check(reread->Serialize() == edited);
    const std::string* a = reread->FindValue(top, existing);
    const std::string* b = reread->FindValue(node, "k");
    Check(a && *a == value);
    Check(b && *b == value);
    Check(reread->ArrayCount(node, "list") == before + 1);
    const std::string* item = reread->ArrayItemAt(node, "list", before);
    Check(item && *item == value);
    Check(reread->NodeExists({"fuzz"}));
    return 0;
}
