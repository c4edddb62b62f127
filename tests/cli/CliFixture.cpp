#include "CliFixture.h"

#include "DiffBuilder.h"

namespace quorrel::test {

const std::string& FullImagePath() {
    static const TempDir directory;
    static const std::string path = [] {
        std::string bytes(kImageSize, '\0');
        for (std::uint32_t i = 0; i < kImageSize; ++i) {
            bytes[i] = static_cast<char>((i * 7u + 3u) & 0xFFu);
        }
        const std::string file = directory.File("full.bin");
        WriteFile(file, bytes);
        return file;
    }();
    return path;
}

std::string GoodDiff() {
    return DiffBuilder().Nord(0x10, "\x01\x02").bytes();
}

void CliTest::SetUp() {
    settingsPath_ = Put("Quorrel.ini",
                        "[Patch Version]\nvalue=0.3\n"
                        "[Author Info]\nNickName=Nick\nFullName=Full Name\nEmail=a@b.example\n"
                        "www=http://w.example/\nicq=12345\n");
}

ProcessResult CliTest::Run(const std::vector<std::string>& args, const ProcessOptions& options) {
    std::vector<std::string> all{"--settings", settingsPath_};
    all.insert(all.end(), args.begin(), args.end());
    return RunProcess(QUORREL_CLI_PATH, all, options);
}

std::string CliTest::Put(const std::string& name, std::string_view bytes) const {
    const std::string path = dir_.File(name);
    WriteFile(path, bytes);
    return path;
}

}  // namespace quorrel::test
