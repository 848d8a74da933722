// Speed of the line diff: two 10,000-line files with 1 % of their lines changed (target 5 ms),
// and two 100,000-line files holding the same lines shuffled, which reaches the bounds (target
// 300 ms).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "qel/diff.h"

namespace {

std::vector<std::string> numbered_lines(int32_t count)
{
    std::vector<std::string> lines;
    for (int32_t i = 0; i < count; i++)
        lines.push_back("    total += price_of(row_" + std::to_string(i % 977) + ", " + std::to_string(i) + ");\n");
    return lines;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& line : lines) s += line;
    return s;
}

void run_diff(benchmark::State& state, const std::string& a, const std::string& b)
{
    qel_diff_summary s = {};
    for (auto _ : state) benchmark::DoNotOptimize(qel_diff_texts(a.data(), a.size(), b.data(), b.size(), 0, nullptr, 0, &s));
    state.counters["hunks"] = s.hunk_count;
    state.counters["limit"] = s.limit_reached;
}

}  // namespace

static void diff_one_percent(benchmark::State& state)
{
    std::vector<std::string> lines = numbered_lines(10000);
    std::string a = joined(lines);
    std::mt19937 rng(5);
    for (int32_t i = 0; i < 100; i++) lines[rng() % lines.size()] = "    changed();\n";
    run_diff(state, a, joined(lines));
}
BENCHMARK(diff_one_percent)->Unit(benchmark::kMillisecond);

static void diff_shuffled(benchmark::State& state)
{
    std::vector<std::string> lines = numbered_lines(100000);
    std::string a = joined(lines);
    std::shuffle(lines.begin(), lines.end(), std::mt19937(9));
    run_diff(state, a, joined(lines));
}
BENCHMARK(diff_shuffled)->Unit(benchmark::kMillisecond);
