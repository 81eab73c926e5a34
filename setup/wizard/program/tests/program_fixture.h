// Runs of the real setup program on a private machine: the sample package made once per test
// program by samples/package/make_package, a root with AutoCAD 2010 imported by regtool, the
// answers and the transcript through DERO_ANSWERS and DERO_TRANSCRIPT.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "testing/files.h"
#include "testing/temp_folder.h"

namespace programtest {

namespace fs = std::filesystem;
using dero::testing::ReadFile;
using dero::testing::WriteFile;

struct Outcome {
    int status = -1;
    std::string out;
    std::vector<std::string> transcript;  // UTF-8
    bool Shows(const std::string& text) const {
        for (const auto& line : transcript)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
    std::string Transcript() const {
        std::string all;
        for (const auto& line : transcript) all += line + "\n";
        return all;
    }
};

inline std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline Outcome Shell(const std::string& command) {
    Outcome run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Every file below a folder, by its path relative to it, with its bytes.
inline std::map<std::string, std::string> Tree(const fs::path& folder) {
    std::map<std::string, std::string> files;
    if (!fs::exists(folder)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).string()] = ReadFile(entry.path());
    return files;
}

// The sample package, made once for all the cases of this program.
inline const std::string& Package() {
    static dero::testing::TempFolder folder{"package"};
    static const std::string out = [] {
        const std::string dir = folder.path() + "/out";
        const std::string command = "SETUP_PROGRAM=" + Quote(SETUP_PROGRAM_PATH) + " MKPAYLOAD=" + Quote(MKPAYLOAD_PATH) +
                                    " COMPONENT=" + Quote(COMPONENT_PATH) + " " +
                                    Quote(std::string(DERO_SOURCE_DIR) + "/samples/package/make_package") + " " + Quote(dir);
        const Outcome made = Shell(command);
        EXPECT_EQ(made.status, 0) << made.out;
        return dir;
    }();
    return out;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.path().empty());
        fs::create_directories(C("Windows/system32"));
        WriteFile(C("Program Files/AutoCAD 2010/acad.exe"), "MZ acad");
        WriteFile(C("Windows/system32/cmd.exe"), "MZ cmd");
        const Outcome imported = Shell(Quote(REGTOOL_PATH) + " --root " + Quote(Root()) + " import " +
                                   Quote(std::string(DERO_SOURCE_DIR) + "/samples/package/host.reg"));
        ASSERT_EQ(imported.status, 0) << imported.out;
    }

    const std::string& Root() const { return folder_.path(); }
    std::string C(const std::string& rest) const { return Root() + "/c/" + rest; }

    // Runs the program with the answers; extra holds further NAME=VALUE settings.
    Outcome RunSetup(const std::string& program, const std::string& answers, const std::string& extra = "") {
        static int runs = 0;
        const std::string n = std::to_string(++runs);
        const std::string answersFile = Root() + "/answers" + n + ".txt";
        const std::string transcriptFile = Root() + "/transcript" + n + ".txt";
        WriteFile(answersFile, answers);
        // Its standard error is kept: a sanitizer's report lands there.
        Outcome run = Shell("(env -u COMSPEC DERO_ROOT=" + Quote(Root()) + " DERO_ANSWERS=" + Quote(answersFile) +
                        " DERO_TRANSCRIPT=" + Quote(transcriptFile) + " " + extra + " " + Quote(program) + " >/dev/null)");
        const std::string text = ReadFile(transcriptFile);
        std::size_t from = 0;
        while (from < text.size()) {
            const std::size_t eol = text.find('\n', from);
            run.transcript.push_back(text.substr(from, eol == std::string::npos ? std::string::npos : eol - from));
            from = eol == std::string::npos ? text.size() : eol + 1;
        }
        return run;
    }
    // The package's program copied with its files into a folder of this test, to change it.
    std::string CopyPackage(const std::string& name) {
        const std::string dir = Root() + "/" + name;
        fs::create_directories(dir);
        for (const auto& entry : fs::directory_iterator(Package()))
            if (entry.is_regular_file()) fs::copy_file(entry.path(), dir + "/" + entry.path().filename().string());
        return dir;
    }
    std::string Dump(const std::string& hive) const {
        const Outcome r = Shell(Quote(REGTOOL_PATH) + " --root " + Quote(Root()) + " dump " + hive);
        EXPECT_EQ(r.status, 0) << r.out;
        return r.out;
    }
    std::string Events() const { return ReadFile(Root() + "/events.txt"); }
    // The cabinet's tree as cabextract gives it.
    std::map<std::string, std::string> CabinetTree(const std::string& cabinet) {
        const std::string dir = Root() + "/cabextract";
        fs::remove_all(dir);
        const Outcome r = Shell("cabextract -q -d " + Quote(dir) + " " + Quote(cabinet));
        EXPECT_EQ(r.status, 0) << r.out;
        auto tree = Tree(dir);
        fs::remove_all(dir);
        return tree;
    }

    dero::testing::TempFolder folder_{"setup-program"};
};

}  // namespace programtest
