#include "ui/network_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/int_conversion.h"
#include "app/settings.h"
#include "base/builtin_texts.h"
#include "net/mqtt_config.h"

namespace {
QString Text(const char* name) { return LangConst(QLatin1String(name)); }
// What a screen reader says: the visible text without its accelerator.
QString Spoken(const QString& text) { return QString(text).remove(u'&'); }
}  // namespace

tNetworkDialog::tNetworkDialog(tSettings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("fmNetwork"));
    setWindowTitle(Text("LC_MQTT_TITLE"));
    auto* column = new QVBoxLayout(this);
    form_ = new QFormLayout;
    column->addLayout(form_);
    edBroker_ = AddLine("edMqttBroker", "LC_MQTT_BROKER", "MqttBroker");
    edBroker_->setPlaceholderText(QStringLiteral("mqtt://localhost:1883"));
    edTopic_ = AddLine("edMqttTopic", "LC_MQTT_TOPIC", "MqttTopic");
    edUser_ = AddLine("edMqttUser", "LC_MQTT_USER", "MqttUser");
    edPasswordFile_ = AddLine("edMqttPasswordFile", "LC_MQTT_PASSWORD_FILE", "MqttPasswordFile", true);
    edCaFile_ = AddLine("edMqttCaFile", "LC_MQTT_CA_FILE", "MqttCaFile", true);

    seQos_ = new QSpinBox(this);
    seQos_->setObjectName(QStringLiteral("seMqttQos"));
    seQos_->setRange(0, 2);
    const int qos = StrToIntDef(settings_.GetSettingByName(QStringLiteral("MqttQos")), 1);
    seQos_->setValue(qos < 0 || qos > 2 ? 1 : qos);
    seQos_->setAccessibleName(Spoken(Text("LC_MQTT_QOS")));
    form_->addRow(Text("LC_MQTT_QOS"), seQos_);

    cbRemote_ = new QCheckBox(Text("LC_MQTT_REMOTE"), this);
    cbRemote_->setObjectName(QStringLiteral("cbMqttRemoteControl"));
    cbRemote_->setAccessibleName(Spoken(cbRemote_->text()));
    cbRemote_->setChecked(StrToIntDef(settings_.GetSettingByName(QStringLiteral("MqttRemoteControl")), 0) == 1);
    form_->addRow(cbRemote_);

    lbError_ = new QLabel(this);
    lbError_->setObjectName(QStringLiteral("lbMqttError"));
    lbError_->setWordWrap(true);
    lbError_->setStyleSheet(QStringLiteral("color: #b00000"));
    lbError_->hide();
    column->addWidget(lbError_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("bbMqtt"));
    for (QAbstractButton* button : buttons->buttons()) button->setAccessibleName(Spoken(button->text()));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    setMinimumWidth(520);
}

QLineEdit* tNetworkDialog::AddLine(const char* name, const char* text, const char* setting, bool browse) {
    auto* edit = new QLineEdit(settings_.GetSettingByName(QLatin1String(setting)), this);
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(Spoken(Text(text)));
    if (!browse) {
        form_->addRow(Text(text), edit);
        return edit;
    }
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    auto* button = new QPushButton(Text("LC_MQTT_BROWSE"), this);
    button->setObjectName(QLatin1String(name) + QStringLiteral("Browse"));
    button->setAccessibleName(Spoken(Text(text)) + QStringLiteral(": ") + Spoken(button->text()));
    connect(button, &QPushButton::clicked, this, [this, edit, text] {
        const QString path = QFileDialog::getOpenFileName(this, Spoken(Text(text)), edit->text());
        if (!path.isEmpty()) edit->setText(path);
    });
    row->addWidget(button);
    form_->addRow(Text(text), row);
    return edit;
}

void tNetworkDialog::accept() {
    const QString broker = edBroker_->text().trimmed();
    QString error;
    if (!broker.isEmpty() && !ParseBrokerAddress(broker, error)) {
        lbError_->setText(Text("LC_MQTT_ERROR").arg(error));
        lbError_->show();
        edBroker_->setFocus();
        return;
    }
    settings_.SetSettingByName(QStringLiteral("MqttBroker"), broker);
    settings_.SetSettingByName(QStringLiteral("MqttTopic"), edTopic_->text().trimmed());
    settings_.SetSettingByName(QStringLiteral("MqttUser"), edUser_->text().trimmed());
    settings_.SetSettingByName(QStringLiteral("MqttPasswordFile"), edPasswordFile_->text().trimmed());
    settings_.SetSettingByName(QStringLiteral("MqttCaFile"), edCaFile_->text().trimmed());
    settings_.SetSettingByName(QStringLiteral("MqttQos"), QString::number(seQos_->value()));
    settings_.SetSettingByName(QStringLiteral("MqttRemoteControl"), cbRemote_->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    QDialog::accept();
}
