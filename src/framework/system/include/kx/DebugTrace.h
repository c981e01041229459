#pragma once
// The process's pair of debug trace streams, narrow and wide. Flushed text goes to the
// debugger output (standard error here) or, once a trace port of 1 or more is set, as one
// UDP datagram per flush to the trace host.
//
// The wide streams are streams of char16_t: write texts (u"...", WString::GetString()) and
// flush them with std::flush. std::endl and numbers need the standard library's character
// facets, which exist for char only: format wide text with WString::Format first.
#include "kx/KXResult.h"

#include <atomic>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

namespace KX {

// A string buffer that hands its text on at each flush and never holds more than 1023
// characters from a bulk write; a wide bulk write never cuts a surrogate pair.
template <class C>
class basic_debugbuf : public std::basic_stringbuf<C> {
public:
    basic_debugbuf() : std::basic_stringbuf<C>(std::ios_base::out) {}
    // Flushes, even when nothing is buffered.
    ~basic_debugbuf() override { sync(); }

protected:
    std::streamsize xsputn(const C* text, std::streamsize count) override;
    int sync() override;
};

// An output stream over its own debug buffer.
template <class C>
class basic_dostream : public std::basic_ostream<C> {
public:
    basic_dostream() : std::basic_ostream<C>(new basic_debugbuf<C>) {}
    ~basic_dostream() override { delete this->rdbuf(); }
    basic_dostream(const basic_dostream&) = delete;
    basic_dostream& operator=(const basic_dostream&) = delete;
};

// The process-wide trace object.
class DebugTrace {
public:
    DebugTrace();
    DebugTrace(const DebugTrace&) = delete;
    DebugTrace& operator=(const DebugTrace&) = delete;

    basic_dostream<char> narrowStream;
    basic_dostream<char16_t> wideStream;
    // What callers write to: the debug streams, or standard error after OpenDebugConsole.
    std::atomic<std::ostream*> narrowOut;
    std::atomic<std::basic_ostream<char16_t>*> wideOut;
};

DebugTrace& GetDebugTrace();
// The current narrow and wide trace outputs.
std::ostream& DebugOut();
std::basic_ostream<char16_t>& DebugOutW();

// For a result the caller goes on without (a binding to a part that may be missing): a failure
// is written to the trace as "what : KXRESULT = 80070057", so that it is not lost unseen.
void TraceFailedResult(KXRESULT hr, std::string_view what);

// Sets the trace port and, when host is neither null nor empty, the trace host (a name or a
// dotted address). A port below 1 sends the text to the debugger output again.
void SetDebugTraceTarget(const char* host, int32_t port);
std::string GetDebugTraceHost();
int32_t GetDebugTracePort();

// Makes standard input, output and error unbuffered, keeps the C++ streams in step with them
// and points the trace outputs at standard error.
void OpenDebugConsole();

// Sends text as one UDP datagram to host:port (host null or empty: the local computer). The
// first call opens the socket and announces the application with three datagrams. Silent on
// every failure.
void SendTraceDatagram(const char* host, int32_t port, const char* text);

// Standard error for UTF-16 text (written as UTF-8, unbuffered).
std::basic_ostream<char16_t>& WideErrorStream();

namespace Detail {
// Writes text to the debugger output.
void DebuggerOutput(const char* text);
void DebuggerOutput(const char16_t* text);
// Hands flushed text on as the trace configuration says.
void EmitTrace(const char* text);
void EmitTrace(const char16_t* text);
// Closes the trace socket, so that the next datagram starts over (opens, resolves, announces).
void ResetTraceSender();
} // namespace Detail

template <class C>
std::streamsize basic_debugbuf<C>::xsputn(const C* text, std::streamsize count)
{
    constexpr std::streamsize kLimit = 1023;
    std::streamsize written = 0;
    while (written < count) {
        const std::streamsize buffered = this->pptr() - this->pbase();
        if (buffered >= kLimit) {
            if constexpr (sizeof(C) == 2) {
                // A full buffer that ends on the first half of a pair (an earlier write ended
                // there) keeps that half for the next piece.
                const C last = this->pptr()[-1];
                if (last >= 0xD800 && last <= 0xDBFF) {
                    std::basic_string<C> text = this->str();
                    text.pop_back();
                    Detail::EmitTrace(text.c_str());
                    this->str(std::basic_string<C>());
                    std::basic_stringbuf<C>::xsputn(&last, 1);
                    continue;
                }
            }
            sync();
        }
        // The room is counted from before the flush: a step that flushed appends nothing.
        const std::streamsize room = buffered < kLimit ? kLimit - buffered : 0;
        std::streamsize take = room < count - written ? room : count - written;
        if constexpr (sizeof(C) == 2) {
            // A piece never ends on the first half of a surrogate pair: the pair goes whole into
            // the next piece.
            if (take > 0 && written + take < count && text[written + take - 1] >= 0xD800 &&
                text[written + take - 1] <= 0xDBFF) {
                if (--take == 0 && buffered > 0) {
                    sync();
                    continue;
                }
            }
        }
        if (take > 0)
            std::basic_stringbuf<C>::xsputn(text + written, take);
        written += take;
    }
    return written;
}

template <class C>
int basic_debugbuf<C>::sync()
{
    // The text ends at its first NUL, as a C string does.
    const std::basic_string<C> text = this->str();
    Detail::EmitTrace(text.c_str());
    this->str(std::basic_string<C>());
    return 0;
}

extern template class basic_debugbuf<char>;
extern template class basic_debugbuf<char16_t>;
extern template class basic_dostream<char>;
extern template class basic_dostream<char16_t>;

} // namespace KX
