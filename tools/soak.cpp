// Soak test: the whole game, headless, for many frames with random keys on
// the built-in level and on hostile level files, checking the player's state
// at every frame and sampling the memory in use.
//
//   soak [--scenario NAME|all] [--frames N] [--seed S] [--dt MS] [--samples K]
//
// NAME: builtin, nostart, enemies, edge, huge, swarm, pillars. --frames
// counts idle passes in all, shared equally by the scenarios; --samples is
// how often each run
// measures its resident memory. Without --seed one is taken from the clock
// and printed, and a failure prints the command that replays it. Without
// the sanitizers every run is also held to the level budget (LevelBudget.h):
// the longest load and frame in processor time, and the peak resident memory.
// Exit status: 0 every check held, 1 a check failed, 2 bad command line.
#include "platform/Numbers.h"
#include "scene/LevelBudget.h"
#include "testkit/SoakRun.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

int Usage(const char* problem) {
    std::fprintf(stderr,
                 "soak: %s\nusage: soak [--scenario "
                 "builtin|nostart|enemies|edge|huge|swarm|pillars|all] "
                 "[--frames N] [--seed S] [--dt MS] [--samples K]\n",
                 problem);
    return 2;
}

// Memory over the run: the first sample after the start-up settled, the
// last, and the largest, in kilobytes.
void PrintMemory(const soak::Report& report) {
    if (report.rss.size() < 2)
        return;
    const size_t settled = report.rss.size() > 4 ? 1 : 0;
    long largest = 0;
    for (const auto& sample : report.rss)
        largest = std::max(largest, sample.rssKb);
    std::printf("  rss kB:");
    for (const auto& sample : report.rss)
        std::printf(" %d:%ld", sample.pass, sample.rssKb);
    std::printf("\n  rss from pass %d to the end: %ld -> %ld kB (%+ld), largest %ld kB\n",
                report.rss[settled].pass, report.rss[settled].rssKb, report.rss.back().rssKb,
                report.rss.back().rssKb - report.rss[settled].rssKb, largest);
}

// The sanitizers slow every frame and hold freed memory back, so a build
// with them cannot be held to the budget.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
const bool kCheckBudget = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
const bool kCheckBudget = false;
#else
const bool kCheckBudget = true;
#endif
#else
const bool kCheckBudget = true;
#endif

// What of the level budget a run exceeded, "" when it held.
std::string OverBudget(const soak::Report& report) {
    const long maxLoad = long(kMaxLoadMicros), maxFrame = long(kMaxFrameMicros);
    if (report.startMicros > maxLoad || report.longestLoadMicros > maxLoad)
        return "a level load took longer than the budget's " + std::to_string(maxLoad / 1000) +
               " ms";
    if (report.longestFrameMicros > maxFrame)
        return "a frame took longer than the budget's " + std::to_string(maxFrame / 1000) + " ms";
    if (uint64_t(report.peakRssKb) * 1024 > kMaxGameBytes)
        return "the resident memory went past the budget's " + std::to_string(kMaxGameBytes >> 20) +
               " MB";
    return "";
}

} // namespace

int main(int argc, char** argv) {
    std::vector<soak::Scenario> scenarios(std::begin(soak::kScenarios), std::end(soak::kScenarios));
    int64_t frames = 100000, seed = -1, dt = 16, samples = 20;
    // Every option takes a value.
    for (int i = 1; i < argc; i += 2) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--scenario" && value != nullptr) {
            soak::Scenario s;
            if (std::strcmp(value, "all") == 0)
                scenarios.assign(std::begin(soak::kScenarios), std::end(soak::kScenarios));
            else if (soak::ScenarioByName(value, &s))
                scenarios.assign(1, s);
            else
                return Usage(("unknown scenario " + std::string(value)).c_str());
        } else if (arg == "--frames" && value != nullptr) {
            if (!ParseInteger(value, 1, 2000000000, &frames))
                return Usage("--frames needs a whole number from 1 to 2000000000");
        } else if (arg == "--seed" && value != nullptr) {
            if (!ParseInteger(value, 0, 4294967295LL, &seed))
                return Usage("--seed needs a whole number from 0 to 4294967295");
        } else if (arg == "--dt" && value != nullptr) {
            if (!ParseInteger(value, 0, 10000, &dt))
                return Usage("--dt needs a whole number of milliseconds from 0 to 10000");
        } else if (arg == "--samples" && value != nullptr) {
            if (!ParseInteger(value, 0, 10000, &samples))
                return Usage("--samples needs a whole number from 0 to 10000");
        } else {
            return Usage(("unknown or incomplete option " + arg).c_str());
        }
    }
    if (seed < 0)
        seed = static_cast<int64_t>(std::chrono::system_clock::now().time_since_epoch().count() %
                                    4294967296LL);

    bool allHeld = true;
    long long total = 0;
    for (soak::Scenario scenario : scenarios) {
        soak::Config config;
        config.scenario = scenario;
        config.seed = static_cast<uint32_t>(seed);
        config.frames = std::max(1, static_cast<int>(frames / int64_t(scenarios.size())));
        config.dtMs = static_cast<uint32_t>(dt);
        config.rssEvery = samples > 0 ? std::max(1, static_cast<int>(config.frames / samples)) : 0;
        std::printf("soak: %s, seed %u, %d frames of %u ms\n", soak::ScenarioName(scenario),
                    config.seed, config.frames, config.dtMs);
        std::fflush(stdout);
        const auto start = std::chrono::steady_clock::now();
        const soak::Report report = soak::Run(config);
        total += report.passes;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("  %d passes, %d world frames in %.1f s; exit %d; %d keys, %d catches, "
                    "%d dots, %d levels won, %d game-over boxes answered OK\n",
                    report.passes, report.frames, seconds, report.exitCode, report.keys,
                    report.catches, report.dotsEaten, report.levelsWon, report.gameOvers);
        std::printf("  the player ended at (%.2f, %.2f) heading %.1f with score %d and %d lives\n",
                    report.x, report.z, report.heading, report.score, report.lives);
        PrintMemory(report);
        std::printf("  budget: start-up %.1f ms, longest load %.1f ms, longest frame %.2f ms "
                    "(processor time); peak resident %ld MB\n",
                    report.startMicros / 1000.0, report.longestLoadMicros / 1000.0,
                    report.longestFrameMicros / 1000.0, report.peakRssKb >> 10);
        std::string failure = report.failure;
        int failedPass = report.failedPass;
        if (failure.empty() && kCheckBudget) {
            failure = OverBudget(report);
            failedPass = report.passes; // the longest frame or load may be anywhere in the run
        }
        if (failure.empty() && report.exitCode != 0) {
            failure = "the run ended with exit status " + std::to_string(report.exitCode);
            failedPass = report.passes;
        }
        if (failure.empty() && report.passes != config.frames) {
            failure = "the run ended early";
            failedPass = report.passes;
        }
        if (!failure.empty()) {
            allHeld = false;
            std::printf("  FAILED at pass %d: %s\n  replay: soak --scenario %s --seed %u "
                        "--frames %d --dt %u\n",
                        failedPass, failure.c_str(), soak::ScenarioName(scenario), config.seed,
                        failedPass, config.dtMs);
        }
        std::fflush(stdout);
    }
    std::printf("soak: %lld frames, %s\n", total, allHeld ? "every check held" : "FAILED");
    return allHeld ? 0 : 1;
}
