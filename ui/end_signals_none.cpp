// Systems without the ending signals: nothing to catch; the session's end
// reaches the window as a close instead.

#include "ui/end_signals.h"

struct EndSignals::Handlers {};

EndSignals::EndSignals() = default;
EndSignals::~EndSignals() = default;
