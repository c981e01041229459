#pragma once
// Owning wrappers of libdbus's connection, message and error, and helpers for a{sv} option lists.
#include <dbus/dbus.h>

#include <memory>
#include <string>

namespace platform::filechooser::detail {

struct ConnectionCloser {
    void operator()(DBusConnection* connection) const
    {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
// A private connection: closed and released when dropped.
using PrivateConnection = std::unique_ptr<DBusConnection, ConnectionCloser>;

struct MessageReleaser {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageReleaser>;

class Error {
public:
    Error() { dbus_error_init(&m_error); }
    ~Error() { dbus_error_free(&m_error); }
    Error(const Error&) = delete;
    Error& operator=(const Error&) = delete;
    DBusError* Get() { return &m_error; }
    bool IsSet() const { return dbus_error_is_set(&m_error); }
    std::string Text() const
    {
        if (!IsSet())
            return std::string();
        return std::string(m_error.name ? m_error.name : "") + ": " + (m_error.message ? m_error.message : "");
    }

private:
    DBusError m_error;
};

} // namespace platform::filechooser::detail
