#include "platform/filechooser/FileChooser.h"

namespace platform::filechooser {

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

std::vector<Filter> ParseFilterList(std::string_view list)
{
    std::vector<Filter> filters;
    if (list.empty())
        return filters;
    const std::vector<std::string_view> parts = Split(list, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        Filter filter;
        filter.name = std::string(parts[i]);
        for (std::string_view pattern : Split(parts[i + 1], ';')) {
            pattern = Trim(pattern);
            if (pattern.empty())
                continue;
            filter.patterns.push_back(pattern == "*.*" ? std::string("*") : std::string(pattern));
        }
        if (!filter.patterns.empty())
            filters.push_back(std::move(filter));
    }
    return filters;
}

std::string CaseInsensitiveGlob(std::string_view glob)
{
    std::string out;
    bool inBracket = false;
    for (const char c : glob) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (inBracket || !letter) {
            if (c == '[')
                inBracket = true;
            else if (c == ']')
                inBracket = false;
            out.push_back(c);
            continue;
        }
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        const char upper = static_cast<char>(lower - 'a' + 'A');
        out += '[';
        out += lower;
        out += upper;
        out += ']';
    }
    return out;
}

Result Choose(const Request& request, const Options& options)
{
    std::string tried;
    const auto note = [&tried](const Result& result) {
        if (!result.error.empty())
            tried += (tried.empty() ? "" : "; ") + result.error;
    };
    if (options.usePortal) {
        Result result = ChooseWithPortal(request, options);
        if (result.status != Status::Unavailable)
            return result;
        note(result);
    }
    if (options.useZenity) {
        Result result = ChooseWithProgram(Program::Zenity, request);
        if (result.status != Status::Unavailable)
            return result;
        note(result);
    }
    if (options.useKdialog) {
        Result result = ChooseWithProgram(Program::Kdialog, request);
        if (result.status != Status::Unavailable)
            return result;
        note(result);
    }
    Result none;
    none.error = tried;
    return none;
}

} // namespace platform::filechooser
