#pragma once

#include <QDBusMessage>
#include <functional>

#include "platform/ServiceAnswer.h"

// Sends a method call to a system service on the system bus without
// waiting, allowing interactive authorization (polkit may ask the desktop
// user), and hands the reply to `answered` from the event loop. A service
// that is not there, or no bus, is Unavailable. A reply whose values do not
// have `replySignature`, the one the method defines, is handed on as an
// error: a service that answers with something else has not done what was
// asked, whatever it says.
void callSystemService(QDBusMessage request, const QString& replySignature,
                       std::function<void(const QDBusMessage&)> answered);

// The answer a reply gives: Done, Refused with the service's message, or
// Unavailable when nobody could be asked.
quarnel::ServiceAnswer answerOf(const QDBusMessage& reply);
