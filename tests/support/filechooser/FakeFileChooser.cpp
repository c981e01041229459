#include "FakeFileChooser.h"

#include <dbus/dbus.h>

#include <string_view>

namespace kxtest {

namespace {

constexpr const char* kPortalName = "org.freedesktop.portal.Desktop";
constexpr const char* kFileChooser = "org.freedesktop.portal.FileChooser";
constexpr const char* kRequest = "org.freedesktop.portal.Request";

std::string GetString(DBusMessageIter* it)
{
    const char* text = "";
    if (dbus_message_iter_get_arg_type(it) == DBUS_TYPE_STRING)
        dbus_message_iter_get_basic(it, &text);
    return text;
}

// (sa(us))
PortalFilter ReadFilter(DBusMessageIter* record)
{
    PortalFilter filter;
    DBusMessageIter fields;
    dbus_message_iter_recurse(record, &fields);
    filter.name = GetString(&fields);
    dbus_message_iter_next(&fields);
    DBusMessageIter list;
    dbus_message_iter_recurse(&fields, &list);
    for (; dbus_message_iter_get_arg_type(&list) == DBUS_TYPE_STRUCT; dbus_message_iter_next(&list)) {
        DBusMessageIter pair;
        dbus_message_iter_recurse(&list, &pair);
        dbus_uint32_t kind = 0;
        dbus_message_iter_get_basic(&pair, &kind);
        dbus_message_iter_next(&pair);
        filter.patterns.emplace_back(kind, GetString(&pair));
    }
    return filter;
}

void ReadOption(PortalCall& call, const std::string& key, DBusMessageIter* value)
{
    call.optionKeys.push_back(key);
    const int type = dbus_message_iter_get_arg_type(value);
    if (key == "handle_token") {
        call.handleToken = GetString(value);
    } else if (key == "multiple" && type == DBUS_TYPE_BOOLEAN) {
        dbus_bool_t flag = FALSE;
        dbus_message_iter_get_basic(value, &flag);
        call.multiple = flag;
    } else if (key == "filters" && type == DBUS_TYPE_ARRAY) {
        DBusMessageIter list;
        dbus_message_iter_recurse(value, &list);
        for (; dbus_message_iter_get_arg_type(&list) == DBUS_TYPE_STRUCT; dbus_message_iter_next(&list))
            call.filters.push_back(ReadFilter(&list));
    } else if (key == "current_filter" && type == DBUS_TYPE_STRUCT) {
        call.currentFilter = ReadFilter(value).name;
    } else if (key == "current_name") {
        call.hasCurrentName = true;
        call.currentName = GetString(value);
    } else if (key == "current_folder" && type == DBUS_TYPE_ARRAY) {
        DBusMessageIter bytes;
        dbus_message_iter_recurse(value, &bytes);
        const char* data = nullptr;
        int count = 0;
        dbus_message_iter_get_fixed_array(&bytes, &data, &count);
        call.hasCurrentFolder = true;
        call.folderEndsInNul = count > 0 && data[count - 1] == '\0';
        call.currentFolder.assign(data, call.folderEndsInNul ? count - 1 : count);
    }
}

PortalCall ReadCall(DBusMessage* message)
{
    PortalCall call;
    call.method = dbus_message_get_member(message);
    DBusMessageIter it;
    if (!dbus_message_iter_init(message, &it))
        return call;
    call.parentWindow = GetString(&it);
    dbus_message_iter_next(&it);
    call.title = GetString(&it);
    dbus_message_iter_next(&it);
    if (dbus_message_iter_get_arg_type(&it) != DBUS_TYPE_ARRAY)
        return call;
    DBusMessageIter dict;
    dbus_message_iter_recurse(&it, &dict);
    for (; dbus_message_iter_get_arg_type(&dict) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(&dict)) {
        DBusMessageIter entry;
        dbus_message_iter_recurse(&dict, &entry);
        const std::string key = GetString(&entry);
        dbus_message_iter_next(&entry);
        DBusMessageIter value;
        dbus_message_iter_recurse(&entry, &value);
        ReadOption(call, key, &value);
    }
    return call;
}

void SendResponse(DBusConnection* connection, const std::string& handle, const char* destination,
                  const PortalAnswer& answer)
{
    DBusMessage* signal = dbus_message_new_signal(handle.c_str(), kRequest, "Response");
    dbus_message_set_destination(signal, destination);
    DBusMessageIter args;
    DBusMessageIter results;
    DBusMessageIter entry;
    DBusMessageIter variant;
    DBusMessageIter uris;
    dbus_message_iter_init_append(signal, &args);
    const dbus_uint32_t code = answer.code;
    dbus_message_iter_append_basic(&args, DBUS_TYPE_UINT32, &code);
    dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &results);
    if (answer.code == 0) {
        const char* key = "uris";
        dbus_message_iter_open_container(&results, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
        dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
        dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "as", &variant);
        dbus_message_iter_open_container(&variant, DBUS_TYPE_ARRAY, "s", &uris);
        for (const std::string& uri : answer.uris) {
            const char* text = uri.c_str();
            dbus_message_iter_append_basic(&uris, DBUS_TYPE_STRING, &text);
        }
        dbus_message_iter_close_container(&variant, &uris);
        dbus_message_iter_close_container(&entry, &variant);
        dbus_message_iter_close_container(&results, &entry);
    }
    dbus_message_iter_close_container(&args, &results);
    dbus_connection_send(connection, signal, nullptr);
    dbus_message_unref(signal);
}

void Reply(DBusConnection* connection, DBusMessage* reply)
{
    if (reply) {
        dbus_connection_send(connection, reply, nullptr);
        dbus_message_unref(reply);
    }
}

} // namespace

