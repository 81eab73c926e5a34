// A fresh machine for each test of the toolkit: a temporary root (drive C: and the registry), a
// support folder on the host's search path, an answer queue, an empty command line and transcript,
// and no drawing or module left from an earlier test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/ui/answer_source.h"
#include "platform/win/registry.h"
#include "platform/win/root.h"
#include "testing/temp_folder.h"

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(root_.empty());
        std::filesystem::create_directories(root_ / "c" / "support");
        platform::win::SetRoot(root_.string());
        platform::cad::SetSupportPath({"C:\\support"});
        answers = platform::ui::UseAnswerQueue();
        platform::ui::ClearTranscript();
        platform::cad::ClearCommandLine();
    }
    void TearDown() override {
        acDocManager->closeAll();
        platform::cad::UnloadAllModules();
        platform::cad::SetSupportPath({});
        platform::ui::SetAnswerDriver(nullptr);
        platform::win::SetRoot("");
    }

    std::filesystem::path SupportFolder() const { return root_ / "c" / "support"; }

    // Writes a table into the support folder, bytes as given (GBK literals).
    void WriteSupportFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(SupportFolder() / name, std::ios::binary) << bytes;
    }

    // Values under Software\Quorvane\Dero.
    static void SetDword(const char* name, std::int32_t value) {
        HKEY key = OpenSettingsKey();
        ASSERT_NE(key, nullptr);
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }
    static void SetString(const char* name, const std::string& value) {
        HKEY key = OpenSettingsKey();
        ASSERT_NE(key, nullptr);
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
    }
    // The stored integer, or nothing.
    static bool GetDword(const char* name, std::int32_t& value) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        DWORD type = 0, size = sizeof value;
        LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS && type == REG_DWORD && size == 4;
    }

    static bool Logged(const std::string& text) {
        for (const std::string& line : platform::ui::TranscriptLines())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }
    static std::string Transcript() {
        std::string all;
        for (const std::string& line : platform::ui::TranscriptLines())
            all += line + "\n";
        return all;
    }
    static const std::string& CommandLine() { return platform::cad::CommandLineText(); }

    std::shared_ptr<platform::ui::AnswerQueue> answers;

private:
    static HKEY OpenSettingsKey() {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return nullptr;
        return key;
    }

    dero::testing::TempFolder folder_{"cadastral"};
    std::filesystem::path root_ = folder_.path();
};
