#pragma once
// A real broker for one test, started from a configuration in a temporary folder, with a
// password file and, on request, TLS with a certificate made for the test; and a subscriber
// (mosquitto_sub) that collects what arrives.

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <map>
#include <vector>

#include "support/temp_folder.h"

inline bool RunTool(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A loopback port that nothing listens on right now.
inline int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    ::close(fd);
    return ntohs(a.sin_port);
}

class Broker {
public:
    // Users: "ball" (password "secret") publishes, "lab" ("watch") subscribes.
    explicit Broker(bool tls = false) : tls_(tls), port_(FreePort()) {
        const QString passwords = folder_.Path("passwords");
        ok_ = RunTool("mosquitto_passwd", {"-b", "-c", passwords, "ball", "secret"}) &&
              RunTool("mosquitto_passwd", {"-b", passwords, "lab", "watch"});
        QFile::setPermissions(passwords, QFile::ReadOwner | QFile::WriteOwner);
        folder_.Write("ball.pw", "secret\n");
        QFile::setPermissions(folder_.Path("ball.pw"), QFile::ReadOwner | QFile::WriteOwner);
        if (tls_) ok_ = ok_ && MakeCertificates();
        QByteArray conf = "listener " + QByteArray::number(port_) + " 127.0.0.1\n" +
                          "allow_anonymous false\npassword_file " + passwords.toUtf8() + "\n" +
                          // The subscriber's session outlives a killed broker.
                          "persistence true\npersistence_location " + folder_.Root().toUtf8() + "/\n" +
                          "autosave_interval 1\nmax_queued_messages 0\n" +
                          "user " + QByteArray(::getpwuid(::getuid())->pw_name) + "\n";
        if (tls_)
            conf += "certfile " + folder_.Path("server.crt").toUtf8() + "\nkeyfile " +
                    folder_.Path("server.key").toUtf8() + "\n";
        folder_.Write("mosquitto.conf", conf);
    }
    ~Broker() { Kill(); }

    bool Start() {
        if (!ok_) return false;
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start("mosquitto", {"-c", folder_.Path("mosquitto.conf")});
        if (!process_.waitForStarted()) return false;
        QByteArray log;
        return QTest::qWaitFor([&] {
            log += process_.readAll();
            return log.contains(" running") || process_.state() != QProcess::Running;
        }, 20000) && process_.state() == QProcess::Running;
    }
    void Kill() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished();
    }
    // True once the broker saved its sessions (the subscriber's among them) to disk.
    bool Saved() const { return QFile::exists(folder_.Path("mosquitto.db")); }

    QString Address() const { return QStringLiteral("%1://127.0.0.1:%2").arg(tls_ ? "mqtts" : "mqtt").arg(port_); }
    int Port() const { return port_; }
    QString PasswordFile() const { return folder_.Path("ball.pw"); }
    QString CaFile() const { return folder_.Path("ca.crt"); }
    // A CA that signed nothing the broker shows.
    QString OtherCaFile() const { return folder_.Path("other.crt"); }
    QStringList ClientOptions() const {
        QStringList o{"-h", "127.0.0.1", "-p", QString::number(port_), "-u", "lab", "-P", "watch"};
        if (tls_) o << "--cafile" << CaFile();
        return o;
    }
    QString Folder(const QString& name) const { return folder_.Path(name); }

private:
    bool MakeCertificates() {
        const QString d = folder_.Root() + '/';
        const QStringList ec{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
        folder_.Write("san.ext", "subjectAltName=IP:127.0.0.1\n");
        return RunTool("openssl", QStringList{"req", "-x509"} + ec +
                                      QStringList{"-keyout", d + "ca.key", "-out", d + "ca.crt", "-days", "2", "-subj", "/CN=test CA"}) &&
               RunTool("openssl", QStringList{"req", "-x509"} + ec +
                                      QStringList{"-keyout", d + "other.key", "-out", d + "other.crt", "-days", "2", "-subj", "/CN=other CA"}) &&
               RunTool("openssl", QStringList{"req"} + ec +
                                      QStringList{"-keyout", d + "server.key", "-out", d + "server.csr", "-subj", "/CN=127.0.0.1"}) &&
               RunTool("openssl", {"x509", "-req", "-in", d + "server.csr", "-CA", d + "ca.crt", "-CAkey", d + "ca.key",
                                   "-CAcreateserial", "-out", d + "server.crt", "-days", "2", "-extfile", d + "san.ext"});
    }

    TempFolder folder_;
    bool tls_;
    int port_;
    bool ok_ = false;
    QProcess process_;
};

// mosquitto_sub on "<base>/#" with a session the broker keeps, so that it misses nothing over
// a restart of the broker.
class Subscriber {
public:
    bool Start(const Broker& broker, const QString& base) {
        static int count = 0;
        process_.start("mosquitto_sub", broker.ClientOptions() + QStringList{"-i", QStringLiteral("lab-%1-%2").arg(::getpid()).arg(++count),
                                                                             "-c", "-q", "1", "-v", "-t", base + "/#"});
        base_ = base.toUtf8();
        return process_.waitForStarted();
    }
    ~Subscriber() {
        process_.kill();
        process_.waitForFinished();
    }
    // The payloads that came on "<base>/<leaf>", in order.
    QList<QByteArray> On(const char* leaf) {
        Read();
        QList<QByteArray> found;
        const QByteArray topic = base_ + '/' + leaf + ' ';
        for (const QByteArray& line : lines_)
            if (line.startsWith(topic)) found << line.mid(topic.size());
        return found;
    }
    // The samples by running number, each once (a repeat after a reconnect must be the same),
    // as tab-separated rows of t and the nine channels, in the export's number format.
    std::map<long long, QByteArray> Samples(int* outOfOrder = nullptr, int* conflicts = nullptr) {
        std::map<long long, QByteArray> rows;
        long long last = -1;
        for (const QByteArray& message : On("samples")) {
            const QJsonObject o = QJsonDocument::fromJson(message).object();
            const QJsonArray seq = o["seq"].toArray();
            for (int i = 0; i < seq.size(); ++i) {
                QByteArray row = QByteArray::number(o["t"].toArray()[i].toDouble(), 'f', 3);
                for (const char* name : {"ax", "ay", "az", "wx", "wy", "wz", "fx", "fy", "fz"})
                    row += '\t' + QByteArray::number(o[name].toArray()[i].toDouble(), 'f', 2);
                const long long n = seq[i].toInteger();
                if (rows.count(n)) {
                    if (conflicts && rows[n] != row) ++*conflicts;
                } else if (n < last && outOfOrder) {
                    ++*outOfOrder;
                }
                if (!rows.count(n)) rows[n] = row;
                last = std::max(last, n);
            }
        }
        return rows;
    }

private:
    void Read() {
        pending_ += process_.readAllStandardOutput();
        for (int at; (at = pending_.indexOf('\n')) >= 0;) {
            lines_ << pending_.left(at);
            pending_.remove(0, at + 1);
        }
    }
    QProcess process_;
    QByteArray base_;
    QByteArray pending_;
    QList<QByteArray> lines_;
};
