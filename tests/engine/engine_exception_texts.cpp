// The failed-result exceptions of the engine, the preset manager and the MIDI manager:
// each provoked for real and its whole text compared.
#include "MidiManagerSupport.h"

#include "engine/PresetManager.h"
#include "engine/RootModuleEngine.h"

#include "kx/Exception.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace mmtest;

// An engine whose handler registration at the centre fails.
class UnregistrableEngine : public LRootModuleEngine {
public:
    UnregistrableEngine() : LRootModuleEngine(Options()) {}

protected:
    KX::KXRESULT RegisterChangeRequestHandler() override { return KX::E_OUTOFMEMORY; }
};

struct ThrowCase {
    const char* name;
    std::function<void()> provoke;
    const char* text;
};

void PrintTo(const ThrowCase& c, std::ostream* os)
{
    *os << c.name;
}

// A MIDI manager operation over the port double, set up by configure.
std::function<void()> MidiOperation(std::function<void(FakePortManager&)> configure,
                                    std::function<void(FakePortManager&)> operation)
{
    return [configure, operation] {
        ScopedEngine engine;
        KX::RCPtr<FakePortManager> manager(new FakePortManager);
        configure(*manager);
        operation(*manager);
    };
}

void GetPreset(FakePortManager& m)
{
    m.GetPresetFromMidiDevice(1);
}

void RequestGlobal(FakePortManager& m)
{
    m.RequestNonPresetParameterFromDevice(u"KEY_OCTAVE", true);
}

void CheckFirmware(FakePortManager& m)
{
    m.IsDeviceFirmwareVersionUseable();
}

std::function<void(FakePortManager&)> FailBind(int at)
{
    return [at](FakePortManager& m) { m.failBindAt = at; };
}

std::function<void(FakePortManager&)> DropBindingOn(int request)
{
    return [request](FakePortManager& m) { m.dropBindingOn = request; };
}

const ThrowCase kCases[] = {
    {"engine registration",
     [] {
         KX::RCPtr<UnregistrableEngine> engine(new UnregistrableEngine);
         engine->Initialize(0);
     },
     "Failed Result : KXRESULT = 8007000E : LRootModuleEngine::Initialize : "
     "Engine\\PresetEditorCommon\\RootModuleEngine : Line 237"},
    {"preset manager binding", [] { KX::LPresetManager::Create(KX::RCPtr<KX::LNotificationDistributor>()); },
     "Failed Result : KXRESULT = 80070057 : KX::LPresetManager::Create : UI\\DriverCommon\\PresetManager : Line 29"},
    // Get: subscribe, the firmware check's subscribe and loop, then the get's own loop.
    {"get binding", MidiOperation(FailBind(4), GetPreset),
     "Failed Result : KXRESULT = 8007000E : KX::LMidiManager::GetPresetFromMidiDevice : "
     "Engine\\PresetEditorCommon\\MidiManager : Line 265"},
    {"get unbinding", MidiOperation(DropBindingOn(0x62), GetPreset),
     "Failed Result : KXRESULT = 80004005 : KX::LMidiManager::GetPresetFromMidiDevice : "
     "Engine\\PresetEditorCommon\\MidiManager : Line 301"},
    {"request binding", MidiOperation(FailBind(2), RequestGlobal),
     "Failed Result : KXRESULT = 8007000E : KX::LMidiManager::RequestNonPresetParameterFromDevice : "
     "Engine\\PresetEditorCommon\\MidiManager : Line 419"},
    {"request unbinding", MidiOperation(DropBindingOn(0x6B), RequestGlobal),
     "Failed Result : KXRESULT = 80004005 : KX::LMidiManager::RequestNonPresetParameterFromDevice : "
     "Engine\\PresetEditorCommon\\MidiManager : Line 450"},
    {"firmware binding", MidiOperation(FailBind(2), CheckFirmware),
     "Failed Result : KXRESULT = 8007000E : KX::LMidiManager::IsDeviceFirmwareVersionUseable : "
     "Engine\\PresetEditorCommon\\MidiManager : Line 487"},
    {"firmware unbinding", MidiOperation(DropBindingOn(FakePortObject::kIdentity), CheckFirmware),
     "Failed Result : KXRESULT = 80004005 : KX::LMidiManager::IsDeviceFirmwareVersionUseable : "
     "Engine\\PresetEditorCommon\\MidiManager : Line 518"},
};

class EngineExceptionText : public ::testing::TestWithParam<ThrowCase> {};

TEST_P(EngineExceptionText, IsExactlyTheFixedText)
{
    const ThrowCase& c = GetParam();
    try {
        c.provoke();
        FAIL() << "no exception";
    } catch (const KX::FailedResultException& e) {
        EXPECT_EQ(std::string(dynamic_cast<const std::exception&>(e).what()), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(AllPlaces, EngineExceptionText, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ThrowCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 if (*p != ' ')
                                     name.push_back(*p);
                             return name;
                         });

} // namespace
