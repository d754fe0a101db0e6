#pragma once
// A start-up environment of its own for each test: lock folder, data folder, an
// ordinary user and the running system.
#include "app/CUtilityApp.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vr31k::test {

// The scripted user, with a main window that is made at once.
struct ScriptedAppUi : IAppUi {
    ScriptedUi boxes;
    int windowsCreated = 0;
    bool readyAtOnce = true;
    MessageResult Show(const MessageBoxRequest& request) override { return boxes.Show(request); }
    bool CreateMainWindow(CUtilityApp& app) override {
        ++windowsCreated;
        if (readyAtOnce) app.MainWindowReady();
        return true;
    }
};

class StartupFixture : public ::testing::Test {
protected:
    TempDir lockDir;
    TempDir dataRoot;
    std::string dataFolder = dataRoot.File("data");

    StartupEnvironment Env(std::vector<std::string> args = {}) const {
        StartupEnvironment env;
        env.args = std::move(args);
        env.lockDir = lockDir.Path();
        env.dataFolder = dataFolder;
        env.user = UserIdentity{"alice", std::vector<std::string>{"users"}};
        env.os = CurrentOsVersionRecord();
        env.startupWait = std::chrono::milliseconds(3000);
        return env;
    }
};

}  // namespace vr31k::test
