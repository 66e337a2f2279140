#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class tSettings;

// The MQTT settings of the window: broker, topic, login, TLS, QoS and remote control. Its texts
// come from the current language when it opens; OK writes the settings only when the broker's
// address parses (or is empty, which turns sending off).
class tNetworkDialog : public QDialog {
public:
    tNetworkDialog(tSettings& settings, QWidget* parent = nullptr);

    void accept() override;

private:
    QLineEdit* AddLine(const char* name, const char* text, const char* setting, bool browse = false);

    tSettings& settings_;
    QLineEdit* edBroker_ = nullptr;
    QLineEdit* edTopic_ = nullptr;
    QLineEdit* edUser_ = nullptr;
    QLineEdit* edPasswordFile_ = nullptr;
    QLineEdit* edCaFile_ = nullptr;
    QSpinBox* seQos_ = nullptr;
    QCheckBox* cbRemote_ = nullptr;
    QLabel* lbError_ = nullptr;
    class QFormLayout* form_ = nullptr;
};
