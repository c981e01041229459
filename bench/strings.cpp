// Strings side by side with the standard library: copying, formatting and UTF-16 to UTF-8.
#include "kx/Format.h"
#include "kx/StringT.h"

#include <benchmark/benchmark.h>

#include <codecvt>
#include <cstdio>
#include <iconv.h>
#include <locale>
#include <string>

namespace {

std::u16string Sample(int length)
{
    std::u16string s;
    for (int i = 0; i < length; ++i)
        s.push_back(static_cast<char16_t>(u'a' + i % 26));
    return s;
}

// Text kinds for the conversion: 0 ASCII, 1 Latin with accents, 2 CJK, 3 with surrogate pairs.
std::u16string ConversionSample(int kind, int length)
{
    static const char16_t* const pieces[] = {u"Preset 12 Fader ", u"r\u00E9sum\u00E9 \u00C4rger ",
                                             u"\u97F3\u697D\u30D7\u30EA\u30BB\u30C3\u30C8 ",
                                             u"\U0001F3B9 keys \U0001F3B5 "};
    std::u16string s;
    for (const char16_t* p = pieces[kind]; static_cast<int>(s.size()) < length; ++p) {
        if (!*p)
            p = pieces[kind];
        s.push_back(*p);
    }
    if (s.back() >= 0xD800 && s.back() <= 0xDBFF)
        s.back() = u'x';
    return s;
}

void StringCopy_KX(benchmark::State& state)
{
    const std::u16string text = Sample(static_cast<int>(state.range(0)));
    const KX::WString source(text.c_str());
    for (auto _ : state) {
        KX::WString copy(source);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(StringCopy_KX)->Arg(7)->Arg(32)->Arg(256);

void StringCopy_Std(benchmark::State& state)
{
    const std::u16string source = Sample(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::u16string copy(source);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(StringCopy_Std)->Arg(7)->Arg(32)->Arg(256);

// The formatter alone, into a caller's buffer.
void FormatInto_KX(benchmark::State& state)
{
    char16_t out[256];
    int i = 0;
    for (auto _ : state) {
        ++i;
        KX::FormatTo(out, 256, u"%s %d: %.2f (0x%08X)", u"Fader", i, 0.5 * i, 0xBEEFu);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(FormatInto_KX);

void FormatInto_Snprintf(benchmark::State& state)
{
    char out[256];
    int i = 0;
    for (auto _ : state) {
        ++i;
        std::snprintf(out, sizeof out, "%s %d: %.2f (0x%08X)", "Fader", i, 0.5 * i, 0xBEEFu);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(FormatInto_Snprintf);

// A new string object holding the result.
void FormatString_KX(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state) {
        ++i;
        KX::WString s = KX::WString::Format(u"%s %d: %.2f (0x%08X)", u"Fader", i, 0.5 * i, 0xBEEFu);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(FormatString_KX);

void FormatString_Snprintf(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state) {
        ++i;
        char out[256];
        const int n = std::snprintf(out, sizeof out, "%s %d: %.2f (0x%08X)", "Fader", i, 0.5 * i, 0xBEEFu);
        std::string s(out, static_cast<size_t>(n));
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(FormatString_Snprintf);

void FormatInt_KX(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state) {
        KX::WString s = KX::WString::Format(u"buttonColumnHeader%d", ++i & 15);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(FormatInt_KX);

void FormatInt_Snprintf(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state) {
        char out[64];
        const int n = std::snprintf(out, sizeof out, "buttonColumnHeader%d", ++i & 15);
        std::string s(out, static_cast<size_t>(n));
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(FormatInt_Snprintf);

void ToUtf8_KX(benchmark::State& state)
{
    const std::u16string text = ConversionSample(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const KX::WString wide(text.c_str());
    for (auto _ : state) {
        KX::NString narrow(wide);
        benchmark::DoNotOptimize(narrow);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(ToUtf8_KX)->ArgsProduct({{0, 1, 2, 3}, {64, 1024}});

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
void ToUtf8_Codecvt(benchmark::State& state)
{
    const std::u16string text = ConversionSample(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t> convert;
    for (auto _ : state) {
        std::string narrow = convert.to_bytes(text);
        benchmark::DoNotOptimize(narrow);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
#pragma GCC diagnostic pop
BENCHMARK(ToUtf8_Codecvt)->ArgsProduct({{0, 1, 2, 3}, {64, 1024}});

void ToUtf8_Iconv(benchmark::State& state)
{
    const std::u16string text = ConversionSample(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
    for (auto _ : state) {
        std::string narrow(text.size() * 3, '\0');
        char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
        size_t inLeft = text.size() * 2;
        char* out = narrow.data();
        size_t outLeft = narrow.size();
        iconv(cd, &in, &inLeft, &out, &outLeft);
        narrow.resize(narrow.size() - outLeft);
        benchmark::DoNotOptimize(narrow);
    }
    iconv_close(cd);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(ToUtf8_Iconv)->ArgsProduct({{0, 1, 2, 3}, {64, 1024}});

} // namespace
