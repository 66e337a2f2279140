#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>

class tSettings;

// The main window. One class, its source split by concern (mainfm_*.cpp).
class TfmMain : public QMainWindow {
    Q_OBJECT
public:
    // programPath: the executable's full path; the settings file is beside it with ".cfg".
    explicit TfmMain(const QString& programPath, QWidget* parent = nullptr);
    ~TfmMain() override;

    tSettings* Settings() const { return settings_.get(); }
    const QString& ProgramPath() const { return programPath_; }

    // A second start asked for this window: restore it and bring it to the front.
    void RestoreFromOtherInstance();

    // The exit question; true when the window may close.
    bool FormCloseQuery();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString programPath_;
    std::unique_ptr<tSettings> settings_;
};
