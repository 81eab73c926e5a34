// A fresh machine for each test of the toolkit: a temporary root (drive C: and the registry), a
// support folder on the host's search path, an answer queue, an empty command line and transcript,
// and no drawing or module left from an earlier test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/cad/command_processor.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
#include "platform/cad/resbuf.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/ui/answer_source.h"
#include "platform/win/registry.h"
#include "platform/win/root.h"
#include "testing/host_machine.h"

class ToolkitTest : public dero::testing::HostMachineTest {
protected:
    ToolkitTest() : HostMachineTest("cadastral") {}

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

    // A new drawing, the bundled support folder on the host's search path and the modules loaded,
    // in their order.
    static void NewDrawingWith(std::initializer_list<const char*> modules) {
        platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
        for (const char* module : modules)
            ASSERT_TRUE(acrxDynamicLinker->loadModule(module, false)) << module;
    }

    // Runs a command with its answers on the command line ("" is Enter).
    static void Run(const char* command, const std::vector<const char*>& answers = {}) {
        platform::cad::ClearCommandLine();
        resbuf* args = acutBuildList(RTSTR, command, RTNONE);
        resbuf* last = args;
        for (const char* a : answers) {
            last->rbnext = acutBuildList(RTSTR, a, RTNONE);
            last = last->rbnext;
        }
        acedCmd(args);
        acutRelRb(args);
    }

    static std::string Transcript() {
        std::string all;
        for (const std::string& line : platform::ui::TranscriptLines())
            all += line + "\n";
        return all;
    }

private:
    static HKEY OpenSettingsKey() {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane\\Dero", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return nullptr;
        return key;
    }
};
