// What the publisher reads from its settings and from the network.
#include <gtest/gtest.h>

#include <QFile>

#include "device/device_test_support.h"
#include "net/mqtt_config.h"
#include "net/mqtt_messages.h"
#include "support/temp_folder.h"

TEST(MqttConfig, TheBrokerAddressParsesOnlyAsMqttOrMqttsWithAHostAndAPort) {
    QString error;
    const auto plain = ParseBrokerAddress("mqtt://lab-pc", error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->port, 1883);
    EXPECT_FALSE(plain->tls);
    const auto tls = ParseBrokerAddress("mqtts://10.0.0.5:9000", error);
    ASSERT_TRUE(tls);
    EXPECT_EQ(tls->port, 9000);
    EXPECT_TRUE(tls->tls);
    for (const char* bad : {"lab-pc:1883", "http://lab-pc", "mqtt://", "mqtt://lab-pc:99999", "mqtt://u:p@lab-pc",
                            "mqtt://lab-pc/topic"}) {
        error.clear();
        EXPECT_FALSE(ParseBrokerAddress(bad, error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

TEST(MqttConfig, APasswordFileOthersMayReadIsRefusedAndNothingIsSentWithoutABroker) {
    TempFolder folder;
    const QString path = folder.Write("pw", "secret\r\nignored\n");
    QString password;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    EXPECT_TRUE(ReadPasswordFile(path, password).contains("chmod 600"));
    EXPECT_TRUE(password.isEmpty());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(ReadPasswordFile(path, password), "");
    EXPECT_EQ(password, "secret");

    EXPECT_FALSE(ReadMqttConfig(*MakeSettings({{"MqttUser", "u"}}), "/dev/ttyUSB0").enabled);
    const tMqttConfig bad = ReadMqttConfig(*MakeSettings({{"MqttBroker", "lab-pc"}}), "/dev/ttyUSB0");
    EXPECT_TRUE(bad.enabled);
    EXPECT_FALSE(bad.error.isEmpty());
    const tMqttConfig good = ReadMqttConfig(*MakeSettings({{"MqttBroker", "mqtt://lab-pc"}}), "/dev/ttyUSB0");
    EXPECT_EQ(good.error, "");
    EXPECT_EQ(good.qos, 1);
    EXPECT_TRUE(good.topic.startsWith("mirelvane/"));
    EXPECT_TRUE(good.topic.endsWith("/ttyUSB0"));
    EXPECT_EQ(MqttTopicBase("rooms/{ball}/", "/dev/tty+#"), "rooms/tty__");
}

TEST(MqttRemoteCommand, OnlyMarksComeInByDefaultAndBadPayloadsAreRefusedWithAReason) {
    EXPECT_EQ(ParseRemoteCommand("marks/set", "  go\tnow \n", false).label, "go now");
    EXPECT_EQ(ParseRemoteCommand("marks/set", "", false).kind, tRemoteCommand::Mark);
    EXPECT_EQ(ParseRemoteCommand("marks/set", QString(200, u'ж').toUtf8(), false).kind, tRemoteCommand::Mark);
    EXPECT_EQ(ParseRemoteCommand("control/set", "start", true).kind, tRemoteCommand::Start);
    EXPECT_EQ(ParseRemoteCommand("control/set", "STOP", true).kind, tRemoteCommand::Stop);
    for (const auto& [suffix, payload, remote] :
         std::vector<std::tuple<QByteArray, QByteArray, bool>>{{"marks/set", QByteArray(201, 'a'), true},
                                                               {"marks/set", QByteArray(5000, 'a'), true},
                                                               {"marks/set", "\xc3", true},
                                                               {"marks/set", QByteArray("a\0b", 3), true},
                                                               {"control/set", "stop", false},
                                                               {"control/set", "motor 255", true},
                                                               {"motor/set", "255", true}}) {
        const tRemoteCommand c = ParseRemoteCommand(suffix, payload, remote);
        EXPECT_EQ(c.kind, tRemoteCommand::None) << suffix.constData() << " " << payload.left(20).constData();
        EXPECT_FALSE(c.error.isEmpty());
    }
}
