// The desktop portal's FileChooser on a private session-bus connection: OpenFile or SaveFile, then a
// bounded wait for the Request's Response signal.
#include "DBusHandles.h"
#include "platform/filechooser/FileChooser.h"
#include "platform/filechooser/FileUri.h"
#include "platform/posix/ForkGuard.h"
#include "platform/posix/Utf.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::filechooser {

namespace {

constexpr const char* kPortalName = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kFileChooser = "org.freedesktop.portal.FileChooser";
constexpr const char* kRequest = "org.freedesktop.portal.Request";
// How long one turn of the wait blocks on the connection.
constexpr int kSliceMs = 100;

using detail::Error;
using detail::Message;
using detail::PrivateConnection;

std::string BusAddress(const Options& options)
{
    if (!options.busAddress.empty())
        return options.busAddress;
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return address;
    // Without the variable, only the user's bus socket; never libdbus's auto-launch.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const std::string socket = std::string(runtime) + "/bus";
        struct stat info {};
        if (stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
            return "unix:path=" + socket;
    }
    return std::string();
}

// libdbus refuses (and aborts on) strings that are not UTF-8.
std::string ValidUtf8(const std::string& text)
{
    return posix::ToUtf8Replacing(posix::Utf8ToUtf16Replacing(text));
}

bool AppendString(DBusMessageIter* iter, const std::string& text)
{
    const std::string valid = ValidUtf8(text);
    const char* value = valid.c_str();
    return dbus_message_iter_append_basic(iter, DBUS_TYPE_STRING, &value);
}

// One "{sv}" entry of the options: open, fill the variant with write, close.
template <class Write>
bool AddOption(DBusMessageIter* dict, const char* key, const char* signature, Write write)
{
    DBusMessageIter entry;
    DBusMessageIter variant;
    if (!dbus_message_iter_open_container(dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry))
        return false;
    bool ok = dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key) &&
              dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature, &variant);
    if (ok) {
        ok = write(&variant);
        ok = dbus_message_iter_close_container(&entry, &variant) && ok;
    }
    return dbus_message_iter_close_container(dict, &entry) && ok;
}

// (sa(us)): the name and its globs (kind 0), letters matching either case.
bool AppendFilter(DBusMessageIter* parent, const Filter& filter)
{
    DBusMessageIter record;
    DBusMessageIter patterns;
    if (!dbus_message_iter_open_container(parent, DBUS_TYPE_STRUCT, nullptr, &record))
        return false;
    bool ok = AppendString(&record, filter.name) &&
              dbus_message_iter_open_container(&record, DBUS_TYPE_ARRAY, "(us)", &patterns);
    if (ok) {
        for (const std::string& glob : filter.patterns) {
            DBusMessageIter pair;
            const dbus_uint32_t kind = 0;
            ok = ok && dbus_message_iter_open_container(&patterns, DBUS_TYPE_STRUCT, nullptr, &pair);
            if (!ok)
                break;
            ok = dbus_message_iter_append_basic(&pair, DBUS_TYPE_UINT32, &kind) &&
                 AppendString(&pair, CaseInsensitiveGlob(glob));
            ok = dbus_message_iter_close_container(&patterns, &pair) && ok;
        }
        ok = dbus_message_iter_close_container(&record, &patterns) && ok;
    }
    return dbus_message_iter_close_container(parent, &record) && ok;
}

Message BuildCall(const Request& request, const std::string& parent, const std::string& token)
{
    const bool save = request.mode == Mode::Save;
    Message call(dbus_message_new_method_call(kPortalName, kPortalPath, kFileChooser, save ? "SaveFile" : "OpenFile"));
    if (!call)
        return call;
    DBusMessageIter args;
    DBusMessageIter dict;
    dbus_message_iter_init_append(call.get(), &args);
    const std::string title = !request.title.empty() ? request.title : save ? "Save File" : "Open File";
    bool ok = AppendString(&args, parent) && AppendString(&args, title) &&
              dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &dict);
    if (!ok)
        return Message();
    ok = AddOption(&dict, "handle_token", "s", [&](DBusMessageIter* v) { return AppendString(v, token); });
    if (request.mode == Mode::OpenMultiple) {
        ok = ok && AddOption(&dict, "multiple", "b", [](DBusMessageIter* v) {
                 const dbus_bool_t yes = TRUE;
                 return dbus_message_iter_append_basic(v, DBUS_TYPE_BOOLEAN, &yes);
             });
    }
    if (!request.filters.empty()) {
        ok = ok && AddOption(&dict, "filters", "a(sa(us))", [&](DBusMessageIter* v) {
                 DBusMessageIter list;
                 if (!dbus_message_iter_open_container(v, DBUS_TYPE_ARRAY, "(sa(us))", &list))
                     return false;
                 bool filled = true;
                 for (const Filter& filter : request.filters)
                     filled = filled && AppendFilter(&list, filter);
                 return dbus_message_iter_close_container(v, &list) && filled;
             });
        ok = ok && AddOption(&dict, "current_filter", "(sa(us))",
                             [&](DBusMessageIter* v) { return AppendFilter(v, request.filters.front()); });
    }
    if (save && !request.proposedName.empty())
        ok = ok && AddOption(&dict, "current_name", "s",
                             [&](DBusMessageIter* v) { return AppendString(v, request.proposedName); });
    if (!request.folder.empty()) {
        // A byte array ending in NUL.
        ok = ok && AddOption(&dict, "current_folder", "ay", [&](DBusMessageIter* v) {
                 DBusMessageIter bytes;
                 if (!dbus_message_iter_open_container(v, DBUS_TYPE_ARRAY, "y", &bytes))
                     return false;
                 const char* data = request.folder.c_str();
                 const bool filled = dbus_message_iter_append_fixed_array(&bytes, DBUS_TYPE_BYTE, &data,
                                                                          static_cast<int>(request.folder.size() + 1));
                 return dbus_message_iter_close_container(v, &bytes) && filled;
             });
    }
    ok = dbus_message_iter_close_container(&args, &dict) && ok;
    return ok ? std::move(call) : Message();
}

