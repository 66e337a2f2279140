#include "net/mqtt_config.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QUrl>

#include "app/int_conversion.h"
#include "app/settings.h"

namespace {
constexpr int kPlainPort = 1883;
constexpr int kTlsPort = 8883;
constexpr qint64 kMaxPasswordFile = 4096;

QString Setting(const tSettings& settings, const char* name) {
    return settings.GetSettingByName(QLatin1String(name)).trimmed();
}

// One level of a topic: no separator, no wildcard, nothing blank.
QString TopicLevel(QString text) {
    for (QChar& c : text)
        if (c == u'/' || c == u'+' || c == u'#' || c.isSpace() || c.unicode() < 0x20) c = u'_';
    return text.isEmpty() ? QStringLiteral("_") : text;
}
}  // namespace

std::optional<tBrokerAddress> ParseBrokerAddress(const QString& text, QString& error) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"mqtt" && scheme != u"mqtts")) {
        error = QStringLiteral("the broker address \"%1\" is not mqtt://host[:port] or mqtts://host[:port]")
                    .arg(text);
        return std::nullopt;
    }
    if (url.host().isEmpty() || !url.userInfo().isEmpty() || (!url.path().isEmpty() && url.path() != u"/") ||
        url.hasQuery() || url.hasFragment()) {
        error = QStringLiteral("the broker address \"%1\" must name only a host and a port").arg(text);
        return std::nullopt;
    }
    tBrokerAddress address;
    address.tls = scheme == u"mqtts";
    address.host = url.host();
    address.port = url.port(address.tls ? kTlsPort : kPlainPort);
    if (address.port < 1 || address.port > 65535) {
        error = QStringLiteral("the broker address \"%1\" has no valid port").arg(text);
        return std::nullopt;
    }
    return address;
}

QString ReadPasswordFile(const QString& path, QString& password) {
    password.clear();
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) != 0)
        return QStringLiteral("the password file \"%1\" cannot be read").arg(path);
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("the password file \"%1\" is not a file").arg(path);
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return QStringLiteral("the password file \"%1\" may be read by others: chmod 600 it").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxPasswordFile)
        return QStringLiteral("the password file \"%1\" cannot be read").arg(path);
    const QByteArray content = file.readAll();
    const qsizetype end = content.indexOf('\n');
    password = QString::fromUtf8(end < 0 ? content : content.left(end));
    if (password.endsWith(u'\r')) password.chop(1);
    return QString();
}

QString MqttTopicBase(const QString& pattern, const QString& port) {
    QString base = pattern.isEmpty() ? QStringLiteral("mirelvane/{host}/{ball}") : pattern;
    while (base.endsWith(u'/')) base.chop(1);
    QString ball = QFileInfo(port).fileName();
    base.replace(QLatin1String("{host}"), TopicLevel(QSysInfo::machineHostName()));
    base.replace(QLatin1String("{ball}"), TopicLevel(ball));
    return base;
}

bool tMqttConfig::operator==(const tMqttConfig& o) const {
    return enabled == o.enabled && broker.host == o.broker.host && broker.port == o.broker.port &&
           broker.tls == o.broker.tls && topic == o.topic && user == o.user && password == o.password &&
           caFile == o.caFile && qos == o.qos && remoteControl == o.remoteControl &&
           queueSeconds == o.queueSeconds && error == o.error;
}

tMqttConfig ReadMqttConfig(const tSettings& settings, const QString& port) {
    tMqttConfig config;
    const QString broker = Setting(settings, "MqttBroker");
    if (broker.isEmpty()) return config;
    config.enabled = true;
    config.topic = MqttTopicBase(Setting(settings, "MqttTopic"), port);
    config.user = Setting(settings, "MqttUser");
    config.caFile = Setting(settings, "MqttCaFile");
    config.qos = StrToIntDef(Setting(settings, "MqttQos"), 1);
    if (config.qos < 0 || config.qos > 2) config.qos = 1;
    config.remoteControl = StrToIntDef(Setting(settings, "MqttRemoteControl"), 0) == 1;
    bool ok = false;
    const double seconds = Setting(settings, "MqttQueueSeconds").toDouble(&ok);
    if (ok && seconds > 0) config.queueSeconds = seconds;

    if (const auto address = ParseBrokerAddress(broker, config.error)) config.broker = *address;
    if (!config.error.isEmpty()) return config;
    const QString passwordFile = Setting(settings, "MqttPasswordFile");
    if (!passwordFile.isEmpty()) config.error = ReadPasswordFile(passwordFile, config.password);
    if (config.error.isEmpty() && !config.caFile.isEmpty() && !QFileInfo(config.caFile).isReadable())
        config.error = QStringLiteral("the CA file \"%1\" cannot be read").arg(config.caFile);
    return config;
}
