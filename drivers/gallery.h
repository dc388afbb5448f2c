#pragma once

#include "session/session.h"
#include "ui/screens.h"

namespace voq::ui {

// Every one of the ten screens once, filled by the core's views with the embedded
// images and a sample device, as a front-end shows them: for screenshots. The
// session must be a staged one, so that both images are there.
void show_every_screen(Screens& screens, session::Session& session);

}  // namespace voq::ui
