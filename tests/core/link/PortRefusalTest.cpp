// Why a port cannot be opened. The tests run as root, whom permissions do not stop, so what
// access(2) answered is handed in.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSerialPort>
#include <QTemporaryFile>
#include <cerrno>

#include "core/link/ComPort.h"

using namespace vl48;
using Reason = PortRefusal::Reason;

TEST(PortRefusal, NamesTheGroupThatMayOpenTheDevice) {
    QTemporaryFile device;
    ASSERT_TRUE(device.open());
    const QString name = device.fileName();
    const QByteArray path = QFile::encodeName(name);
    const group* dialout = ::getgrnam("dialout");
    if (!dialout || ::chown(path, uid_t(-1), dialout->gr_gid) != 0)
        GTEST_SKIP() << "cannot hand a file to the group dialout";
    ASSERT_EQ(::chmod(path, 0660), 0);

    const PortRefusal refusal = portRefusal(name, QSerialPort::PermissionError, EACCES);
    EXPECT_EQ(refusal.reason, Reason::NoAccess);
    EXPECT_EQ(refusal.group, "dialout");
    // The same code for a file this user may open: another program holds the port.
    EXPECT_EQ(portRefusal(name, QSerialPort::PermissionError, 0).reason, Reason::InUse);
    EXPECT_EQ(portRefusal(name, QSerialPort::DeviceNotFoundError, EACCES).reason, Reason::Other);
    // Joining a group that may not read and write would not help.
    ASSERT_EQ(::chmod(path, 0600), 0);
    EXPECT_EQ(portRefusal(name, QSerialPort::PermissionError, EACCES).reason, Reason::Other);
}
