#include "base/exceptions.h"

Exception::Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

EAbort::EAbort() : Exception(QStringLiteral("Operation aborted")) {}
