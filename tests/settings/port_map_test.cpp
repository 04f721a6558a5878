#include "settings/port_map.h"
#include "support/core/test_env.h"

#include <gtest/gtest.h>

TEST(PortMapTest, SettingsMapPortsToDevicesAndTheRestAreNumbered) {
    TempDir dir;
    const std::string ini = dir.file("LUMAVANE.INI");
    writeFileBytes(ini, "[Comm]\r\nPort=1\r\n[Ports]\r\ncom1=/dev/ttyUSB0\r\nCOM3=\r\n");
    EXPECT_EQ(comDeviceFromSettings(ini, 1), "/dev/ttyUSB0");
    EXPECT_EQ(comDeviceFromSettings(ini, 2), "/dev/ttyS1");
    EXPECT_EQ(comDeviceFromSettings(ini, 3), "/dev/ttyS2"); // an empty mapping maps nothing
    EXPECT_EQ(comDeviceFromSettings(dir.file("missing.ini"), 4), "/dev/ttyS3");
}
