// GeneratePasswords against its floor: one SHA-1 of the same input plus the
// same number of draws from std::mt19937. Prints the ratio of the two.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

#include "bench/timing_reporter.h"
#include "charsets/char_list.h"
#include "engine/generate.h"
#include "engine/sha1.h"

namespace {

GenerationRequest request(int length, bool complexity)
{
    GenerationRequest r;
    r.ownerName = u"○○";
    r.seedText = u"TANE";
    r.charList = normalizeCharList(DefaultCharList);
    r.length = length;
    r.complexity = complexity;
    return r;
}

void generator(benchmark::State& state, int length, bool complexity)
{
    const GenerationRequest r = request(length, complexity);
    for (auto _ : state)
        benchmark::DoNotOptimize(GeneratePasswords(r));
}

void floorOf(benchmark::State& state, int length, bool complexity)
{
    const GenerationRequest r = request(length, complexity);
    std::string input(10, '\x82');
    for (char16_t u : r.ownerName + r.ownerKey + r.seedText)
        input.push_back(static_cast<char>(u & 0xFF));
    const int draws = length * length + 16 * length * (complexity ? 5 : 1);
    for (auto _ : state) {
        clx::sha1 h;
        h.compute(reinterpret_cast<const std::uint8_t*>(input.data()),
                  static_cast<std::uint32_t>(input.size()));
        std::mt19937 mt(h.word(0));
        std::uint32_t sink = 0;
        for (int i = 0; i < draws; ++i)
            sink ^= static_cast<std::uint32_t>(mt());
        benchmark::DoNotOptimize(sink);
    }
}

BENCHMARK_CAPTURE(generator, L10_plain, 10, false);
BENCHMARK_CAPTURE(floorOf, L10_plain, 10, false);
BENCHMARK_CAPTURE(generator, L99_complexity, 99, true);
BENCHMARK_CAPTURE(floorOf, L99_complexity, 99, true);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* name : {"L10_plain", "L99_complexity"}) {
        const double g = reporter.times["generator/" + std::string(name)];
        const double f = reporter.times["floorOf/" + std::string(name)];
        if (g > 0 && f > 0)
            std::printf("ratio generator/floor %-15s %.3f%s\n", name, g / f,
                        std::string(name) == "L99_complexity" ? "  (target <= 1.25)" : "");
    }
    benchmark::Shutdown();
}
