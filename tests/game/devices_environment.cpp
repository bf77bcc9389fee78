// devices_environment.cpp: every game test reads the scripted keyboard and
// joysticks and the sound slots, as the game itself does.
#include "game/screens/screens.h"

#include <gtest/gtest.h>

namespace {

struct GameDevicesEnvironment : ::testing::Environment {
    void SetUp() override { install_game_devices(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GameDevicesEnvironment);

} // namespace
