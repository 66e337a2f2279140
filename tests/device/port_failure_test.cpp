#include "device/port_failure.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "base/builtin_texts.h"
#include "device/ballsim_process.h"
#include "device/device_connector.h"
#include "device/device_test_support.h"

namespace {
tDeviceAccess Serial(mode_t mode, bool account, bool session) {
    return {S_IFCHR | mode, QStringLiteral("root"), QStringLiteral("dialout"), account, session};
}

QString Reason(int error, const tDeviceAccess& access) {
    return PortFailureText(
        ClassifyOpenFailure(QStringLiteral("/dev/ttyUSB0"), error, access, QStringLiteral("raw")));
}
}  // namespace

TEST(PortFailure, ExplainsEachWayAPortCanRefuseTheUser) {
    const QString join = QStringLiteral("sudo adduser $USER dialout");
    const QString group = Reason(EACCES, Serial(0660, false, false));
    EXPECT_TRUE(group.startsWith(QStringLiteral("/dev/ttyUSB0: "))) << group.toStdString();
    EXPECT_TRUE(group.contains(join)) << group.toStdString();
    EXPECT_TRUE(Reason(EPERM, Serial(0660, false, false)).contains(join));

    const QString relogin = Reason(EACCES, Serial(0660, true, false));
    EXPECT_FALSE(relogin.contains(join)) << relogin.toStdString();
    EXPECT_TRUE(relogin.contains(QStringLiteral("«dialout»"))) << relogin.toStdString();

    // Owner only: joining a group would not help, so no command is offered.
    const QString owner = Reason(EACCES, Serial(0600, false, false));
    EXPECT_FALSE(owner.contains(QStringLiteral("adduser"))) << owner.toStdString();
    EXPECT_TRUE(owner.contains(QStringLiteral("(root)"))) << owner.toStdString();
    EXPECT_EQ(Reason(EACCES, Serial(0640, true, true)), Reason(EACCES, Serial(0600, true, true)));

    EXPECT_EQ(Reason(EBUSY, Serial(0660, true, true)),
              LangConst(QStringLiteral("LC_PORT_BUSY")).replace("%port", "/dev/ttyUSB0"));
    // In the group and refused all the same: only the system can say why.
    EXPECT_EQ(Reason(EACCES, Serial(0660, true, true)), QStringLiteral("/dev/ttyUSB0: raw"));
    EXPECT_EQ(Reason(ENOENT, Serial(0660, false, false)), QStringLiteral("/dev/ttyUSB0: raw"));
}

TEST(PortFailure, TheConnectorGivesAReasonForEveryPortInProbeOrder) {
    BallsimProcess wrong;
    wrong.Start({QStringLiteral("--id-wrong")});
    BallsimProcess late;
    late.Start({QStringLiteral("--late"), QStringLiteral("2000")});
    const QString missing = QStringLiteral("/dev/mirelvane-no-such-port");
    auto settings = MakeSettings({{"CheckCount", "1"},
                                  {"Timeout", "0"},
                                  {"Ports", missing + ';' + wrong.Path() + ';' + late.Path()}});
    LogCapture log;
    tDeviceConnector connector(settings.get());
    tConnection connection;
    EXPECT_FALSE(connector.ConnectDevice(connection).isEmpty());
    const QVector<tPortFailure> failures = connector.PortFailures();
    ASSERT_EQ(failures.size(), 3);
    EXPECT_EQ(failures[0].port, missing);
    EXPECT_EQ(failures[0].kind, tPortFailure::Other);
    EXPECT_EQ(failures[1].kind, tPortFailure::WrongReply);
    EXPECT_EQ(failures[2].kind, tPortFailure::NoReply);
}
