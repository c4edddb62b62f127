#include <benchmark/benchmark.h>

#include <string>

#include "BenchDir.h"
#include "SettingsFile.h"

namespace quorrel::bench {
namespace {

// A settings file as a user keeps it: the author's details filled in, and lists of `entries`
// groups and `entries` firmware names.
std::string TypicalSettings(int entries) {
    std::string text =
        "; edited by hand\r\n[Patch Version]\r\nvalue=0.3\r\n\r\n[Author Info]\r\n"
        "NickName=Bench\r\nFullName=Bench Author\r\nEmail=bench@example.org\r\n"
        "www=http://quorrel.example.org/\r\nicq=123456\r\n\r\n[Group]\r\n";
    for (int i = 0; i < entries; ++i) {
        text += std::to_string(i) + "=Group number " + std::to_string(i) + "\r\n";
    }
    text += "\r\n[Firmware]\r\n";
    for (int i = 0; i < entries; ++i) {
        text += std::to_string(i) + "=FW" + std::to_string(100000 + i) + "\r\n";
    }
    return text;
}

void BM_LoadAuthorSettings(benchmark::State& state) {
    const std::string path = BenchFile("author.ini");
    WriteWholeFile(path, TypicalSettings(static_cast<int>(state.range(0))));
    const SettingsFile settings(path);
    for (auto _ : state) {
        const AuthorSettings loaded = settings.LoadAuthorSettings();
        if (loaded.author.nickname != "Bench") {
            state.SkipWithError("the settings did not read back");
            break;
        }
        benchmark::DoNotOptimize(loaded.author.icq.data());
    }
}
BENCHMARK(BM_LoadAuthorSettings)->Arg(20)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_ReadSettingList(benchmark::State& state) {
    const std::string path = BenchFile("lists.ini");
    const auto entries = static_cast<std::size_t>(state.range(0));
    WriteWholeFile(path, TypicalSettings(static_cast<int>(entries)));
    const SettingsFile settings(path);
    for (auto _ : state) {
        const std::vector<std::string> list = settings.ReadSettingList("Firmware");
        if (list.size() != entries) {
            state.SkipWithError("the list did not read back whole");
            break;
        }
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(entries));
}
BENCHMARK(BM_ReadSettingList)->Arg(20)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorrel::bench
