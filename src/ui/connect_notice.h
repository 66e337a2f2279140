#pragma once

#include <QString>

class QWidget;

// Tells why a connect found nothing, in a box that leaves the window usable: a user reads it
// while trying again. A later notice replaces the text of one still open.
void ShowConnectNotice(QWidget* parent, const QString& text);
