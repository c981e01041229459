#include "kx/Exception.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

struct Sample {};
template <class A, class B>
struct Holder {
};

TEST(FormatResultCode, PrintsUpperCaseHexWithoutPadding)
{
    EXPECT_EQ(KX::FormatResultCode(KX::E_FAIL), "KXRESULT = 80004005");
    EXPECT_EQ(KX::FormatResultCode(0), "KXRESULT = 0");
    EXPECT_EQ(KX::FormatResultCode(KX::E_OUTOFMEMORY), "KXRESULT = 8007000E");
    EXPECT_EQ(KX::FormatResultCode(0x1F), "KXRESULT = 1F");
    EXPECT_EQ(KX::FormatResultCode(-1), "KXRESULT = FFFFFFFF");
}

TEST(ExceptionText, OmitsEmptyDetailSeparator)
{
    EXPECT_EQ(KX::ExceptionText(KX::Kind::RuntimeError, "", "KX::LRefCountedObject::SetUnshareable",
                                "ObjectBase\\RefCountedObject", 29),
              "Runtime Error : KX::LRefCountedObject::SetUnshareable : ObjectBase\\RefCountedObject : Line 29");
    EXPECT_EQ(KX::ExceptionText(KX::Kind::LogicError, "Undo() not implemented for RefCountedObject",
                                "KX::LRefCountedObject::Undo", "kxframework\\objectbase\\RefCountedObject", 155),
              "Logic Error : Undo() not implemented for RefCountedObject : KX::LRefCountedObject::Undo : "
              "kxframework\\objectbase\\RefCountedObject : Line 155");
}

TEST(Exception, CaughtAsStandardBaseAndAsExceptionBaseWithSameText)
{
    try {
        KX::Throw<std::out_of_range>("", "KX::RCPtrArray<class LEncoder,1,0>::RemoveItem", "Storage/RCPtrArray", 7);
        FAIL() << "no throw";
    } catch (const KX::ExceptionBase& base) {
        const auto* std_side = dynamic_cast<const std::out_of_range*>(&base);
        ASSERT_NE(std_side, nullptr);
        EXPECT_STREQ(base.GetMessageText(), std_side->what());
        EXPECT_STREQ(base.GetMessageText(),
                     "Out of Range : KX::RCPtrArray<class LEncoder,1,0>::RemoveItem : Storage/RCPtrArray : Line 7");
    }
    EXPECT_THROW(KX::Throw<std::logic_error>("x", "f", "p", 1), std::logic_error);
    EXPECT_THROW(KX::Throw<std::runtime_error>("x", "f", "p", 1), std::exception);
    EXPECT_THROW(KX::Throw<std::domain_error>("x", "f", "p", 1), std::logic_error);
    EXPECT_THROW(KX::Throw<std::invalid_argument>("x", "f", "p", 1), KX::ExceptionBase);
}

TEST(Exception, CopyKeepsTextAfterOriginalIsGone)
{
    std::optional<KX::Exception<std::runtime_error>> original;
    original.emplace(KX::ExceptionText(KX::Kind::RuntimeError, "Null Pointer : x", "F", "P", 3));
    KX::Exception<std::runtime_error> copy(*original);
    original.reset();
    EXPECT_STREQ(copy.what(), "Runtime Error : Null Pointer : x : F : P : Line 3");
}

TEST(Exception, BadAllocCarriesFixedTextOnly)
{
    try {
        throw KX::Exception<std::bad_alloc>();
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
        EXPECT_STREQ(dynamic_cast<const KX::ExceptionBase&>(e).GetMessageText(), "bad allocation");
    }
}

TEST(Exception, FailedResultCarriesCodeAndIsCaughtAsEveryBase)
{
    const char* expected = "Failed Result : KXRESULT = 80004005 : KX::LMidiManager::GetPresetFromMidiDevice : "
                           "Engine\\PresetEditorCommon\\MidiManager : Line 265";
    try {
        KX::ThrowFailedResult(KX::E_FAIL, "KX::LMidiManager::GetPresetFromMidiDevice",
                              "Engine\\PresetEditorCommon\\MidiManager", 265);
    } catch (const KX::FailedResultException& e) {
        EXPECT_STREQ(e.what(), expected);
        EXPECT_STREQ(dynamic_cast<const KX::ExceptionBase&>(e).GetMessageText(), expected);
    }
    EXPECT_THROW(KX::CheckResult(KX::E_INVALIDARG, "f", "p", 1), std::exception);
    EXPECT_EQ(KX::CheckResult(KX::S_FALSE, "f", "p", 1), KX::S_FALSE);
}

TEST(TemplateArgName, ClassTypesGetClassPrefixAndNoBlankAfterCommas)
{
    EXPECT_EQ(KX::TemplateArgName<int>(), "int");
    EXPECT_EQ(KX::TemplateArgName<Sample>(), "class (anonymous namespace)::Sample");
    EXPECT_EQ(KX::UndecoratedTypeName(typeid(Holder<int, Sample>)),
              "(anonymous namespace)::Holder<int,(anonymous namespace)::Sample>");
    EXPECT_EQ(KX::UndecoratedTypeName(typeid(std::vector<int>)).find(", "), std::string::npos);
}

TEST(TemplateArgName, NestedClassArgumentsAreMarkedToo)
{
    using SampleHolder = Holder<Sample, int>;
    EXPECT_EQ(KX::TemplateArgName<SampleHolder>(),
              "class (anonymous namespace)::Holder<class (anonymous namespace)::Sample,int>");
    EXPECT_EQ(KX::MarkClassTemplateArgs("KX::LWrapper<KX::ParamValues,KX::LRefCountedObject>"),
              "KX::LWrapper<class KX::ParamValues,class KX::LRefCountedObject>");
    EXPECT_EQ(KX::MarkClassTemplateArgs("KX::StringT<char16_t,char>"), "KX::StringT<char16_t,char>");
    EXPECT_EQ(KX::MarkClassTemplateArgs("A<unsigned int,-1,B<long long,intx>>"),
              "A<unsigned int,-1,class B<long long,class intx>>");
}

} // namespace