FakeFileChooser::FakeFileChooser(const std::string& busAddress) : m_address(busAddress)
{
    DBusError error;
    dbus_error_init(&error);
    m_connection = dbus_connection_open_private(busAddress.c_str(), &error);
    if (m_connection) {
        dbus_connection_set_exit_on_disconnect(m_connection, FALSE);
        if (dbus_bus_register(m_connection, &error) &&
            dbus_bus_request_name(m_connection, kPortalName, DBUS_NAME_FLAG_DO_NOT_QUEUE, &error) ==
                DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER)
            m_ready = true;
    }
    dbus_error_free(&error);
    if (m_connection)
        m_thread = std::thread([this] { Loop(); });
}

FakeFileChooser::~FakeFileChooser()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_connection) {
        dbus_connection_close(m_connection);
        dbus_connection_unref(m_connection);
    }
}

void FakeFileChooser::Script(const PortalAnswer& answer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(answer);
}

std::vector<PortalCall> FakeFileChooser::Calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

PortalAnswer FakeFileChooser::NextAnswer()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_answers.empty()) {
        m_last = m_answers.front();
        m_answers.pop_front();
    }
    return m_last;
}

void FakeFileChooser::Loop()
{
    while (!m_stop && dbus_connection_read_write(m_connection, 20)) {
        while (DBusMessage* message = dbus_connection_pop_message(m_connection)) {
            Handle(message);
            dbus_message_unref(message);
        }
        if (m_holding && (m_release || std::chrono::steady_clock::now() - m_heldSince > std::chrono::seconds(10))) {
            SendResponse(m_connection, m_heldHandle, m_heldSender.c_str(), m_held);
            m_holding = false;
            m_release = false;
        }
        dbus_connection_flush(m_connection);
    }
}

void FakeFileChooser::Handle(DBusMessage* message)
{
    if (dbus_message_get_type(message) != DBUS_MESSAGE_TYPE_METHOD_CALL)
        return;
    if (dbus_message_is_method_call(message, kRequest, "Close")) {
        ++m_closes;
        Reply(m_connection, dbus_message_new_method_return(message));
        return;
    }
    if (!dbus_message_is_method_call(message, kFileChooser, "OpenFile") &&
        !dbus_message_is_method_call(message, kFileChooser, "SaveFile")) {
        Reply(m_connection, dbus_message_new_error(message, DBUS_ERROR_UNKNOWN_METHOD, "not a file chooser call"));
        return;
    }
    PortalCall call = ReadCall(message);
    const PortalAnswer answer = NextAnswer();
    const char* sender = dbus_message_get_sender(message);
    std::string client = sender ? sender + 1 : "";
    for (char& c : client)
        c = c == '.' ? '_' : c;
    call.handle = "/org/freedesktop/portal/desktop/request/" + client + "/" +
                  (call.handleToken.empty() ? std::string("t") : call.handleToken);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(call);
    }
    if (answer.kind == PortalAnswer::Kind::Refuse) {
        Reply(m_connection, dbus_message_new_error(message, "org.freedesktop.portal.Error.NotAllowed", "refused"));
        return;
    }
    DBusMessage* reply = dbus_message_new_method_return(message);
    const char* path = call.handle.c_str();
    dbus_message_append_args(reply, DBUS_TYPE_OBJECT_PATH, &path, DBUS_TYPE_INVALID);
    Reply(m_connection, reply);
    if (answer.kind == PortalAnswer::Kind::Respond) {
        SendResponse(m_connection, call.handle, sender, answer);
    } else if (answer.kind == PortalAnswer::Kind::Held) {
        m_heldHandle = call.handle;
        m_heldSender = sender ? sender : "";
        m_held = answer;
        m_heldSince = std::chrono::steady_clock::now();
        m_holding = true;
    } else if (answer.kind == PortalAnswer::Kind::Impostor) {
        DBusError error;
        dbus_error_init(&error);
        if (DBusConnection* other = dbus_connection_open_private(m_address.c_str(), &error)) {
            if (dbus_bus_register(other, &error)) {
                SendResponse(other, call.handle, sender, answer);
                dbus_connection_flush(other);
            }
            dbus_connection_close(other);
            dbus_connection_unref(other);
        }
        dbus_error_free(&error);
    } else if (answer.kind == PortalAnswer::Kind::Vanish) {
        dbus_connection_flush(m_connection);
        DBusError error;
        dbus_error_init(&error);
        dbus_bus_release_name(m_connection, kPortalName, &error);
        dbus_error_free(&error);
        m_ready = false;
    }
}

} // namespace kxtest
