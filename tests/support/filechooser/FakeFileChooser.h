#pragma once
// A desktop portal's FileChooser for tests: owns org.freedesktop.portal.Desktop on a bus, records
// what each OpenFile/SaveFile call asked for and answers it as scripted. Runs its own thread with
// its own connection; every member function may be called from any thread. No GoogleTest here.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct DBusConnection;
struct DBusMessage;

namespace kxtest {

struct PortalFilter {
    std::string name;
    std::vector<std::pair<uint32_t, std::string>> patterns; // (kind, pattern)
};

// One call as the fake received it.
struct PortalCall {
    std::string method; // "OpenFile" or "SaveFile"
    std::string parentWindow;
    std::string title;
    std::string handleToken;
    std::string handle; // the Request path answered
    bool multiple = false;
    std::vector<PortalFilter> filters;
    std::string currentFilter; // its name
    bool hasCurrentName = false;
    std::string currentName;
    bool hasCurrentFolder = false;
    std::string currentFolder; // without its ending NUL
    bool folderEndsInNul = false;
    std::vector<std::string> optionKeys;
};

struct PortalAnswer {
    enum class Kind {
        Respond,  // the handle, then Response(code, {"uris": uris})
        Silent,   // the handle, no Response (until the client closes the Request)
        Vanish,   // the handle, then the fake leaves the bus
        Refuse,   // an error instead of the handle
        Impostor, // the handle; Response(code, uris) comes from another connection, none from the fake
        Held,     // the handle; the Response once Release() is called (or after ten seconds)
    };
    Kind kind = Kind::Respond;
    uint32_t code = 0;
    std::vector<std::string> uris;
};

class FakeFileChooser {
public:
    explicit FakeFileChooser(const std::string& busAddress);
    ~FakeFileChooser();
    FakeFileChooser(const FakeFileChooser&) = delete;
    FakeFileChooser& operator=(const FakeFileChooser&) = delete;

    // Whether it owns the portal's name.
    bool IsReady() const { return m_ready; }
    // Answers for the next calls, in order; once they are used up the last one keeps answering
    // (a cancel before any is given).
    void Script(const PortalAnswer& answer);
    std::vector<PortalCall> Calls() const;
    // How many Request.Close calls arrived.
    int CloseCount() const { return m_closes; }
    // Whether a Held answer waits, and its Response sent.
    bool IsHolding() const { return m_holding; }
    void Release() { m_release = true; }

private:
    void Loop();
    void Handle(DBusMessage* message);
    PortalAnswer NextAnswer();

    std::string m_address;
    DBusConnection* m_connection = nullptr;
    std::atomic<bool> m_ready{false};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_closes{0};
    std::atomic<bool> m_holding{false};
    std::atomic<bool> m_release{false};
    std::string m_heldHandle; // the fake's thread only
    std::string m_heldSender;
    PortalAnswer m_held;
    std::chrono::steady_clock::time_point m_heldSince;
    mutable std::mutex m_mutex;
    std::deque<PortalAnswer> m_answers;
    PortalAnswer m_last{PortalAnswer::Kind::Respond, 1, {}};
    std::vector<PortalCall> m_calls;
    std::thread m_thread;
};

} // namespace kxtest
