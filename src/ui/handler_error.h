#pragma once

#include <QString>

// Shows an error that escaped an event handler in a stop box captioned "Mirelvane", with a
// full stop added where the text ends without one; the program goes on afterwards.
void ShowHandlerError(const QString& message);