// The Response's code and its "uris" result.
bool ParseResponse(DBusMessage* message, uint32_t& code, std::vector<std::string>& uris)
{
    DBusMessageIter it;
    if (!dbus_message_iter_init(message, &it) || dbus_message_iter_get_arg_type(&it) != DBUS_TYPE_UINT32)
        return false;
    dbus_uint32_t value = 0;
    dbus_message_iter_get_basic(&it, &value);
    code = value;
    if (!dbus_message_iter_next(&it))
        return true;
    if (dbus_message_iter_get_arg_type(&it) != DBUS_TYPE_ARRAY ||
        dbus_message_iter_get_element_type(&it) != DBUS_TYPE_DICT_ENTRY)
        return false;
    DBusMessageIter dict;
    dbus_message_iter_recurse(&it, &dict);
    for (; dbus_message_iter_get_arg_type(&dict) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(&dict)) {
        DBusMessageIter entry;
        dbus_message_iter_recurse(&dict, &entry);
        const char* key = nullptr;
        dbus_message_iter_get_basic(&entry, &key);
        if (std::string_view(key) != "uris" || !dbus_message_iter_next(&entry))
            continue;
        DBusMessageIter variant;
        dbus_message_iter_recurse(&entry, &variant);
        if (dbus_message_iter_get_arg_type(&variant) != DBUS_TYPE_ARRAY ||
            dbus_message_iter_get_element_type(&variant) != DBUS_TYPE_STRING)
            return false;
        DBusMessageIter list;
        dbus_message_iter_recurse(&variant, &list);
        for (; dbus_message_iter_get_arg_type(&list) == DBUS_TYPE_STRING; dbus_message_iter_next(&list)) {
            const char* uri = nullptr;
            dbus_message_iter_get_basic(&list, &uri);
            uris.emplace_back(uri);
        }
    }
    return true;
}

bool AddMatch(DBusConnection* connection, const std::string& rule, std::string& error)
{
    Error failure;
    dbus_bus_add_match(connection, rule.c_str(), failure.Get());
    if (failure.IsSet())
        error = "portal: " + failure.Text();
    return !failure.IsSet();
}

std::string RequestToken()
{
    static std::atomic<uint32_t> counter{0};
    return "kx" + std::to_string(getpid()) + "_" + std::to_string(++counter);
}

std::string ResponseRule(const std::string& path)
{
    return "type='signal',interface='" + std::string(kRequest) + "',member='Response',path='" + path + "'";
}

// A private connection to the bus at the address, registered; null with the error filled.
PrivateConnection Connect(const std::string& address, std::string& failure)
{
    Error error;
    PrivateConnection connection(dbus_connection_open_private(address.c_str(), error.Get()));
    if (!connection) {
        failure = "portal: " + error.Text();
        return connection;
    }
    dbus_connection_set_exit_on_disconnect(connection.get(), FALSE);
    if (!dbus_bus_register(connection.get(), error.Get())) {
        failure = "portal: " + error.Text();
        return PrivateConnection();
    }
    return connection;
}

// The Request object's path follows from our bus name and the token.
std::string ExpectedRequestPath(DBusConnection* connection, const std::string& token)
{
    std::string sender = dbus_bus_get_unique_name(connection);
    sender.erase(0, 1);
    for (char& c : sender)
        c = c == '.' ? '_' : c;
    return std::string(kPortalPath) + "/request/" + sender + "/" + token;
}

// Listens for the Response at the path and for the portal leaving the bus.
bool ListenBeforeCalling(DBusConnection* connection, const std::string& expected, std::string& error)
{
    return AddMatch(connection, ResponseRule(expected), error) &&
           AddMatch(connection,
                    "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                    "member='NameOwnerChanged',arg0='" +
                        std::string(kPortalName) + "'",
                    error);
}

