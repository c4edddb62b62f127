#include "CliFixture.h"

#include "DiffBuilder.h"

namespace quorrel::test {

std::string GoodDiff() {
    return DiffBuilder().Nord(0x10, "\x01\xab\xff").bytes();
}

std::string Attribute(const std::string& patch, const std::string& element,
                      const std::string& name) {
    const auto start = patch.find("<" + element + " ");
    const auto end = patch.find('>', start);
    const auto at = patch.find(" " + name + "=\"", start);
    if (start == std::string::npos || at == std::string::npos || at > end) {
        return "<none>";
    }
    const auto begin = at + name.size() + 3;
    return patch.substr(begin, patch.find('"', begin) - begin);
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
