// The window's part of sending the measurement over MQTT: the settings dialog, a menu item for
// it and a status-bar field with the broker's link and the samples not delivered. The sending
// itself is the publisher's, a listener of the measurement like the window.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include "app/settings.h"
#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "net/mqtt_publisher.h"
#include "ui/handler_error.h"
#include "ui/mainfm.h"
#include "ui/network_dialog.h"

namespace {
QString Text(const char* name) { return LangConst(QLatin1String(name)); }
}  // namespace

void TfmMain::CreateNetwork() {
    mqtt_ = std::make_unique<tMqttPublisher>(*session_, settings_.get());
    // Start and stop from the network go through the window's own commands.
    mqtt_->remoteStartStop = [this](bool start) {
        QAction* action = start ? acDeviceStart : acDeviceStop;
        if (action && action->isEnabled()) action->trigger();
    };
    acFileNetwork = new QAction(Text("LC_MQTT_MENU"), this);
    acFileNetwork->setObjectName(QStringLiteral("acFileNetwork"));
    connect(acFileNetwork, &QAction::triggered, this, &TfmMain::acFileNetworkExecute);
    miFile->insertAction(miFileLanguage->menuAction(), acFileNetwork);

    lbNetwork = new QLabel(stbMain);
    lbNetwork->setObjectName(QStringLiteral("stbMainNetwork"));
    lbNetwork->hide();
    stbMain->addPermanentWidget(lbNetwork);
    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("tmNetwork"));
    connect(timer, &QTimer::timeout, this, &TfmMain::ShowNetwork);
    timer->start(1000);
}

void TfmMain::acFileNetworkExecute() {
    tNetworkDialog dialog(*settings_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    try {
        settings_->Save(QString());
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        ShowHandlerError(e.Message());
    }
    mqtt_->Reconfigure();
    ShowNetwork();
}

void TfmMain::ShowNetwork() {
    // The menu item follows the language.
    acFileNetwork->setText(Text("LC_MQTT_MENU"));
    const tMqttPublisher::tView view = mqtt_->View();
    lbNetwork->setVisible(view.configured);
    if (!view.configured) return;
    QString text;
    if (!view.connected && !view.problem.isEmpty() && view.queued == 0 && view.undelivered == 0)
        text = Text("LC_MQTT_ERROR").arg(view.problem);
    else
        text = Text(view.connected ? "LC_MQTT_CONNECTED" : "LC_MQTT_DOWN").arg(view.broker).arg(view.undelivered);
    lbNetwork->setText(text);
    lbNetwork->setToolTip(view.problem);
    lbNetwork->setAccessibleName(text);
}