// True when the message says the portal that took the call left the bus.
bool PortalLeft(DBusMessage* m, const std::string& owner)
{
    const char* name = nullptr;
    const char* before = nullptr;
    const char* after = nullptr;
    return dbus_message_get_args(m, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &before, DBUS_TYPE_STRING,
                                 &after, DBUS_TYPE_INVALID) &&
           std::string_view(name) == kPortalName && owner == before;
}

// The Response signal into the result: chosen local files, cancelled, or an error.
void ReadResponse(DBusMessage* m, Result& result)
{
    uint32_t code = 2;
    std::vector<std::string> uris;
    if (!ParseResponse(m, code, uris)) {
        result.error = "portal: malformed response";
        return;
    }
    if (code == 1) {
        result.status = Status::Cancelled;
        return;
    }
    if (code != 0) {
        result.error = "portal: the dialog failed (response " + std::to_string(code) + ")";
        return;
    }
    for (const std::string& uri : uris) {
        std::optional<std::string> local = FileUriToPath(uri);
        if (!local) {
            result.error = "portal: not a local file: " + uri;
            result.paths.clear();
            return;
        }
        result.paths.push_back(std::move(*local));
    }
    if (result.paths.empty()) {
        result.error = "portal: answered no file";
        return;
    }
    result.status = Status::Chosen;
}

// Asks the portal to close the dialog of the request; no answer is awaited.
void CloseRequest(DBusConnection* connection, const std::string& owner, const std::string& path)
{
    Message close(dbus_message_new_method_call(owner.c_str(), path.c_str(), kRequest, "Close"));
    if (close) {
        dbus_message_set_no_reply(close.get(), TRUE);
        dbus_connection_send(connection, close.get(), nullptr);
        dbus_connection_flush(connection);
    }
}

// The bounded wait for the Response of the request at path from owner.
void AwaitResponse(DBusConnection* connection, const std::string& path, const std::string& owner,
                   const Options& options, Result& result)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(options.responseTimeoutMs);
    while (true) {
        while (Message message{dbus_connection_pop_message(connection)}) {
            DBusMessage* m = message.get();
            if (dbus_message_is_signal(m, "org.freedesktop.DBus", "NameOwnerChanged")) {
                if (PortalLeft(m, owner)) {
                    result.error = "portal: left the bus without answering";
                    return;
                }
                continue;
            }
            // Only the portal that took the call answers it.
            if (!dbus_message_is_signal(m, kRequest, "Response") || !dbus_message_has_path(m, path.c_str()) ||
                !dbus_message_has_sender(m, owner.c_str()))
                continue;
            ReadResponse(m, result);
            return;
        }
        // The program is quitting: the portal's dialog goes, nothing was chosen.
        if (platform::posix::TerminationSignalled()) {
            CloseRequest(connection, owner, path);
            result.status = Status::Cancelled;
            return;
        }
        if (options.responseTimeoutMs > 0 && Clock::now() >= deadline) {
            CloseRequest(connection, owner, path);
            result.error = "portal: no answer in time";
            return;
        }
        if (!dbus_connection_get_is_connected(connection) || !dbus_connection_read_write(connection, kSliceMs)) {
            result.error = "portal: the bus closed";
            return;
        }
    }
}

} // namespace

Result ChooseWithPortal(const Request& request, const Options& options)
{
    Result result;
    const std::string address = BusAddress(options);
    if (address.empty()) {
        result.error = "portal: no session bus";
        return result;
    }
    const PrivateConnection connection = Connect(address, result.error);
    if (!connection)
        return result;

    // Listen before calling.
    const std::string token = RequestToken();
    const std::string expected = ExpectedRequestPath(connection.get(), token);
    if (!ListenBeforeCalling(connection.get(), expected, result.error))
        return result;

    char parent[32] = "";
    if (request.x11Parent != 0)
        std::snprintf(parent, sizeof parent, "x11:%llx", static_cast<unsigned long long>(request.x11Parent));
    Message call = BuildCall(request, parent, token);
    if (!call) {
        result.error = "portal: out of memory";
        return result;
    }
    Error error;
    Message reply(
        dbus_connection_send_with_reply_and_block(connection.get(), call.get(), options.callTimeoutMs, error.Get()));
    const char* handle = nullptr;
    if (!reply || !dbus_message_get_args(reply.get(), error.Get(), DBUS_TYPE_OBJECT_PATH, &handle, DBUS_TYPE_INVALID)) {
        result.error = "portal: " + error.Text();
        return result;
    }
    const std::string path = handle;
    const std::string owner = dbus_message_get_sender(reply.get()) ? dbus_message_get_sender(reply.get()) : "";
    result.chooser = "portal";
    result.status = Status::Failed;
    if (path != expected && !AddMatch(connection.get(), ResponseRule(path), result.error))
        return result;
    AwaitResponse(connection.get(), path, owner, options, result);
    return result;
}

} // namespace platform::filechooser
