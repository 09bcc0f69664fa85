// String against std::string doing the same work.
#include <benchmark/benchmark.h>

#include <string>

#include "tessaly/core/String.h"

using tessaly::core::String;

namespace {

std::string makeText(std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += static_cast<char>('a' + (i * 7) % 26);
    return s;
}

void BM_Copy_String(benchmark::State& state)
{
    const String src(makeText(static_cast<std::size_t>(state.range(0))).c_str());
    for (auto _ : state) {
        String copy = src;
        benchmark::DoNotOptimize(copy.text());
    }
}
void BM_Copy_StdString(benchmark::State& state)
{
    const std::string src = makeText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string copy = src;
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_Copy_String)->Arg(16)->Arg(33)->Arg(1024)->Arg(65536);
BENCHMARK(BM_Copy_StdString)->Arg(16)->Arg(33)->Arg(1024)->Arg(65536);

void BM_AppendChar1MB_String(benchmark::State& state)
{
    for (auto _ : state) {
        String s;
        for (int i = 0; i < (1 << 20); ++i)
            s += 'x';
        benchmark::DoNotOptimize(s.text());
    }
}
void BM_AppendChar1MB_StdString(benchmark::State& state)
{
    for (auto _ : state) {
        std::string s;
        for (int i = 0; i < (1 << 20); ++i)
            s += 'x';
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(BM_AppendChar1MB_String)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendChar1MB_StdString)->Unit(benchmark::kMillisecond);

void BM_Compare_String(benchmark::State& state)
{
    const std::string t = makeText(1024);
    const String a(t.c_str()), b(t.c_str());
    for (auto _ : state)
        benchmark::DoNotOptimize(a == b);
}
void BM_Compare_StdString(benchmark::State& state)
{
    const std::string a = makeText(1024), b = makeText(1024);
    for (auto _ : state)
        benchmark::DoNotOptimize(a == b);
}
BENCHMARK(BM_Compare_String);
BENCHMARK(BM_Compare_StdString);

void BM_IndexOf_String(benchmark::State& state)
{
    const std::string t = makeText(4096) + "needle";
    const String s(t.c_str());
    for (auto _ : state)
        benchmark::DoNotOptimize(s.indexOf("needle"));
}
void BM_IndexOf_StdString(benchmark::State& state)
{
    const std::string t = makeText(4096) + "needle";
    for (auto _ : state)
        benchmark::DoNotOptimize(t.find("needle"));
}
BENCHMARK(BM_IndexOf_String);
BENCHMARK(BM_IndexOf_StdString);

void BM_ReplaceAll_String(benchmark::State& state)
{
    const std::string t = makeText(4096);
    const String s(t.c_str());
    for (auto _ : state) {
        String r = s.replaceAll("ab", "XYZ");
        benchmark::DoNotOptimize(r.text());
    }
}
void BM_ReplaceAll_StdString(benchmark::State& state)
{
    const std::string t = makeText(4096);
    for (auto _ : state) {
        std::string out;
        out.reserve(t.size());
        std::size_t pos = 0, hit;
        while ((hit = t.find("ab", pos)) != std::string::npos) {
            out.append(t, pos, hit - pos);
            out += "XYZ";
            pos = hit + 2;
        }
        out.append(t, pos, std::string::npos);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ReplaceAll_String);
BENCHMARK(BM_ReplaceAll_StdString);

} // namespace

BENCHMARK_MAIN();
